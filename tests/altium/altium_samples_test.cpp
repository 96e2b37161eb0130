// Libraries Altium Designer saved itself, read against the CSV reports that
// Altium exported for each component: every pin and pad where Altium puts
// it, the graphics counted, and add-to-schlib into each library keeping
// every symbol it had.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "altium/altium_decode.hpp"
#include "altium/cfb_streams.hpp"
#include "altium/pcblib_reader.hpp"
#include "altium/schlib_merge.hpp"
#include "altium/schlib_reader.hpp"
#include "altium/schlib_writer.hpp"
#include "altium/storage_name.hpp"
#include "base/number_parse.hpp"
#include "support/altium_samples.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

using Row = std::map<std::string, std::string>;

// The rows of one of Altium's CSV reports, keyed by the header's names
// (trimmed of the blank and byte-order mark Altium puts before the first).
std::vector<Row> read_csv(const std::string& path) {
  const std::string text = read_file(path);
  std::vector<std::vector<std::string>> lines(1);
  std::string cell;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',' || c == '\n') {
      lines.back().push_back(std::move(cell));
      cell.clear();
      if (c == '\n') lines.emplace_back();
    } else if (c != '\r') {
      cell += c;
    }
  }
  if (!cell.empty()) lines.back().push_back(std::move(cell));
  std::vector<Row> rows;
  auto& header = lines.front();
  for (auto& name : header) name.erase(0, name.find_first_not_of("\xEF\xBB\xBF "));
  for (std::size_t l = 1; l < lines.size(); ++l) {
    if (lines[l].size() < 2) continue;
    Row row;
    for (std::size_t i = 0; i < header.size() && i < lines[l].size(); ++i) row[header[i]] = lines[l][i];
    rows.push_back(std::move(row));
  }
  return rows;
}

double number(std::string text, std::string_view unit = "") {
  if (!unit.empty() && text.ends_with(unit)) text.resize(text.size() - unit.size());
  const auto value = parse_double(text);
  EXPECT_TRUE(value) << text;
  return value.value_or(NAN);
}

std::string sample(const std::string& relative) { return (*altium_samples_dir() / relative).string(); }

// A component's own Data stream, found under the storage name Altium gives it.
altium::DataStream component_data(const altium::CfbStreams& streams, const std::string& component) {
  const auto at = streams.find("/" + altium::component_storage_name(component, 0) + "/Data");
  EXPECT_NE(at, streams.end()) << component;
  if (at == streams.end()) return {};
  return altium::DataStream{at->first, at->second, ""};
}

#define NEED_SAMPLES()                                                                       \
  if (!altium_samples_dir()) GTEST_SKIP() << "no shared/altium-samples beside the checkout"

TEST(AltiumSamples, PinsWhereAltiumsReportsPutThem) {
  NEED_SAMPLES();
  struct Case {
    std::string library, component;
    std::vector<std::string> reports;  // one per display mode
  };
  const Case cases[] = {
      {"schlib/simple.SchLib", "Position", {"simple/Position"}},
      {"schlib/simple.SchLib", "PinProperties", {"simple/PinProperties"}},
      {"schlib/simple.SchLib", "PinOverrides", {"simple/PinOverrides"}},
      {"schlib/simple.SchLib", "CombinedPins", {"simple/CombinedPins"}},
      {"schlib/simple.SchLib", "CombinedPinsRectGraphic", {"simple/CombinedPinsRectGraphic"}},
      {"schlib/simple.SchLib", "Mixed with shape and text", {"simple/Mixed with shape and text"}},
      // Each part's report lists the pins of every part.
      {"schlib/simple.SchLib", "Multipart 1", {"simple/Multipart 1-A"}},
      {"schlib/simple.SchLib",
       "Multimode 1",
       {"simple/Multimode 1 mode-normal", "simple/Multimode 1 mode-alternate-1"}},
      {"schlib/long-pindata.SchLib", "Component_1", {"long-pindata/Component_1"}},
  };
  // Pin directions by Altium's orientation (0, 90, 180, 270 degrees): from
  // the body end towards the pin's own point.
  constexpr int kDx[] = {1, 0, -1, 0}, kDy[] = {0, 1, 0, -1};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.component);
    const auto streams = altium::read_cfb_streams(read_file(sample(c.library)));
    ASSERT_TRUE(streams) << streams.error().to_string();
    const part::Symbol symbol = altium::decode_schlib_component(*streams, component_data(*streams, c.component));
    EXPECT_EQ(symbol.name, c.component);

    std::vector<part::Pin> expected;
    for (const auto& report : c.reports) {
      for (const auto& row : read_csv(sample("schlib/" + report + ".csv"))) {
        const int code = static_cast<int>(number(row.at("Orientation"), " Degrees")) / 90 & 3;
        const double x = number(row.at("X1"), "mil"), y = number(row.at("Y1"), "mil");
        const auto length = static_cast<int>(number(row.at("Length"), "mil"));
        expected.push_back({row.at("Pin Designator"), row.at("Name"),
                            static_cast<int>(std::lround(x)) + kDx[code] * length,
                            static_cast<int>(std::lround(y)) + kDy[code] * length, length,
                            static_cast<std::uint16_t>((code ^ 2) * 90)});
      }
    }
    ASSERT_EQ(symbol.pins.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const auto& want = expected[i];
      const auto got = std::find_if(symbol.pins.begin(), symbol.pins.end(), [&](const part::Pin& p) {
        return p.number == want.number && p.rotation == want.rotation && p.x == want.x && p.y == want.y &&
               want.name.starts_with(p.name);
      });
      ASSERT_NE(got, symbol.pins.end()) << "pin " << want.number << " at " << want.x << "," << want.y;
      EXPECT_EQ(got->length, want.length) << want.number;
      // Names over 255 bytes are kept whole in a stream beside Data
      // (PinWideText), which is not read.
      if (want.name.size() <= 255) {
        EXPECT_EQ(got->name, want.name);
      }
    }
  }
}

TEST(AltiumSamples, PadsAndGraphicsWhereAltiumsReportsPutThem) {
  NEED_SAMPLES();
  const std::pair<std::string, std::string> cases[] = {
      {"FOUR PADS", "Four pads"},
      {"CAPC1608X09L", "CAPC1608X09L"},
      {"SQFP50P800X800X300_HS-33T300X300", "SQFP50P800X800X300_HS-33T300X300"},  // stored cut to 31
  };
  const auto streams = altium::read_cfb_streams(read_file(sample("pcblib/Simple.PcbLib")));
  ASSERT_TRUE(streams) << streams.error().to_string();
  for (const auto& [report, component] : cases) {
    SCOPED_TRACE(component);
    auto footprint = altium::decode_pcblib_records(component_data(*streams, component).bytes, "");
    ASSERT_TRUE(footprint) << footprint.error().to_string();
    EXPECT_EQ(footprint->name, component);
    std::size_t pads = 0, graphics = 0;
    for (const auto& row : read_csv(sample("pcblib/simple/" + report + ".csv"))) {
      const std::string& kind = row.at("Object Kind");
      if (kind == "Track" || kind == "Arc") ++graphics;
      if (kind != "Pad") continue;
      ++pads;
      const auto got = std::find_if(footprint->pads.begin(), footprint->pads.end(),
                                    [&](const part::Pad& p) { return p.number == row.at("Designator"); });
      ASSERT_NE(got, footprint->pads.end()) << row.at("Designator");
      SCOPED_TRACE("pad " + got->number);
      const double w = number(row.at("X Size (All Layers) (mm)")), h = number(row.at("Y Size (All Layers) (mm)"));
      EXPECT_NEAR(got->x_mm, number(row.at("X1 (mm)")), 1e-4);
      EXPECT_NEAR(got->y_mm, -number(row.at("Y1 (mm)")), 1e-4);  // y grows downwards in the part
      EXPECT_NEAR(got->w_mm, w, 1e-4);
      EXPECT_NEAR(got->h_mm, h, 1e-4);
      EXPECT_NEAR(got->drill_mm, number(row.at("Hole Size (mm)")), 1e-4);
      EXPECT_EQ(got->rotation, number(row.at("Rotation")));
      const std::map<std::string, std::string> shapes = {
          {"Rectangular", "rect"}, {"Rounded Rectangle", "roundrect"}, {"Round", w == h ? "circle" : "oval"}};
      EXPECT_EQ(got->shape, shapes.at(row.at("Shape (All Layers)")));
    }
    EXPECT_EQ(footprint->pads.size(), pads);
    EXPECT_EQ(footprint->graphics.size(), graphics);
  }
}

// Each sample library takes one more symbol: every stream it had is copied
// byte for byte (the FileHeader aside, whose count goes up by one), and every
// component reads as before.
TEST(AltiumSamples, AddToSchlibKeepsEverySymbolOfEachLibrary) {
  NEED_SAMPLES();
  part::Symbol added;
  added.name = "ZELT NEW";
  added.pins = {part::Pin{"1", "A", 0, 0, 100, 0}};
  std::size_t libraries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(*altium_samples_dir() / "schlib")) {
    if (entry.path().extension() != ".SchLib") continue;
    ++libraries;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = read_file(entry.path().string());
    const auto before = altium::read_cfb_streams(bytes);
    ASSERT_TRUE(before) << before.error().to_string();
    EXPECT_TRUE(altium::decode_altium(bytes, std::nullopt, ""));

    auto merged = altium::merge_into_schlib(bytes, {added});
    ASSERT_TRUE(merged) << merged.error().to_string();
    EXPECT_EQ(merged->added, 1u);
    const auto after = altium::read_cfb_streams(merged->bytes);
    ASSERT_TRUE(after) << after.error().to_string();
    ASSERT_EQ(after->size(), before->size() + 1);
    for (const auto& [path, stream] : *before) {
      if (path != "/FileHeader") {
        EXPECT_EQ(after->at(path), stream) << path;
      }
    }
    EXPECT_EQ(after->at("/ZELT NEW/Data"), altium::write_component_data(added));
    // The count goes up by one and the new entry is numbered after the old.
    const std::string old_header = before->at("/FileHeader");
    const std::size_t digits = old_header.find("|CompCount=") + 11;
    const std::string count = old_header.substr(digits, old_header.find('|', digits) - digits);
    const std::string header = after->at("/FileHeader");
    EXPECT_NE(header.find("|CompCount=" + std::to_string(std::stoi(count) + 1) + "|"), std::string::npos);
    EXPECT_TRUE(header.ends_with("|LibRef" + count + "=ZELT NEW|PartCount" + count + "=2" + std::string(1, '\0')));
  }
  EXPECT_GE(libraries, 5u);
}

}  // namespace
}  // namespace zelt::test
