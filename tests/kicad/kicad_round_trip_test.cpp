// KiCad -> part file -> KiCad -> part file keeps everything the record
// carries. Electrical pin types, pin styles and text items are not part of
// the record and are lost on the first import.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <variant>

#include "part/part_reader.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

// Six decimals of a millimetre, as written, seen in mils.
constexpr double kMilsTolerance = 2e-6 / 0.0254;
constexpr double kMmTolerance = 2e-6;
constexpr double kDegreesTolerance = 1e-3;

part::ZeltLbrPart load(const std::string& path) {
  auto part = part::deserialize_zelt_lbr_part(read_file(path));
  if (!part) throw std::runtime_error(part.error().to_string());
  return *part;
}

void expect_angle(double a, double b, const std::string& what) {
  double d = std::fmod(std::fabs(a - b), 360.0);
  EXPECT_LT(std::min(d, 360.0 - d), kDegreesTolerance) << what << ": " << a << " vs " << b;
}

// Same variant, every number within `tol`, angles compared on the circle.
template <class Variant>
void expect_graphic(const Variant& a, const Variant& b, double tol, const std::string& what) {
  ASSERT_EQ(a.index(), b.index()) << what;
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        const T& y = std::get<T>(b);
        if constexpr (requires { x.layer; }) {
          EXPECT_EQ(x.layer, y.layer) << what;
        }
        if constexpr (requires { x.points; }) {
          ASSERT_EQ(x.points.size(), y.points.size()) << what;
          for (std::size_t i = 0; i < x.points.size(); ++i) {
            EXPECT_NEAR(x.points[i][0], y.points[i][0], tol) << what;
            EXPECT_NEAR(x.points[i][1], y.points[i][1], tol) << what;
          }
        }
        if constexpr (requires { x.x1; }) {
          EXPECT_NEAR(x.x1, y.x1, tol) << what;
          EXPECT_NEAR(x.y1, y.y1, tol) << what;
          EXPECT_NEAR(x.x2, y.x2, tol) << what;
          EXPECT_NEAR(x.y2, y.y2, tol) << what;
        }
        if constexpr (requires { x.filled; }) {
          EXPECT_EQ(x.filled, y.filled) << what;
        }
        if constexpr (requires { x.cx; }) {
          EXPECT_NEAR(x.cx, y.cx, tol) << what;
          EXPECT_NEAR(x.cy, y.cy, tol) << what;
          EXPECT_NEAR(x.r, y.r, tol) << what;
        }
        if constexpr (requires { x.start; }) {
          expect_angle(x.start, y.start, what);
          expect_angle(x.end, y.end, what);
        }
        EXPECT_NEAR(x.width, y.width, tol) << what;
      },
      a);
}

void expect_same_part(const part::ZeltLbrPart& a, const part::ZeltLbrPart& b) {
  EXPECT_EQ(a.mpn, b.mpn);
  EXPECT_EQ(a.symbol.name, b.symbol.name);
  EXPECT_EQ(a.symbol.pins, b.symbol.pins);
  EXPECT_EQ(a.symbol.designator_prefix, b.symbol.designator_prefix);
  EXPECT_EQ(a.symbol.footprint, b.symbol.footprint);
  EXPECT_EQ(a.symbol.pin_numbers_hidden, b.symbol.pin_numbers_hidden);
  EXPECT_EQ(a.symbol.pin_names_hidden, b.symbol.pin_names_hidden);
  EXPECT_EQ(a.footprint.name, b.footprint.name);
  EXPECT_EQ(a.footprint.pads, b.footprint.pads);
  EXPECT_EQ(a.connect, b.connect);
  EXPECT_EQ(a.provenance, b.provenance);
  ASSERT_EQ(a.symbol.graphics.size(), b.symbol.graphics.size());
  for (std::size_t i = 0; i < a.symbol.graphics.size(); ++i) {
    expect_graphic(a.symbol.graphics[i], b.symbol.graphics[i], kMilsTolerance, "symbol graphic " + std::to_string(i));
  }
  ASSERT_EQ(a.footprint.graphics.size(), b.footprint.graphics.size());
  for (std::size_t i = 0; i < a.footprint.graphics.size(); ++i) {
    expect_graphic(a.footprint.graphics[i], b.footprint.graphics[i], kMmTolerance,
                   "footprint graphic " + std::to_string(i));
  }
}

void round_trip(const std::string& sym, const std::string& mod) {
  SCOPED_TRACE(sym);
  TempDir dir;
  auto run = run_cli({"import-kicad", "--sym", sym, "--fp", mod, "--mpn", "RT", "--out", dir.file("first.json")});
  ASSERT_EQ(run.code, 0) << run.err;
  run = run_cli({"export-kicad", dir.file("first.json"), "--out-dir", dir.path()});
  ASSERT_EQ(run.code, 0) << run.err;
  run = run_cli({"import-kicad", "--sym", dir.file("RT.kicad_sym"), "--fp", dir.file("RT.kicad_mod"), "--mpn", "RT",
                 "--out", dir.file("second.json")});
  ASSERT_EQ(run.code, 0) << run.err;
  auto first = load(dir.file("first.json"));
  auto second = load(dir.file("second.json"));
  EXPECT_FALSE(first.symbol.pins.empty());
  EXPECT_FALSE(first.footprint.pads.empty());
  expect_same_part(first, second);
}

TEST(KicadRoundTrip, HandMadeKicad6Files) {
  round_trip(data_path("kicad/dual_opamp_v6.kicad_sym"), data_path("kicad/soic8_v6.kicad_mod"));
}

TEST(KicadRoundTrip, HandMadeKicad8Files) {
  round_trip(data_path("kicad/regulator_v8.kicad_sym"), data_path("kicad/connector_v8.kicad_mod"));
}

TEST(KicadRoundTrip, Examples) {
  const std::filesystem::path examples = std::filesystem::path(ZELT_SOURCE_DIR) / "examples";
  int pairs = 0;
  if (std::filesystem::is_directory(examples)) {
    for (const auto& entry : std::filesystem::directory_iterator(examples)) {
      if (entry.path().extension() != ".kicad_sym") continue;
      auto mod = entry.path();
      mod.replace_extension(".kicad_mod");
      if (!std::filesystem::exists(mod)) continue;
      round_trip(entry.path().string(), mod.string());
      ++pairs;
    }
  }
  if (pairs == 0) GTEST_SKIP() << "no example pairs";
}

}  // namespace
}  // namespace zelt::test
