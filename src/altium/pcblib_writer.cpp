#include "altium/pcblib_writer.hpp"

#include <iterator>
#include <variant>
#include <vector>

#include "altium/byte_appender.hpp"
#include "altium/byte_cursor.hpp"
#include "altium/cfb_streams.hpp"
#include "altium/pcb_records.hpp"
#include "altium/storage_name.hpp"
#include "altium/text_record.hpp"
#include "base/assets.hpp"

namespace zelt::altium {
namespace {

constexpr std::size_t kMaxName = 255;

// The reference component's first pad: its geometry sub-record is the
// model every pad is made from.
Result<std::string> pad_geometry_model(std::string_view reference_data) {
  const auto refuse = [] { return fail("template first record is not a pad"); };
  ByteCursor cursor(byte_span(reference_data));
  if (!cursor.sub_record() || cursor.u8() != static_cast<std::uint8_t>(PcbRecordType::kPad)) return refuse();
  ByteSpan geometry;
  for (std::size_t sub = 0; sub < pcb_sub_record_count(static_cast<std::uint8_t>(PcbRecordType::kPad)); ++sub) {
    const auto body = cursor.sub_record();
    if (!body) return refuse();
    if (sub == PadSubRecord::kGeometry) geometry = *body;
  }
  return std::string(as_chars(geometry));
}

bool is_component_path(std::string_view path) {
  for (const std::string_view root : {"/REFFP", "/PCBComponent_1"}) {
    if (path == root || (path.starts_with(root) && path.size() > root.size() && path[root.size()] == '/')) return true;
  }
  return false;
}

std::string patched_library_data(std::string_view data, std::string_view name) {
  const auto start = find_component_table(data);
  if (!start) return std::string(data);
  std::string out(data.substr(0, *start));
  push_u32_le(out, 1);
  push_u32_le(out, static_cast<std::uint32_t>(name.size() + 1));
  push_pascal_string(out, name);
  return out;
}

Result<void> check_names_fit(const part::Footprint& footprint) {
  if (footprint.name.size() > kMaxName)
    return fail("footprint name of " + std::to_string(footprint.name.size()) +
                " bytes does not fit a .PcbLib component (255 at most)");
  for (const auto& pad : footprint.pads)
    if (pad.number.size() > kMaxName)
      return fail("a pad number of " + std::to_string(pad.number.size()) +
                  " bytes does not fit a .PcbLib pad (255 at most)");
  return {};
}

struct ComponentStreams {
  std::string data;
  std::string guids;
  std::string unique_ids;
  std::uint32_t primitives = 0;
};

ComponentStreams component_streams(const part::Footprint& footprint, std::string_view pad_model) {
  ComponentStreams out;
  const std::string& name = footprint.name;
  out.data.reserve(10 + name.size() + footprint.pads.size() * (pad_model.size() + 48));
  push_u32_le(out.data, static_cast<std::uint32_t>(name.size() + 1));
  push_pascal_string(out.data, name);

  const auto add_guid = [&](PcbRecordType type, std::uint32_t index) {
    push_u32_le(out.guids, static_cast<std::uint32_t>(type));
    push_u32_le(out.guids, index);
    const auto guid = primitive_guid(name, index + 1);
    out.guids.append(reinterpret_cast<const char*>(guid.data()), guid.size());
  };
  const auto add = [&](PcbRecordType type, const std::string& record, std::string_view object) {
    out.data += record;
    add_guid(type, out.primitives);
    out.unique_ids += frame_text_record("|PRIMITIVEINDEX=" + std::to_string(out.primitives) +
                                        "|PRIMITIVEOBJECTID=" + std::string(object) + "|UNIQUEID=");
    ++out.primitives;
  };

  // The component's own entry comes first, with type 85 and index 0.
  push_u32_le(out.guids, 85);
  push_u32_le(out.guids, 0);
  const auto own = primitive_guid(name, 0);
  out.guids.append(reinterpret_cast<const char*>(own.data()), own.size());

  for (const auto& pad : footprint.pads) add(PcbRecordType::kPad, write_pad_record(pad_model, pad), "Pad");
  for (const auto& graphic : footprint.graphics) {
    std::visit(
        [&](const auto& g) {
          using T = std::decay_t<decltype(g)>;
          const auto track = [&](double x1, double y1, double x2, double y2) {
            add(PcbRecordType::kTrack, write_track_record(g.layer, x1, y1, x2, y2, g.width), "Track");
          };
          if constexpr (std::is_same_v<T, part::FpLine>) {
            track(g.x1, g.y1, g.x2, g.y2);
          } else if constexpr (std::is_same_v<T, part::FpRect>) {
            track(g.x1, g.y1, g.x2, g.y1);
            track(g.x2, g.y1, g.x2, g.y2);
            track(g.x2, g.y2, g.x1, g.y2);
            track(g.x1, g.y2, g.x1, g.y1);
          } else if constexpr (std::is_same_v<T, part::FpCircle>) {
            add(PcbRecordType::kArc, write_arc_record(g.layer, g.cx, g.cy, g.r, 0.0, 360.0, g.width), "Arc");
          } else {
            // y runs the other way in the file, which mirrors the sweep.
            add(PcbRecordType::kArc, write_arc_record(g.layer, g.cx, g.cy, g.r, -g.end, -g.start, g.width), "Arc");
          }
        },
        graphic);
  }
  return out;
}

std::string u32_stream(std::uint32_t value) {
  std::string out;
  push_u32_le(out, value);
  return out;
}

}  // namespace

std::optional<std::size_t> find_component_table(std::string_view data) {
  const std::size_t size = data.size();
  const std::size_t first = size >= 4 ? size - 4 : 0;
  const std::size_t last = size >= 256 ? size - 256 : 0;
  for (std::size_t p = first + 1; p-- > last;) {
    ByteCursor table(byte_span(data.substr(p)));
    const auto count = table.u32_le();
    if (!count || *count < 1 || *count > 64) continue;
    bool fits = true;
    for (std::uint32_t i = 0; i < *count && fits; ++i) {
      const auto entry = table.sub_record();
      fits = entry && !entry->empty() && entry->size() <= 256 && (*entry)[0] == entry->size() - 1;
    }
    if (fits && table.at_end()) return p;
  }
  return std::nullopt;
}

Result<std::string> write_pcblib(const part::Footprint& footprint) {
  if (auto fits = check_names_fit(footprint); !fits) return fail(std::move(fits).error());

  auto reference = CompoundReader::open(assets::get("altium/pcblib_template.PcbLib"));
  if (!reference) return fail(std::move(reference).error().context("open template"));
  auto list = read_stream_list(*reference);
  if (!list) return fail(std::move(list).error());
  // Written in path order, as the template's streams always have been.
  const CfbStreams streams(std::make_move_iterator(list->begin()), std::make_move_iterator(list->end()));
  const auto reference_data = streams.find("/REFFP/Data");
  if (reference_data == streams.end()) return fail("template missing /REFFP/Data");
  auto pad_model = pad_geometry_model(reference_data->second);
  if (!pad_model) return fail(std::move(pad_model).error());

  auto file = CompoundWriter::create();
  if (!file) return fail(std::move(file).error().context("create CFBF"));
  const std::string& name = footprint.name;
  for (const auto& [path, bytes] : streams) {
    if (is_component_path(path)) continue;
    std::string replaced;
    std::string_view content = bytes;
    if (path == "/Library/Data") {
      content = replaced = patched_library_data(bytes, name);
    } else if (path == "/Library/ComponentParamsTOC/Data") {
      content = replaced = frame_text_record("Name=" + name + "|Pad Count=" + std::to_string(footprint.pads.size()) +
                                             "|Height=0|Description=\r\n");
    } else if (path == "/Library/ComponentParamsTOC/Header") {
      content = replaced = u32_stream(1);
    }
    if (auto written = write_stream_at_path(*file, path, content); !written) return fail(std::move(written).error());
  }

  const ComponentStreams component = component_streams(footprint, *pad_model);
  const std::string storage = "/" + component_storage_name(name, 0);
  const std::string count = u32_stream(component.primitives), guid_count = u32_stream(component.primitives + 1);
  const std::string parameters =
      frame_text_record("|PATTERN=" + name + "|HEIGHT=0mil|DESCRIPTION=|ITEMGUID=|REVISIONGUID=");
  const std::string wide_strings = frame_text_record("");
  const std::pair<std::string_view, std::string_view> parts[] = {
      {"/Data", component.data},
      {"/Header", count},
      {"/Parameters", parameters},
      {"/WideStrings", wide_strings},
      {"/PrimitiveGuids/Data", component.guids},
      {"/PrimitiveGuids/Header", guid_count},
      {"/UniqueIDPrimitiveInformation/Data", component.unique_ids},
      {"/UniqueIDPrimitiveInformation/Header", count},
  };
  for (const auto& [leaf, bytes] : parts)
    if (auto written = write_stream_at_path(*file, storage + std::string(leaf), bytes); !written)
      return fail(std::move(written).error());
  return file->finish();
}

}  // namespace zelt::altium
