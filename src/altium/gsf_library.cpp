#include "altium/gsf_library.hpp"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace zelt::altium {
namespace {

// libgsf reports its failures through GLib's log as well as through the
// error it returns. The returned error is what the commands show; a stray
// "libgsf:msole-WARNING" on standard error would break their exact output.
void drop_log_message(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

Result<const GsfLibrary*> load() {
  static GsfLibrary library;
  // The name of the library the build found beside the headers it used.
  void* handle = ::dlopen(ZELT_GSF_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return fail(std::string("cannot load libgsf: ") + ::dlerror());
  // dlsym on the handle also finds GLib's functions, which libgsf depends on.
#define ZELT_GSF_RESOLVE(name)                                                         \
  library.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));          \
  if (library.name == nullptr) return fail("cannot load libgsf: " #name " is missing");
  ZELT_GSF_FUNCTIONS(ZELT_GSF_RESOLVE)
#undef ZELT_GSF_RESOLVE
  library.gsf_init();
  // Some of its messages carry no log domain and GObject's own checks
  // report under theirs; nothing else in the program logs through GLib.
  library.g_log_set_default_handler(drop_log_message, nullptr);
  return &library;
}

}  // namespace

Result<const GsfLibrary*> gsf_library() {
  static std::once_flag once;
  static Result<const GsfLibrary*> loaded = fail("not loaded");
  std::call_once(once, [] { loaded = load(); });
  return loaded;
}

}  // namespace zelt::altium
