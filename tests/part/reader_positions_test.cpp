// Malformed JSON and where errors are reported: every failure names the line
// and the column (bytes consumed on that line) where reading stood.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "part/part_reader.hpp"
#include "part_text.hpp"

namespace zelt::part {
namespace {

using test::full_error;
using test::part_text;

struct Case {
  const char* what;
  std::string text;
  std::string error;
};

void expect_errors(const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(full_error(deserialize_zelt_lbr_part(c.text)), c.error);
  }
}

TEST(PartReaderSyntax, MalformedTextGivesOneErrorWithItsPlace) {
  expect_errors({
      {"empty", "", "EOF while parsing a value at line 1 column 0"},
      {"blank lines", " \n\t", "EOF while parsing a value at line 2 column 1"},
      {"not a value", "x", "expected value at line 1 column 1"},
      {"open brace", "{", "EOF while parsing an object at line 1 column 1"},
      {"key without colon at end", R"({"schema_version")", "EOF while parsing an object at line 1 column 17"},
      {"no colon", R"({"schema_version" 2})", "expected `:` at line 1 column 19"},
      {"no comma", R"({"schema_version": 2 "mpn")", "expected `,` or `}` at line 1 column 22"},
      {"trailing comma", R"({"schema_version": 2,})", "trailing comma at line 1 column 22"},
      {"number key", R"({2: 1})", "key must be a string at line 1 column 2"},
      {"leading zero", R"({"schema_version": 01})", "invalid number at line 1 column 21"},
      {"bare point", R"({"schema_version": 1.})", "invalid number at line 1 column 22"},
      {"bare minus", R"({"schema_version": -})", "invalid number at line 1 column 21"},
      {"bare exponent", R"({"schema_version": 1e})", "invalid number at line 1 column 22"},
      {"too large", R"({"schema_version": 1e400})", "number out of range at line 1 column 24"},
      {"bad literal", R"({"schema_version": tru})", "expected ident at line 1 column 23"},
      {"truncated literal", R"({"schema_version": nul)", "EOF while parsing a value at line 1 column 22"},
      {"unterminated string", R"({"mpn": "ab)", "EOF while parsing a string at line 1 column 11"},
      {"bad escape", R"({"mpn": "a\qb"})", "invalid escape at line 1 column 12"},
      {"bad hex escape", R"({"mpn": "\u12G4"})", "invalid escape at line 1 column 15"},
      {"lone leading surrogate", R"({"mpn": "\ud800x"})", "unexpected end of hex escape at line 1 column 16"},
      {"lone trailing surrogate", R"({"mpn": "\udc00"})", "lone leading surrogate in hex escape at line 1 column 15"},
      {"control character", "{\"mpn\": \"a\x01\"}",
       "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 11"},
      {"invalid UTF-8", "{\"mpn\": \"a\xff\"}", "invalid unicode code point at line 1 column 12"},
      {"trailing characters", part_text({}) + "\n x", "trailing characters at line 2 column 2"},
      {"second value", part_text({}) + " {}",
       "trailing characters at line 1 column " + std::to_string(part_text({}).size() + 2)},
  });
}

TEST(PartReaderSyntax, EscapesDecodeToUtf8) {
  const auto part = deserialize_zelt_lbr_part(part_text({.part_more = R"(, "value": "\ud83d\ude00\u00e9\/\b\f\n\r\t\"\\")"}));
  ASSERT_TRUE(part) << full_error(part);
  EXPECT_EQ(part->value, "\xF0\x9F\x98\x80\xC3\xA9/\b\f\n\r\t\"\\");
}

// A part laid out over lines, with one spot for the case under test.
std::string pretty_part(const std::string& pin, const std::string& graphics) {
  return "{\n"
         "  \"schema_version\": 2,\n"
         "  \"mpn\": \"X\",\n"
         "  \"symbol\": {\n"
         "    \"name\": \"S\",\n"
         "    \"pins\": [\n"
         "      " + pin + "\n"
         "    ],\n"
         "    \"graphics\": [\n" +
         graphics +
         "    ]\n"
         "  },\n"
         "  \"footprint\": {\"name\": \"F\", \"pads\": []}\n"
         "}";
}

const std::string kPin = R"({"number": "1", "name": "A", "x": 0, "y": 0})";
const std::string kCircle = "      {\"kind\": \"circle\", \"cx\": 0, \"cy\": 0, \"r\": 1}\n";

TEST(PartReaderPositions, ErrorsPointWhereReadingStood) {
  expect_errors({
      // Type and value errors: just after the offending value.
      {"fraction in an integer", pretty_part(R"({"number": "1", "name": "A", "x": 1.5, "y": 0})", ""),
       "invalid type: floating point `1.5`, expected i32 at line 7 column 43"},
      // A container where a scalar belongs: just before its bracket.
      {"map for a string", pretty_part(R"({"number": {}, "name": "A", "x": 0, "y": 0})", ""),
       "invalid type: map, expected a string at line 7 column 17"},
      // Missing fields: just after the record's closing brace.
      {"missing field", pretty_part(R"({"number": "1", "x": 0, "y": 0})", ""),
       "missing field `name` at line 7 column 37"},
      // Repeated fields: just after the repeated key.
      {"duplicate", pretty_part(R"({"number": "1", "number": "2", "name": "A", "x": 0, "y": 0})", ""),
       "duplicate field `number` at line 7 column 30"},
      // An unknown tag: just after its value.
      {"unknown variant", pretty_part(kPin, "      {\"x1\": 0, \"kind\": \"square\", \"y1\": 0}\n"),
       "unknown variant `square`, expected one of `polyline`, `rect`, `circle`, `arc` at line 10 column 32"},
  });
}

TEST(PartReaderPositions, FailuresInsideTaggedItemsArePlacedWhereTheirArrayGoesOn) {
  // The variant's fields are read once the whole item is in, so their
  // failures are placed where the enclosing array continues: after the comma
  // and the blank space that follow the item, or after the closing bracket.
  const std::string no_radius = "      {\"kind\": \"circle\", \"cx\": 0, \"cy\": 0},\n";
  const std::string bad_point = "      {\"kind\": \"polyline\", \"points\": [[1]]}\n";
  expect_errors({
      {"not the last item", pretty_part(kPin, no_radius + kCircle), "missing field `r` at line 11 column 6"},
      {"the last item", pretty_part(kPin, kCircle.substr(0, kCircle.size() - 1) + ",\n" + bad_point),
       "invalid length 1, expected an array of length 2 at line 12 column 5"},
  });
}

TEST(PartReaderNesting, TheHundredAndTwentyEighthOpenLevelIsRefused) {
  const std::string head = R"({"schema_version": 2, "mpn": "X", "symbol": {"name": "S", "pins": []}, )"
                           R"("footprint": {"name": "F", "pads": []}, "provenance": )";
  // The part's own brace is the first level.
  const std::string deepest = std::string(126, '[') + std::string(126, ']');
  EXPECT_TRUE(deserialize_zelt_lbr_part(head + deepest + "}"));
  const std::string too_deep = std::string(127, '[') + std::string(127, ']');
  EXPECT_EQ(full_error(deserialize_zelt_lbr_part(head + too_deep + "}")),
            "recursion limit exceeded at line 1 column " + std::to_string(head.size() + 127));

  // Held values inside tagged items count too ...
  const std::string in_graphic = test::with_symbol_graphic(R"({"kind": "circle", "cx": 0, "cy": 0, "r": 1, "x": )" +
                                                          std::string(124, '[') + std::string(124, ']') + "}");
  EXPECT_EQ(test::message_of(deserialize_zelt_lbr_part(in_graphic)), "recursion limit exceeded");

  // ... but a skipped value is never built and may nest as deep as it likes.
  const std::string skipped = part_text({.part_more = R"(, "comment": )" + std::string(100000, '[') +
                                                      std::string(100000, ']')});
  EXPECT_TRUE(deserialize_zelt_lbr_part(skipped));
}

}  // namespace
}  // namespace zelt::part
