#pragma once
// Small text helpers shared by every subsystem: UTF-8 decoding, the Unicode
// White_Space set, trimming and ASCII-only case folding.
#include <optional>
#include <string>
#include <string_view>

namespace zelt {

// True for the characters of Unicode's White_Space property.
bool is_unicode_whitespace(char32_t c);

// Decodes one UTF-8 scalar at `pos`, advancing it. Invalid bytes decode to
// U+FFFD one byte at a time, so hostile input always makes progress.
char32_t decode_utf8(std::string_view text, std::size_t& pos);

bool is_valid_utf8(std::string_view text);

// Appends the UTF-8 form of one scalar value.
void append_utf8(std::string& out, char32_t c);

// The text with each invalid UTF-8 sequence (a maximal run that could start
// a scalar but does not complete one, or a stray byte) replaced by U+FFFD.
std::string utf8_lossy(std::string_view text);

// Removes Unicode white space from both ends.
std::string_view trim_unicode(std::string_view text);

char ascii_lower(char c);
std::string ascii_lowercase(std::string_view text);
// Equal after folding A-Z onto a-z only (same length required).
bool ascii_iequals(std::string_view a, std::string_view b);

std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

}  // namespace zelt
