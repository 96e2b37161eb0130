#pragma once
// Folders for temporary files whose names are predictable. In a shared
// temporary directory someone else could create such a folder, or a link by
// its name, before us, and then read or swap a file between our write and
// the reader's; a folder only this user can enter rules that out.
#include <string>

namespace zelt {

// TMPDIR when it is set and not empty, else "/tmp".
std::string temporary_directory();

// Creates `path` (mode 0700) unless it exists; its parent must exist. True
// when `path` is then a directory, not a link, owned by this user and open
// to no one else.
bool make_private_folder(const std::string& path);

}  // namespace zelt
