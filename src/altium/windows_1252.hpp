#pragma once
// Text as Altium stores it: UTF-8 in newer files, the Windows code page
// (1252 on Western systems) in older records and header values.
#include <string>
#include <string_view>

namespace zelt::altium {

// `bytes` unchanged when they are valid UTF-8, else each byte read as
// Windows-1252 (its five unassigned bytes as the C1 controls of the same
// value, as Windows itself maps them).
std::string utf8_or_windows_1252(std::string_view bytes);

}  // namespace zelt::altium
