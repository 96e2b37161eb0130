// The rules by which JSON text becomes part records: defaults, unknown and
// repeated keys, required fields, null, number widths, the array form and
// tagged items.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "part/part_reader.hpp"
#include "part_text.hpp"

namespace zelt::part {
namespace {

using test::message_of;
using test::part_text;
using test::with_fp_graphic;
using test::with_layer;
using test::with_symbol_graphic;

struct RefusedCase {
  const char* what;
  std::string text;
  std::string message;
};

void expect_refused(const std::vector<RefusedCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(message_of(deserialize_zelt_lbr_part(c.text)), c.message);
  }
}

ZeltLbrPart read_ok(const std::string& text) {
  auto part = deserialize_zelt_lbr_part(text);
  EXPECT_TRUE(part) << test::full_error(part);
  return part ? *part : ZeltLbrPart{};
}

std::string with_schema_version(const std::string& value) {
  std::string text = part_text({});
  return text.replace(text.find('2'), 1, value);
}

const char* const kPin = R"({"number": "1", "name": "A", "x": 0, "y": 0)";  // without its closing brace
const char* const kPad = R"({"number": "1", "x_mm": 0, "y_mm": 0, "w_mm": 1, "h_mm": 1)";

TEST(PartReaderDefaults, AbsentFieldsTakeTheirDefaults) {
  const ZeltLbrPart part = read_ok(part_text({.pins = std::string(kPin) + "}", .pads = std::string(kPad) + "}"}));
  EXPECT_EQ(part.schema_version, 2u);
  EXPECT_EQ(part.manufacturer, "");
  EXPECT_EQ(part.package, "");
  EXPECT_EQ(part.value, "");
  EXPECT_EQ(part.category, "");
  EXPECT_TRUE(part.connect.empty());
  EXPECT_FALSE(part.model_3d);
  EXPECT_FALSE(part.provenance);
  EXPECT_FALSE(part.symbol.body);
  EXPECT_TRUE(part.symbol.graphics.empty());
  EXPECT_TRUE(part.symbol.parameters.empty());
  EXPECT_FALSE(part.symbol.designator_prefix);
  EXPECT_FALSE(part.symbol.footprint);
  EXPECT_FALSE(part.symbol.pin_numbers_hidden);
  EXPECT_FALSE(part.symbol.pin_names_hidden);
  EXPECT_EQ(part.symbol.pins.at(0), (Pin{"1", "A", 0, 0, std::nullopt, 0}));
  EXPECT_EQ(part.footprint.pads.at(0), (Pad{"1", 0, 0, 1, 1, 0.0, 0.0, "rect"}));
  EXPECT_TRUE(part.footprint.graphics.empty());
}

TEST(PartReaderDefaults, GraphicsAndLayersTakeTheirDefaults) {
  EXPECT_EQ(read_ok(with_symbol_graphic(R"({"kind": "rect", "x1": 1, "y1": 2, "x2": 3, "y2": 4})")).symbol.graphics.at(0),
            Graphic(GraphicRect{1, 2, 3, 4, 0.0, false}));
  EXPECT_EQ(read_ok(with_layer(R"({"role": "other"})")).footprint.graphics.at(0),
            FpGraphic(FpLine{OtherLayer{0}, 0, 0, 1, 1, 0.0}));
}

TEST(PartReaderNull, MeansAbsentOnlyInOptionalFields) {
  const ZeltLbrPart part = read_ok(part_text({.pins = std::string(kPin) + R"(, "length": null})",
                                              .symbol_more = R"(, "body": null, "pin_names_hidden": null)",
                                              .part_more = R"(, "model_3d": null, "provenance": null)"}));
  EXPECT_FALSE(part.symbol.pins.at(0).length);
  EXPECT_FALSE(part.symbol.body);
  EXPECT_FALSE(part.model_3d);
  EXPECT_FALSE(part.provenance);

  expect_refused({
      {"manufacturer", part_text({.part_more = R"(, "manufacturer": null)"}), "invalid type: null, expected a string"},
      {"connect", part_text({.part_more = R"(, "connect": null)"}), "invalid type: null, expected a sequence"},
      {"pin x", part_text({.pins = R"({"number": "1", "name": "A", "x": null, "y": 0})"}),
       "invalid type: null, expected i32"},
      {"graphic width", with_symbol_graphic(R"({"kind": "circle", "cx": 0, "cy": 0, "r": 1, "width": null})"),
       "invalid type: null, expected f64"},
  });
}

TEST(PartReaderUnknownKeys, AreSkippedWithTheirWholeValue) {
  const std::string comment = R"("comment": {"a": [1, -2.5e400, {"b": null}], "c": "\u00e9\n"})";
  const ZeltLbrPart part = read_ok(part_text({
      .pins = std::string(kPin) + ", " + comment + "}",
      .symbol_more = ", " + comment,
      .pads = std::string(kPad) + ", " + comment + "}",
      .footprint_more = R"(, "graphics": [{"kind": "circle", "comment": {"a": [1, {"b": null}]})"
                        R"(, "layer": {"role": "fab", "altium": 33, "x": []}, "cx": 1, "cy": 2, "r": 3}])",
      .part_more = ", " + comment + ", " + comment,  // a repeated unknown key is no error
  }));
  EXPECT_EQ(part.footprint.graphics.at(0), FpGraphic(FpCircle{FabLayer{}, 1, 2, 3, 0.0}));
  EXPECT_EQ(part.symbol.pins.size(), 1u);

  // Keys are compared exactly: a capitalised field name is an unknown key.
  EXPECT_EQ(message_of(deserialize_zelt_lbr_part(R"({"Schema_version": 2, "mpn": "X"})")),
            "missing field `schema_version`");
  // Skipped values must still be well-formed JSON.
  EXPECT_EQ(message_of(deserialize_zelt_lbr_part(part_text({.part_more = R"(, "comment": [1 2])"}))),
            "expected `,` or `]`");
}

TEST(PartReaderDuplicates, RepeatedFieldsAreRefused) {
  expect_refused({
      {"mpn", part_text({.part_more = R"(, "mpn": "X2")"}), "duplicate field `mpn`"},
      {"pin x", part_text({.pins = std::string(kPin) + R"(, "x": 1})"}), "duplicate field `x`"},
      {"kind", with_symbol_graphic(R"({"kind": "circle", "cx": 0, "cy": 0, "r": 1, "kind": "circle"})"),
       "duplicate field `kind`"},
      {"variant field", with_symbol_graphic(R"({"kind": "circle", "cx": 0, "cy": 0, "r": 1, "r": 2})"),
       "duplicate field `r`"},
      {"role", with_layer(R"({"role": "silk", "role": "fab"})"), "duplicate field `role`"},
      {"altium", with_layer(R"({"role": "other", "altium": 1, "altium": 2})"), "duplicate field `altium`"},
  });
}

TEST(PartReaderMissing, FirstMissingRequiredFieldInFieldOrderIsNamed) {
  expect_refused({
      {"empty object", "{}", "missing field `schema_version`"},
      {"a wrong value before any missing field", R"({"symbol": 0})",
       "invalid type: integer `0`, expected struct Symbol"},
      {"mpn before symbol", R"({"schema_version": 2})", "missing field `mpn`"},
      {"symbol", R"({"schema_version": 2, "mpn": "X", "footprint": {"name": "F", "pads": []}})",
       "missing field `symbol`"},
      {"pins", R"({"schema_version": 2, "mpn": "X", "symbol": {"name": "S"}})", "missing field `pins`"},
      {"pads", R"({"schema_version": 2, "mpn": "X", "symbol": {"name": "S", "pins": []}, "footprint": {"name": "F"}})",
       "missing field `pads`"},
      {"pin name", part_text({.pins = R"({"number": "1", "x": 0, "y": 0})"}), "missing field `name`"},
      {"pad h_mm", part_text({.pads = R"({"number": "1", "x_mm": 0, "y_mm": 0, "w_mm": 1})"}),
       "missing field `h_mm`"},
      {"parameter value", part_text({.symbol_more = R"(, "parameters": [{"name": "P"}])"}), "missing field `value`"},
      {"connect pad", part_text({.part_more = R"(, "connect": [{"pin": "1"}])"}), "missing field `pad`"},
      {"kind", with_symbol_graphic(R"({"cx": 0, "cy": 0, "r": 1})"), "missing field `kind`"},
      {"arc end", with_symbol_graphic(R"({"kind": "arc", "cx": 0, "cy": 0, "r": 1, "start": 0})"),
       "missing field `end`"},
      {"points", with_symbol_graphic(R"({"kind": "polyline", "width": 1})"), "missing field `points`"},
      {"layer before coordinates", with_fp_graphic(R"({"kind": "line"})"), "missing field `layer`"},
      {"role", with_layer(R"({"altium": 3})"), "missing field `role`"},
  });
}

TEST(PartReaderNumbers, IntegerFieldsCheckTheirWidth) {
  const auto pin = [](const std::string& fields) {
    return part_text({.pins = R"({"number": "1", "name": "A", )" + fields + "}"});
  };
  EXPECT_EQ(read_ok(pin(R"("x": 2147483647, "y": -2147483648, "rotation": 65535)")).symbol.pins.at(0),
            (Pin{"1", "A", 2147483647, -2147483647 - 1, std::nullopt, 65535}));
  EXPECT_EQ(read_ok(with_schema_version("4294967295")).schema_version, 4294967295u);
  EXPECT_EQ(std::get<OtherLayer>(std::get<FpLine>(read_ok(with_layer(R"({"role": "other", "altium": 255})"))
                                                     .footprint.graphics.at(0)).layer).altium, 255);

  expect_refused({
      {"u16 above", pin(R"("x": 0, "y": 0, "rotation": 65536)"), "invalid value: integer `65536`, expected u16"},
      {"u16 negative", pin(R"("x": 0, "y": 0, "rotation": -1)"), "invalid value: integer `-1`, expected u16"},
      {"i32 above", pin(R"("x": 2147483648, "y": 0)"), "invalid value: integer `2147483648`, expected i32"},
      {"i32 below", pin(R"("x": -2147483649, "y": 0)"), "invalid value: integer `-2147483649`, expected i32"},
      {"i32 fraction", pin(R"("x": 1.5, "y": 0)"), "invalid type: floating point `1.5`, expected i32"},
      {"i32 whole fraction", pin(R"("x": 1.0, "y": 0)"), "invalid type: floating point `1.0`, expected i32"},
      {"i32 exponent", pin(R"("x": 1e2, "y": 0)"), "invalid type: floating point `100.0`, expected i32"},
      {"i32 minus zero", pin(R"("x": -0, "y": 0)"), "invalid type: floating point `-0.0`, expected i32"},
      {"beyond 64 bits", pin(R"("x": 100000000000000000000, "y": 0)"),
       "invalid type: floating point `100000000000000000000.0`, expected i32"},
      {"optional i32", pin(R"("x": 0, "y": 0, "length": 2.5)"), "invalid type: floating point `2.5`, expected i32"},
      {"u32", with_schema_version("4294967296"), "invalid value: integer `4294967296`, expected u32"},
      {"u32 string", with_schema_version(R"("2")"), "invalid type: string \"2\", expected u32"},
      {"u32 bool", with_schema_version("true"), "invalid type: boolean `true`, expected u32"},
      {"u8 above", with_layer(R"({"role": "other", "altium": 256})"), "invalid value: integer `256`, expected u8"},
      {"u8 negative", with_layer(R"({"role": "other", "altium": -1})"), "invalid value: integer `-1`, expected u8"},
      {"u8 fraction", with_layer(R"({"role": "other", "altium": 57.0})"),
       "invalid type: floating point `57.0`, expected u8"},
  });
}

TEST(PartReaderNumbers, DoubleFieldsTakeAnyNumber) {
  const ZeltLbrPart part = read_ok(part_text({
      .pads = R"({"number": "1", "x_mm": 1, "y_mm": -3, "w_mm": 0.5, "h_mm": 2E-1, "drill_mm": 18446744073709551615})",
      .footprint_more = "",
  }));
  EXPECT_EQ(part.footprint.pads.at(0), (Pad{"1", 1.0, -3.0, 0.5, 0.2, 18446744073709551615.0, 0.0, "rect"}));
  EXPECT_EQ(read_ok(with_symbol_graphic(R"({"kind": "circle", "cx": 0, "cy": 0, "r": 1, "width": 1})")).symbol.graphics.at(0),
            Graphic(GraphicCircle{0, 0, 1, 1.0}));

  expect_refused({
      {"string", part_text({.pads = R"({"number": "1", "x_mm": "1", "y_mm": 0, "w_mm": 1, "h_mm": 1})"}),
       "invalid type: string \"1\", expected f64"},
      {"held string", with_symbol_graphic(R"({"kind": "circle", "cx": "1", "cy": 0, "r": 1})"),
       "invalid type: string \"1\", expected f64"},
      {"boolean", with_fp_graphic(R"({"kind": "circle", "layer": {"role": 0}, "cx": true, "cy": 0, "r": 1})"),
       "invalid type: boolean `true`, expected f64"},
      {"too large", part_text({.pads = R"({"number": "1", "x_mm": 1e400, "y_mm": 0, "w_mm": 1, "h_mm": 1})"}),
       "number out of range"},
  });
}

TEST(PartReaderNumbers, DecimalsReadToTheNearestDouble) {
  const std::vector<std::pair<std::string, double>> cases = {
      {"0.1", 0.1},
      {"2.54", 2.54},
      {"-196.85039370078738", -196.85039370078738},
      {"0.30000000000000004", 0.30000000000000004},
      {"1e-7", 1e-7},
      {"1E+22", 1e22},
      {"1e23", 1e23},
      {"9007199254740993", 9007199254740992.0},  // an integer beyond 2^53 rounds to even
      {"3.14159265358979323846264338327950288", 3.14159265358979323846264338327950288},
      {"1.7976931348623157e308", 1.7976931348623157e308},
      {"2.2250738585072011e-308", 2.2250738585072011e-308},
      {"4.9e-324", 4.9e-324},
      {"1e-400", 0.0},
      {"-0.0", -0.0},
  };
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(text);
    const auto part = read_ok(part_text({.pads = R"({"number": "1", "x_mm": )" + text + R"(, "y_mm": 0, "w_mm": 1, "h_mm": 1})"}));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(part.footprint.pads.at(0).x_mm), std::bit_cast<std::uint64_t>(value));
  }
}

TEST(PartReaderTypes, WrongShapesNameWhatWasFoundAndExpected) {
  expect_refused({
      {"string field", part_text({.part_more = R"(, "value": 5)"}), "invalid type: integer `5`, expected a string"},
      {"negative", part_text({.part_more = R"(, "value": -5)"}), "invalid type: integer `-5`, expected a string"},
      {"sequence", part_text({.part_more = R"(, "value": ["a"])"}), "invalid type: sequence, expected a string"},
      {"map", part_text({.part_more = R"(, "connect": {})"}), "invalid type: map, expected a sequence"},
      {"escaped", part_text({.part_more = R"(, "connect": "a\"\\\n\u0001b")"}),
       R"(invalid type: string "a\"\\\n\u{1}b", expected a sequence)"},
      {"boolean", part_text({.symbol_more = R"(, "parameters": [{"name": "P", "value": "v", "visible": 1}])"}),
       "invalid type: integer `1`, expected a boolean"},
      {"held boolean", with_symbol_graphic(R"({"kind": "rect", "x1": 0, "y1": 0, "x2": 1, "y2": 1, "filled": "no"})"),
       "invalid type: string \"no\", expected a boolean"},
      {"record", part_text({.part_more = R"(, "connect": [false])"}),
       "invalid type: boolean `false`, expected struct ConnectEntry"},
      {"body", part_text({.symbol_more = R"(, "body": "box")"}), "invalid type: string \"box\", expected struct BodyRect"},
      {"tagged", with_symbol_graphic("5"), "invalid type: integer `5`, expected internally tagged enum Graphic"},
      {"tag", with_symbol_graphic(R"({"kind": 1})"), "invalid type: integer `1`, expected variant identifier"},
      {"points", with_symbol_graphic(R"({"kind": "polyline", "points": {}})"), "invalid type: map, expected a sequence"},
      {"point", with_symbol_graphic(R"({"kind": "polyline", "points": [{"x": 1}]})"),
       "invalid type: map, expected an array of length 2"},
      {"point coordinate", with_symbol_graphic(R"({"kind": "polyline", "points": [[1, null]]})"),
       "invalid type: null, expected f64"},
  });
}

TEST(PartReaderArrayForm, RecordsMayBeGivenAsArraysInFieldOrder) {
  const ZeltLbrPart part = read_ok(part_text({
      .pins = R"(["1", "A", 10, -20], ["2", "B", 0, 0, null, 90])",
      .symbol_more = R"(, "body": [-1, -2, 3, 4], "graphics": [["rect", 1, 2, 3, 4], ["polyline", [[0, 0], [1, 1]], 2]])",
      .pads = R"(["1", 0, 0, 1, 1, 0.3])",
      .footprint_more = R"(, "graphics": [["circle", ["copper"], 0, 0, 1], ["line", ["other", 33], 0, 0, 1, 1]])",
      .part_more = R"(, "connect": [["1", "A1"]])",
  }));
  EXPECT_EQ(part.symbol.pins.at(0), (Pin{"1", "A", 10, -20, std::nullopt, 0}));
  EXPECT_EQ(part.symbol.pins.at(1), (Pin{"2", "B", 0, 0, std::nullopt, 90}));
  EXPECT_EQ(part.symbol.body, (BodyRect{-1, -2, 3, 4}));
  EXPECT_EQ(part.symbol.graphics.at(0), Graphic(GraphicRect{1, 2, 3, 4, 0.0, false}));
  EXPECT_EQ(part.symbol.graphics.at(1), Graphic(GraphicPolyline{{{0, 0}, {1, 1}}, 2.0}));
  EXPECT_EQ(part.footprint.pads.at(0), (Pad{"1", 0, 0, 1, 1, 0.3, 0.0, "rect"}));
  EXPECT_EQ(part.footprint.graphics.at(0), FpGraphic(FpCircle{CopperLayer{}, 0, 0, 1, 0.0}));
  EXPECT_EQ(part.footprint.graphics.at(1), FpGraphic(FpLine{OtherLayer{33}, 0, 0, 1, 1, 0.0}));
  EXPECT_EQ(part.connect.at(0), (ConnectEntry{"1", "A1"}));

  expect_refused({
      {"short record", part_text({.part_more = R"(, "connect": [["1"]])"}),
       "invalid length 1, expected struct ConnectEntry with 2 elements"},
      {"short body", part_text({.symbol_more = R"(, "body": [1, 2, 3])"}),
       "invalid length 3, expected struct BodyRect with 4 elements"},
      {"long record", part_text({.part_more = R"(, "connect": [["1", "A1", "x"]])"}), "trailing characters"},
      {"short variant", with_symbol_graphic(R"(["circle", 1, 2])"),
       "invalid length 2, expected struct variant Graphic::Circle with 4 elements"},
      {"long variant", with_symbol_graphic(R"(["circle", 1, 2, 3, 4, 5])"),
       "invalid length 5, expected 4 elements in sequence"},
      {"long other", with_layer(R"(["other", 1, 2])"), "invalid length 2, expected 1 element in sequence"},
      {"empty tagged", with_symbol_graphic("[]"), "missing field `kind`"},
      {"short point", with_symbol_graphic(R"({"kind": "polyline", "points": [[1]]})"),
       "invalid length 1, expected an array of length 2"},
      {"empty point", with_symbol_graphic(R"({"kind": "polyline", "points": [[]]})"),
       "invalid length 0, expected an array of length 2"},
      {"long point", with_symbol_graphic(R"({"kind": "polyline", "points": [[1, 2, 3]]})"),
       "invalid length 3, expected 2 elements in sequence"},
  });
}

TEST(PartReaderTagged, TagMayStandAnywhereAndNamesAreExact) {
  EXPECT_EQ(read_ok(with_symbol_graphic(R"({"cx": 1, "cy": 2, "r": 3, "start": 4, "end": 5, "kind": "arc"})"))
                .symbol.graphics.at(0),
            Graphic(GraphicArc{1, 2, 3, 4, 5, 0.0}));
  EXPECT_EQ(read_ok(with_fp_graphic(R"({"x1": 1, "layer": {"altium": 9, "role": "other"}, "y1": 2, "x2": 3, "y2": 4, "kind": "rect"})"))
                .footprint.graphics.at(0),
            FpGraphic(FpRect{OtherLayer{9}, 1, 2, 3, 4, 0.0}));

  expect_refused({
      {"capital kind", with_symbol_graphic(R"({"kind": "Rect", "x1": 0, "y1": 0, "x2": 1, "y2": 1})"),
       "unknown variant `Rect`, expected one of `polyline`, `rect`, `circle`, `arc`"},
      {"footprint kind", with_fp_graphic(R"({"kind": "polyline"})"),
       "unknown variant `polyline`, expected one of `line`, `rect`, `circle`, `arc`"},
      {"filled on footprint rect is unknown and skipped, x2 is missing",
       with_fp_graphic(R"({"kind": "rect", "layer": {"role": "silk"}, "x1": 0, "y1": 0, "y2": 1, "filled": true})"),
       "missing field `x2`"},
  });
}

TEST(PartReaderTagged, LayerRoleByNameOrIndex) {
  const std::vector<std::pair<std::string, FpLayer>> accepted = {
      {R"({"role": "silk", "altium": 33})", SilkLayer{}},
      {R"({"role": "courtyard"})", CourtyardLayer{}},
      {R"({"role": 0})", SilkLayer{}},
      {R"({"role": 1})", CourtyardLayer{}},
      {R"({"role": 2})", FabLayer{}},
      {R"({"role": 3})", CopperLayer{}},
      {R"({"role": 4, "altium": 12})", OtherLayer{12}},
  };
  for (const auto& [text, layer] : accepted) {
    SCOPED_TRACE(text);
    EXPECT_EQ(std::get<FpLine>(read_ok(with_layer(text)).footprint.graphics.at(0)).layer, layer);
  }

  expect_refused({
      {"index 5", with_layer(R"({"role": 5})"), "invalid value: integer `5`, expected variant index 0 <= i < 5"},
      {"negative index", with_layer(R"({"role": -1})"), "invalid type: integer `-1`, expected variant identifier"},
      {"capital name", with_layer(R"({"role": "Silk"})"),
       "unknown variant `Silk`, expected one of `silk`, `courtyard`, `fab`, `copper`, `other`"},
      {"bare string", with_layer(R"("silk")"), "invalid type: string \"silk\", expected internally tagged enum FpLayer"},
      {"null role", with_layer(R"({"role": null})"), "invalid type: null, expected variant identifier"},
  });
}

TEST(PartReaderProvenance, KeepsAnyValueWithSortedKeysAndIntegerKinds) {
  const ZeltLbrPart part = read_ok(part_text({
      .part_more = R"(, "provenance": {"source": "kicad_import", "b": [1, -2, 2.5, 18446744073709551615], "a": {"z": null, "y": true}, "b": "later"})",
  }));
  ASSERT_TRUE(part.provenance);
  const nlohmann::json& p = *part.provenance;
  std::vector<std::string> keys;
  for (const auto& [key, value] : p.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"a", "b", "source"}));
  EXPECT_EQ(p["b"], "later");  // a repeated key keeps the later value

  const ZeltLbrPart numbers = read_ok(part_text({.part_more = R"(, "provenance": [1, -2, 2.5, 18446744073709551615])"}));
  const nlohmann::json& n = *numbers.provenance;
  EXPECT_TRUE(n[0].is_number_unsigned());
  EXPECT_TRUE(n[1].is_number_integer() && !n[1].is_number_unsigned());
  EXPECT_EQ(n[1].get<std::int64_t>(), -2);
  EXPECT_TRUE(n[2].is_number_float());
  EXPECT_EQ(n[3].get<std::uint64_t>(), 18446744073709551615u);
}

TEST(PartReaderEntryPoints, SymbolsAloneAndInArrays) {
  const auto symbol = deserialize_symbol(R"( {"name": "S", "pins": [], "extra": 1} )");
  ASSERT_TRUE(symbol) << test::full_error(symbol);
  EXPECT_EQ(symbol->name, "S");
  EXPECT_EQ(message_of(deserialize_symbol(R"({"name": "S", "pins": []} [])")), "trailing characters");

  const auto symbols = deserialize_symbol_array(R"([{"name": "A", "pins": []}, ["B", [["1", "x", 0, 0]]]])");
  ASSERT_TRUE(symbols) << test::full_error(symbols);
  ASSERT_EQ(symbols->size(), 2u);
  EXPECT_EQ((*symbols)[1].pins.at(0).name, "x");
  EXPECT_TRUE(deserialize_symbol_array("[]")->empty());
  EXPECT_EQ(message_of(deserialize_symbol_array(R"({"name": "A", "pins": []})")),
            "invalid type: map, expected a sequence");
  EXPECT_EQ(message_of(deserialize_symbol_array(R"([{"name": "A"}])")), "missing field `pins`");
}

}  // namespace
}  // namespace zelt::part
