#pragma once
// Altium library records made by hand, byte by byte as the libraries lay
// them out, and the compound files that hold them. Shared by the reader
// tests, the import benchmark inputs and the fuzzing seeds.
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "altium/compound_file.hpp"

namespace zelt::test::altium_records {

inline std::string le(std::uint64_t value, unsigned width) {
  std::string out;
  for (unsigned i = 0; i < width; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
  return out;
}
inline std::string u32(std::uint32_t value) { return le(value, 4); }
inline std::string i32(std::int32_t value) { return le(static_cast<std::uint32_t>(value), 4); }
inline std::string f64(double value) { return le(std::bit_cast<std::uint64_t>(value), 8); }
inline std::string pascal(std::string_view text) { return static_cast<char>(text.size()) + std::string(text); }

inline void put(std::string& body, std::size_t offset, std::string_view bytes) { body.replace(offset, bytes.size(), bytes); }

// ---- .SchLib Data stream ----

// [length: three bytes LE][kind][body]; kind 0 text, 1 binary pin.
inline std::string schlib_record(std::uint8_t kind, std::string_view body) {
  return le(body.size(), 3) + static_cast<char>(kind) + std::string(body);
}
inline std::string text_record(std::string_view text) { return schlib_record(0, std::string(text) + '\0'); }

// A binary pin record from its raw fields: the flags byte (orientation code
// in its two low bits), then length, x and y of the body end in 10-mil
// units, and an optional description before them.
inline std::string pin_record(std::uint8_t flags, std::int16_t length, std::int16_t x, std::int16_t y,
                              std::string_view name, std::string_view number, std::string_view description = "") {
  std::string body = std::string("\x02\x00\x00\x00\x00\x01\x00\x00", 8) + std::string(4, '\0') + pascal(description);
  body += std::string("\x01\x04", 2) + static_cast<char>(flags);
  body += le(static_cast<std::uint16_t>(length), 2) + le(static_cast<std::uint16_t>(x), 2) +
          le(static_cast<std::uint16_t>(y), 2);
  body += std::string(4, '\0') + pascal(name) + pascal(number) + std::string("\x00\x03|&|\x00", 6);
  return schlib_record(1, body);
}

// ---- .PcbLib component Data stream (lengths in 1/10000 mil) ----

inline std::string sub_record(std::string_view body) { return u32(static_cast<std::uint32_t>(body.size())) + std::string(body); }

// The name header and the primitive records.
inline std::string pcb_data(std::string_view name, std::string_view records) {
  return sub_record(pascal(name)) + std::string(records);
}

inline std::string track_record(std::uint8_t layer, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                std::uint32_t width) {
  std::string body(49, '\0');
  body[0] = static_cast<char>(layer);
  put(body, 13, i32(x1) + i32(y1) + i32(x2) + i32(y2) + u32(width));
  return "\x04" + sub_record(body);
}

inline std::string arc_record(std::uint8_t layer, std::int32_t cx, std::int32_t cy, std::int32_t r, double start,
                              double end, std::uint32_t width) {
  std::string body(60, '\0');
  body[0] = static_cast<char>(layer);
  put(body, 13, i32(cx) + i32(cy) + i32(r) + f64(start) + f64(end) + u32(width));
  return "\x01" + sub_record(body);
}

inline std::string pad_record(std::string_view name, std::int32_t x, std::int32_t y, std::uint32_t w, std::uint32_t h,
                              std::uint32_t hole, std::uint8_t shape, double rotation) {
  std::string geometry(202, '\0');
  geometry[0] = hole != 0 ? 33 : 1;
  put(geometry, 13, i32(x) + i32(y) + u32(w) + u32(h) + u32(w) + u32(h) + u32(w) + u32(h));
  put(geometry, 45, u32(hole) + std::string(3, static_cast<char>(shape)) + f64(rotation));
  return "\x02" + sub_record(pascal(name)) + sub_record(std::string(1, '\0')) + sub_record("\x04|&|0") +
         sub_record(std::string(1, '\0')) + sub_record(geometry) + sub_record("");
}

// ---- compound files ----

using Streams = std::vector<std::pair<std::string, std::string>>;

// A version 3 compound file (512-byte sectors keep it small) holding the
// streams, each parent storage made on first use.
inline std::string compound_file(const Streams& streams) {
  auto file = altium::CompoundWriter::create();
  for (const auto& [path, bytes] : streams) (void)altium::write_stream_at_path(*file, path, bytes);
  return *file->finish();
}

// A .SchLib around one component's Data stream, with the root streams every
// library has.
inline std::string schlib_file(std::string_view data, std::string_view storage = "Comp") {
  return compound_file({{"/FileHeader", u32(20) + "|HEADER=Protel|CompCount=1" + '\0'},
                        {"/Storage", u32(21) + "|HEADER=Icon storage" + '\0'},
                        {"/" + std::string(storage) + "/Data", std::string(data)}});
}

// A .PcbLib around one component's Data stream, with library-level streams
// whose paths end in "/Data" too.
inline std::string pcblib_file(std::string_view data, std::string_view storage = "Comp") {
  return compound_file({{"/FileHeader", pascal("PCB 6.0 Binary Library File")},
                        {"/Library/Data", u32(8) + "|KIND=x" + '\0'},
                        {"/FileVersionInfo/Data", u32(4) + "abc" + '\0'},
                        {"/" + std::string(storage) + "/Data", std::string(data)},
                        {"/" + std::string(storage) + "/Header", u32(1)}});
}

}  // namespace zelt::test::altium_records
