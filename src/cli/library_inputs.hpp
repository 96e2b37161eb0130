#pragma once
// Reports shared by the commands that read one part out of a library file.
#include <cstddef>
#include <string_view>

namespace zelt::cli {

// Prints the error for a KiCad 5 legacy library and returns true when `text`
// is one; such a file has to be converted by KiCad before anything reads it.
bool report_kicad5_library(std::string_view path, std::string_view text);

// The warning for a library whose symbols after the first were left out.
void warn_other_symbols_ignored(std::string_view path, std::size_t others);

}  // namespace zelt::cli
