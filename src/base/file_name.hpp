#pragma once
// File names derived from data and from other paths.
#include <optional>
#include <string>
#include <string_view>

namespace zelt {

// A name taken from file content (a symbol name, an mpn) made safe to use as
// one file name in the folder the user chose: "/" (and NUL, which would cut
// the name short at the system call) become "_", so the name can never point
// into another directory.
std::string safe_file_name(std::string_view name);

// The path with the extension of its last component set to `extension`:
// the text after the component's last "." is replaced, or "." + extension is
// appended when there is none. A leading dot does not start an extension
// (".lbr" has none); "", "." and ".." have no file name and are returned as
// they are.
std::string with_extension(std::string_view path, std::string_view extension);

// The text after the last "." of the path's last component, by the same
// rules; nothing when the component has no extension.
std::optional<std::string_view> path_extension(std::string_view path);

}  // namespace zelt
