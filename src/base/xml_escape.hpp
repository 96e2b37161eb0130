#pragma once
#include <string>
#include <string_view>

namespace zelt {

// The five XML entities, "&" first so no entity is escaped twice.
std::string xml_escape(std::string_view text);

// Appends the escaped text to `out` (the writers build one growing buffer).
void append_xml_escaped(std::string& out, std::string_view text);

// Decodes the five XML entities in one left-to-right pass: a character made
// by decoding is never decoded again ("&amp;lt;" gives "&lt;"). Nothing else
// (numeric references, other names) is decoded.
std::string xml_unescape(std::string_view text);

}  // namespace zelt
