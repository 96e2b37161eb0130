// A part through export-altium or export-intlib and back through
// import-altium keeps what Altium's records can hold: pins, symbol graphics,
// parameters, pads, footprint graphics with their layer roles and the
// pin-to-pad connects. The losses are the formats' own: a pin's position
// and length are stored in 10-mil steps and a missing length as 300 mils,
// symbol line widths are not stored (they read back as 10), a footprint
// rectangle is four tracks, and a pad is round (a circle, or an oval when
// its sizes differ), a rounded rectangle or a rectangle.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "part/default_parameters.hpp"
#include "part/part_file.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

// A drawing item as its kind, layer role (footprint items) and numbers.
struct Item {
  std::string kind;
  int role = -1;
  std::vector<double> numbers;
};

std::vector<Item> symbol_items(const std::vector<part::Graphic>& graphics) {
  std::vector<Item> items;
  for (const auto& graphic : graphics) {
    std::visit(
        [&](const auto& g) {
          using T = std::decay_t<decltype(g)>;
          if constexpr (std::is_same_v<T, part::GraphicPolyline>) {
            Item item{"polyline", -1, {}};
            for (const auto& p : g.points) item.numbers.insert(item.numbers.end(), {p[0], p[1]});
            items.push_back(item);
          } else if constexpr (std::is_same_v<T, part::GraphicRect>) {
            items.push_back({"rect", -1, {g.x1, g.y1, g.x2, g.y2, g.filled ? 1.0 : 0.0}});
          } else if constexpr (std::is_same_v<T, part::GraphicCircle>) {
            items.push_back({"circle", -1, {g.cx, g.cy, g.r}});
          } else {
            items.push_back({"arc", -1, {g.cx, g.cy, g.r, g.start, g.end}});
          }
        },
        graphic);
  }
  return items;
}

// What the footprint's graphics read back as: rectangles as their four
// sides.
std::vector<Item> footprint_items(const std::vector<part::FpGraphic>& graphics) {
  const auto role = [](const part::FpLayer& layer) { return static_cast<int>(layer.index()); };
  std::vector<Item> items;
  for (const auto& graphic : graphics) {
    std::visit(
        [&](const auto& g) {
          using T = std::decay_t<decltype(g)>;
          if constexpr (std::is_same_v<T, part::FpLine>) {
            items.push_back({"line", role(g.layer), {g.x1, g.y1, g.x2, g.y2, g.width}});
          } else if constexpr (std::is_same_v<T, part::FpRect>) {
            const double x[] = {g.x1, g.x2, g.x2, g.x1, g.x1}, y[] = {g.y1, g.y1, g.y2, g.y2, g.y1};
            for (int i = 0; i < 4; ++i)
              items.push_back({"line", role(g.layer), {x[i], y[i], x[i + 1], y[i + 1], g.width}});
          } else if constexpr (std::is_same_v<T, part::FpCircle>) {
            items.push_back({"circle", role(g.layer), {g.cx, g.cy, g.r, g.width}});
          } else {
            items.push_back({"arc", role(g.layer), {g.cx, g.cy, g.r, g.start, g.end, g.width}});
          }
        },
        graphic);
  }
  return items;
}

void expect_items(const std::vector<Item>& back, const std::vector<Item>& expected, double tolerance) {
  ASSERT_EQ(back.size(), expected.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    SCOPED_TRACE(expected[i].kind + " " + std::to_string(i));
    EXPECT_EQ(back[i].kind, expected[i].kind);
    EXPECT_EQ(back[i].role, expected[i].role);
    ASSERT_EQ(back[i].numbers.size(), expected[i].numbers.size());
    for (std::size_t n = 0; n < back[i].numbers.size(); ++n)
      EXPECT_NEAR(back[i].numbers[n], expected[i].numbers[n], tolerance) << "number " << n;
  }
}

std::string stored_shape(const part::Pad& pad) {
  if (pad.shape == "circle" || pad.shape == "oval") return pad.w_mm == pad.h_mm ? "circle" : "oval";
  return pad.shape == "roundrect" ? "roundrect" : "rect";
}

void expect_carried(const part::ZeltLbrPart& original, const part::ZeltLbrPart& back) {
  part::Symbol written = part::clone_symbol(original.symbol);
  part::add_default_parameters(written, original);

  EXPECT_EQ(back.symbol.name, original.symbol.name);
  EXPECT_EQ(back.mpn, original.symbol.name);  // no --mpn: the symbol's name
  EXPECT_EQ(back.symbol.designator_prefix, original.symbol.designator_prefix.value_or("U"));
  EXPECT_EQ(back.symbol.footprint, original.symbol.footprint);
  EXPECT_EQ(back.value, original.value);
  EXPECT_EQ(back.manufacturer, original.manufacturer);
  EXPECT_EQ(back.package, original.package);

  ASSERT_EQ(back.symbol.pins.size(), original.symbol.pins.size());
  std::set<std::string> pad_numbers;
  for (const auto& pad : original.footprint.pads) pad_numbers.insert(pad.number);
  std::vector<part::ConnectEntry> connects;
  for (std::size_t i = 0; i < back.symbol.pins.size(); ++i) {
    const auto &pin = back.symbol.pins[i], &was = original.symbol.pins[i];
    SCOPED_TRACE("pin " + was.number);
    EXPECT_EQ(pin.number, was.number);
    EXPECT_EQ(pin.name, was.name);
    EXPECT_EQ(pin.rotation, was.rotation % 360);
    EXPECT_LE(std::abs(*pin.length - was.length.value_or(300)), 5);  // rounded to the 10-mil grid
    EXPECT_LE(std::abs(pin.x - was.x), 5);
    EXPECT_LE(std::abs(pin.y - was.y), 5);
    if (pad_numbers.contains(was.number)) connects.push_back({was.number, was.number});
  }
  EXPECT_EQ(back.connect, connects);

  ASSERT_EQ(back.symbol.parameters.size(), written.parameters.size());
  for (std::size_t i = 0; i < written.parameters.size(); ++i)
    EXPECT_EQ(back.symbol.parameters[i], written.parameters[i]);

  expect_items(symbol_items(back.symbol.graphics), symbol_items(written.graphics), 1e-3);
  for (const auto& graphic : back.symbol.graphics)
    std::visit([](const auto& g) { EXPECT_EQ(g.width, 10.0); }, graphic);

  // A millimetre is 393700.787 file units: each value is within half a unit.
  constexpr double kMm = 2e-6;
  EXPECT_EQ(back.footprint.name, original.footprint.name);
  ASSERT_EQ(back.footprint.pads.size(), original.footprint.pads.size());
  for (std::size_t i = 0; i < back.footprint.pads.size(); ++i) {
    const auto &pad = back.footprint.pads[i], &was = original.footprint.pads[i];
    SCOPED_TRACE("pad " + was.number);
    EXPECT_EQ(pad.number, was.number);
    EXPECT_NEAR(pad.x_mm, was.x_mm, kMm);
    EXPECT_NEAR(pad.y_mm, was.y_mm, kMm);
    EXPECT_NEAR(pad.w_mm, was.w_mm, kMm);
    EXPECT_NEAR(pad.h_mm, was.h_mm, kMm);
    EXPECT_NEAR(pad.drill_mm, was.drill_mm, kMm);
    EXPECT_EQ(pad.rotation, was.rotation);
    EXPECT_EQ(pad.shape, stored_shape(was));
  }
  expect_items(footprint_items(back.footprint.graphics), footprint_items(original.footprint.graphics), kMm);
}

TEST(AltiumRoundTrip, BothExportsReadBackWithWhatTheRecordsHold) {
  TempDir dir;
  auto run = run_cli({"import-kicad", "--sym", std::string(ZELT_SOURCE_DIR) + "/examples/ZLT1117.kicad_sym", "--fp",
                      std::string(ZELT_SOURCE_DIR) + "/examples/ZLT1117.kicad_mod", "--mpn", "ZLT1117", "--out",
                      dir.file("example.json")});
  ASSERT_EQ(run.code, 0) << run.err;
  write_file(dir.file("rich.json"), read_file(data_path("consumer/rich.zelt-lbr.json")));

  for (const std::string name : {"example", "rich"}) {
    SCOPED_TRACE(name);
    const std::string part_path = dir.file(name + ".json");
    auto original = part::read_part_file(part_path);
    ASSERT_TRUE(original) << original.error().to_string();
    const std::string mpn = original->mpn;

    run = run_cli({"export-altium", part_path, "--out-dir", dir.path()});
    ASSERT_EQ(run.code, 0) << run.err;
    run = run_cli({"export-intlib", part_path, "--out", dir.file(name + ".IntLib")});
    ASSERT_EQ(run.code, 0) << run.err;
    run = run_cli({"import-altium", dir.file(mpn + ".SchLib"), "--out", dir.file(name + "-altium.json")});
    ASSERT_EQ(run.code, 0) << run.err;
    run = run_cli({"import-altium", dir.file(name + ".IntLib"), "--out", dir.file(name + "-intlib.json")});
    ASSERT_EQ(run.code, 0) << run.err;

    // One library, two packagings: the same part comes out of both.
    EXPECT_EQ(read_file(dir.file(name + "-altium.json")), read_file(dir.file(name + "-intlib.json")));
    auto back = part::read_part_file(dir.file(name + "-intlib.json"));
    ASSERT_TRUE(back) << back.error().to_string();
    expect_carried(*original, *back);
  }
}

}  // namespace
}  // namespace zelt::test
