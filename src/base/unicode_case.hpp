#pragma once
// Unicode's full case mappings (a character may map to several, "ß" upper-
// cases to "SS"), without locale or context rules. Invalid UTF-8 becomes
// U+FFFD.
#include <string>
#include <string_view>

namespace zelt {

std::string unicode_lowercase(std::string_view text);
std::string unicode_uppercase(std::string_view text);

}  // namespace zelt
