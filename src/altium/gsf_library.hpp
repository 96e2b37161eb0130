#pragma once
// libgsf and the GLib calls it needs, loaded when the first compound file is
// opened or made. Linking it would load GLib, GIO, libxml2 and ICU at every
// start of the program, several milliseconds that most commands never use.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include "base/error.hpp"

namespace zelt::altium {

// One pointer per function, named as the function (the declarations above
// give the types; nothing here is linked against the library).
struct GsfLibrary {
#define ZELT_GSF_FUNCTIONS(X)                                                                              \
  X(gsf_init) X(gsf_input_memory_new) X(gsf_infile_msole_new) X(gsf_infile_num_children)                  \
  X(gsf_infile_child_by_index) X(gsf_input_name) X(gsf_input_size) X(gsf_input_read)                       \
  X(gsf_output_memory_new) X(gsf_outfile_msole_new_full) X(gsf_outfile_new_child)                          \
  X(gsf_output_write) X(gsf_output_close) X(gsf_output_is_closed) X(gsf_output_error) X(gsf_output_size)   \
  X(gsf_output_memory_get_bytes) X(g_object_unref) X(g_error_free) X(g_log_set_default_handler)
#define ZELT_GSF_MEMBER(name) decltype(&::name) name = nullptr;
  ZELT_GSF_FUNCTIONS(ZELT_GSF_MEMBER)
#undef ZELT_GSF_MEMBER
};

// The library, loaded and initialised once; an error when it is missing.
Result<const GsfLibrary*> gsf_library();

}  // namespace zelt::altium
