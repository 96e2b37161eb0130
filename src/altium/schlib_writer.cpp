#include "altium/schlib_writer.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <variant>

#include "altium/compound_file.hpp"
#include "altium/pin_record.hpp"
#include "altium/schlib_record_kinds.hpp"
#include "altium/text_record.hpp"
#include "altium/unique_id.hpp"
#include "base/number_format.hpp"
#include "base/text.hpp"

namespace zelt::altium {
namespace {

constexpr std::string_view kFileHeader =
    "|HEADER=Protel for Windows - Schematic Library Editor Binary File Version 5.0|Weight=0|MinorVersion=9"
    "|UniqueID=ZELTSFHX|FontIdCount=1|Size1=10|FontName1=Times New Roman|UseMBCS=T|IsBOC=T|SheetStyle=9"
    "|BorderOn=T|SheetNumberSpaceSize=12|AreaColor=16317695|SnapGridOn=T|SnapGridSize=10|VisibleGridOn=T"
    "|VisibleGridSize=10|CustomX=18000|CustomY=18000|UseCustomSheet=T|ReferenceZonesOn=T|Display_Unit=0";

constexpr std::string_view kColor = "16711680";

// Altium counts a symbol's parts one more than it has: 2 for one part.
constexpr std::string_view kPartCount = "2";

// A double floored to a 64-bit integer the way a saturating cast does:
// NaN becomes 0, values beyond the range its nearest end.
std::int64_t saturate_i64(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<std::int64_t>::min()))
    return std::numeric_limits<std::int64_t>::min();
  if (value >= static_cast<double>(std::numeric_limits<std::int64_t>::max()))
    return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(value);
}

// The records of one symbol, noting the first text record too long to frame.
class DataStream {
 public:
  DataStream(const part::Symbol& symbol) : name_(symbol.name) {}

  void text(std::string_view record, std::string_view what) {
    if (record.size() > kMaxDataRecordText && overflow_.empty())
      overflow_ = std::string(what) + ": its record of " + std::to_string(record.size()) +
                  " bytes does not fit (65534 at most)";
    push_data_text_record(bytes_, record);
  }
  std::string uid(std::uint32_t index) const { return make_unique_id(name_, index); }

  std::string& bytes() { return bytes_; }
  const std::string& overflow() const { return overflow_; }

 private:
  std::string_view name_;
  std::string bytes_;
  std::string overflow_;
};

std::string graphic_record(const part::Graphic& graphic, const std::string& uid) {
  std::string r;
  const auto location = [&r](double x, double y) {
    write_coord_property(r, "Location.X", x);
    write_coord_property(r, "Location.Y", y);
  };
  std::visit(
      [&](const auto& g) {
        using T = std::decay_t<decltype(g)>;
        if constexpr (std::is_same_v<T, part::GraphicPolyline>) {
          r = sch_record::head(sch_record::kPolyline) + "|OwnerPartId=1|LineWidth=1|Color=" + std::string(kColor) +
              "|LocationCount=" + std::to_string(g.points.size());
          for (std::size_t i = 0; i < g.points.size(); ++i) {
            write_coord_property(r, "X" + std::to_string(i + 1), g.points[i][0]);
            write_coord_property(r, "Y" + std::to_string(i + 1), g.points[i][1]);
          }
        } else if constexpr (std::is_same_v<T, part::GraphicRect>) {
          r = sch_record::head(sch_record::kRectangle) + "|OwnerPartId=1";
          location(g.x1, g.y1);
          write_coord_property(r, "Corner.X", g.x2);
          write_coord_property(r, "Corner.Y", g.y2);
          r += "|LineWidth=1|Color=" + std::string(kColor) + "|AreaColor=11599871|IsSolid=";
          r += g.filled ? "T" : "F";
        } else if constexpr (std::is_same_v<T, part::GraphicCircle>) {
          r = sch_record::head(sch_record::kEllipse) + "|OwnerPartId=1";
          location(g.cx, g.cy);
          write_coord_property(r, "Radius", g.r);
          write_coord_property(r, "SecondaryRadius", g.r);
          r += "|LineWidth=1|Color=" + std::string(kColor);
        } else {
          r = sch_record::head(sch_record::kArc) + "|OwnerPartId=1";
          location(g.cx, g.cy);
          write_coord_property(r, "Radius", g.r);
          r += "|StartAngle=" + format_fixed(g.start, 3) + "|EndAngle=" + format_fixed(g.end, 3) +
               "|LineWidth=1|Color=" + std::string(kColor);
        }
      },
      graphic);
  r += "|UniqueID=" + uid;
  return r;
}

DataStream encode_component(const part::Symbol& symbol) {
  DataStream data(symbol);
  const std::string& name = symbol.name;
  data.text(sch_record::head(sch_record::kComponent) + "|LibReference=" + name +
                "|PartCount=" + std::string(kPartCount) +
                "|DisplayModeCount=1|IndexInSheet=-1|OwnerPartId=-1|CurrentPartId=1|LibraryPath=*"
                "|SourceLibraryName=*|SheetPartFileName=*|TargetFileName=*|UniqueID=" +
                data.uid(0) +
                "|AreaColor=11599871|Color=128|PartIDLocked=T|AllPinCount=" + std::to_string(symbol.pins.size()),
            "the component");

  for (std::size_t g = 0; g < symbol.graphics.size(); ++g)
    data.text(graphic_record(symbol.graphics[g], data.uid(static_cast<std::uint32_t>(1000 + g))),
              "graphic " + std::to_string(g + 1));

  if (symbol.graphics.empty()) {
    // Without drawing items the body (or a small default box) is the outline.
    const part::BodyRect body = symbol.body.value_or(part::BodyRect{0, -50, 200, 50});
    data.text(sch_record::head(sch_record::kRectangle) + "|OwnerPartId=1|Location.X=" + std::to_string(body.x1 / 10) +
                  "|Location.Y=" + std::to_string(body.y1 / 10) + "|Corner.X=" + std::to_string(body.x2 / 10) +
                  "|Corner.Y=" + std::to_string(body.y2 / 10) +
                  "|LineWidth=1|Color=16711680|AreaColor=11599871|IsSolid=T|UniqueID=" + data.uid(14),
              "the body");
  }

  data.bytes().reserve(data.bytes().size() + symbol.pins.size() * 48);
  const PinLabels labels{!symbol.pin_names_hidden.value_or(false), !symbol.pin_numbers_hidden.value_or(false)};
  for (const auto& pin : symbol.pins) push_pin_record(data.bytes(), pin, labels);

  data.text(sch_record::head(sch_record::kDesignator) +
                "|IndexInSheet=-1|OwnerPartId=-1|Location.X=-5|Location.Y=5|Color=8388608|FontID=1|Text=" +
                symbol.designator_prefix.value_or("U") + "?|Name=Designator|ReadOnlyState=1|UniqueID=" + data.uid(34),
            "the designator");
  data.text(sch_record::head(sch_record::kParameter) +
                "|IndexInSheet=-1|OwnerPartId=-1|Location.X=-5|Location.Y=-15|Color=8388608|FontID=1|Text=*"
                "|Name=Comment|UniqueID=" +
                data.uid(41),
            "the comment");
  for (std::size_t p = 0; p < symbol.parameters.size(); ++p) {
    const auto& parameter = symbol.parameters[p];
    // Hidden parameters keep their row: the next visible one stays put.
    const std::string place =
        parameter.visible ? "|Location.X=-5|Location.Y=" + std::to_string(-25 - 10 * static_cast<std::int64_t>(p)) : "";
    data.text(sch_record::head(sch_record::kParameter) + "|IndexInSheet=-1|OwnerPartId=-1" + place +
                  "|Color=8388608|FontID=1" + (parameter.visible ? "" : "|IsHidden=T") + "|Text=" + parameter.value +
                  "|Name=" + parameter.name + "|UniqueID=" + data.uid(static_cast<std::uint32_t>(4100 + p)),
              "parameter " + parameter.name);
  }
  data.text(sch_record::head(sch_record::kModelList), "the model list");

  if (symbol.footprint && !symbol.footprint->empty()) {
    const std::size_t owner =
        std::max<std::size_t>(symbol.graphics.size(), 1) + symbol.pins.size() + symbol.parameters.size() + 3;
    const std::string& footprint = *symbol.footprint;
    data.text(sch_record::head(sch_record::kModel) + "|OwnerIndex=" + std::to_string(owner) +
                  "|IndexInSheet=-1|ModelName=" + footprint +
                  "|ModelType=PCBLIB|DatafileCount=1|ModelDatafileEntity0=" + footprint +
                  "|ModelDatafileKind0=PCBLIB|IsCurrent=T|UniqueID=" + data.uid(45),
              "the footprint link");
    data.text(sch_record::head(sch_record::kModelDatafiles) + "|OwnerIndex=" + std::to_string(owner + 1),
              "the footprint link");
    data.text(sch_record::head(sch_record::kModelParameters) + "|OwnerIndex=" + std::to_string(owner + 1),
              "the footprint link");
  }
  return data;
}

}  // namespace

void write_coord_property(std::string& out, std::string_view key, double mils) {
  const double units = mils / 10.0;
  double whole = std::floor(units);
  std::int64_t frac = 0;
  if (std::isfinite(units)) {
    frac = std::llround((units - whole) * 100000.0);
    if (frac >= 100000) {
      whole += 1;
      frac -= 100000;
    }
  }
  out += '|';
  out += key;
  out += '=';
  out += std::to_string(saturate_i64(whole));
  if (frac != 0) {
    out += '|';
    out += key;
    out += "_Frac=";
    out += std::to_string(frac);
  }
}

std::string library_entry(std::size_t index, std::string_view name) {
  const std::string i = std::to_string(index);
  return std::string(kLibRefKey) + i + "=" + std::string(name) + "|PartCount" + i + "=" + std::string(kPartCount);
}

std::string write_component_data(const part::Symbol& symbol) { return encode_component(symbol).bytes(); }

Result<std::string> checked_component_data(const part::Symbol& symbol) {
  for (const auto& pin : symbol.pins)
    if (auto fits = check_pin_fits(pin); !fits) return fail(std::move(fits).error());
  DataStream data = encode_component(symbol);
  if (!data.overflow().empty()) return fail(data.overflow());
  return std::move(data.bytes());
}

Result<std::string> write_schlib(const std::vector<part::Symbol>& symbols) {
  std::vector<std::string> streams;
  streams.reserve(symbols.size());
  for (const auto& symbol : symbols) {
    auto data = checked_component_data(symbol);
    if (!data) return fail(std::move(data).error().context("symbol " + symbol.name));
    streams.push_back(std::move(*data));
  }

  auto file = CompoundWriter::create();
  if (!file) return fail(std::move(file).error().context("create CFBF"));
  std::string header(kFileHeader);
  header += std::string(kCompCountKey) + std::to_string(symbols.size());
  for (std::size_t i = 0; i < symbols.size(); ++i) header += library_entry(i, symbols[i].name);
  for (const auto& [path, text] :
       {std::pair<std::string_view, std::string_view>{"/FileHeader", header}, {"/Storage", "|HEADER=Icon storage"}}) {
    if (auto written = create_and_write_stream(*file, path, frame_text_record(text)); !written)
      return fail(std::move(written).error());
  }
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    const std::string storage = "/" + component_storage_name(symbols[i].name, i);
    if (auto made = file->create_storage(storage); !made)
      return fail(std::move(made).error().context("create storage " + storage));
    if (auto written = create_and_write_stream(*file, storage + "/Data", streams[i]); !written)
      return fail(std::move(written).error());
  }
  return file->finish();
}

}  // namespace zelt::altium
