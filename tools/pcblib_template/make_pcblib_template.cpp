// Builds the reference footprint library that .PcbLib exports start from,
// from the readable sources beside this file:
//   library_data.txt        the /Library/Data settings, KEY=value per line
//   file_version_info.txt   the /FileVersionInfo notes, KEY=value per line
//   reffp_pad_geometry.hex  the geometry bytes of the reference pad
// It holds two components: "PCBComponent_1" (empty) and "REFFP" (two pads
// made from the reference geometry), the way a library with a placeholder
// and one real footprint looks. Written as a version 3 compound file.
//
//   make_pcblib_template <source folder> <output file>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "altium/byte_appender.hpp"
#include "altium/compound_file.hpp"
#include "altium/pcb_records.hpp"
#include "altium/text_record.hpp"

namespace {

using namespace zelt::altium;

[[noreturn]] void die(const std::string& message) {
  std::cerr << "make_pcblib_template: " << message << "\n";
  std::exit(1);
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) die("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The lines of a source file that are not blank and not "#" notes.
std::vector<std::string> content_lines(const std::string& path) {
  std::istringstream in(read_text(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.find('|') != std::string::npos || line.find('=') == std::string::npos)
      die(path + ": not a KEY=value line without '|': " + line);
    lines.push_back(line);
  }
  return lines;
}

std::string hex_bytes(const std::string& path) {
  std::istringstream in(read_text(path));
  std::string bytes;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    for (std::string word; words >> word;) {
      if (word.size() != 2 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        die(path + ": not a hex byte: " + word);
      bytes += static_cast<char>(std::stoi(word, nullptr, 16));
    }
  }
  return bytes;
}

std::string u32(std::uint32_t value) {
  std::string out;
  push_u32_le(out, value);
  return out;
}

std::string name_header(const std::string& name) {
  std::string out = u32(static_cast<std::uint32_t>(name.size() + 1));
  push_pascal_string(out, name);
  return out;
}

std::string parameters(const std::string& name) {
  return frame_text_record("|PATTERN=" + name + "|HEIGHT=0mil|DESCRIPTION=|ITEMGUID=|REVISIONGUID=");
}

std::string guid_entry(std::uint32_t type, std::uint32_t index, const std::string& name) {
  std::string out = u32(type) + u32(index);
  const auto guid = primitive_guid(name, index + (type == 85 ? 0 : 1));
  out.append(reinterpret_cast<const char*>(guid.data()), guid.size());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) die("usage: make_pcblib_template <source folder> <output file>");
  const std::string source = argv[1];

  std::string library_text;
  for (const auto& line : content_lines(source + "/library_data.txt")) library_text += "|" + line;
  std::string library_data = frame_text_record(library_text);
  push_u32_le(library_data, 2);
  library_data += name_header("PCBComponent_1") + name_header("REFFP");

  std::string version_text = "|COUNT=5";
  for (const auto& line : content_lines(source + "/file_version_info.txt")) {
    const auto eq = line.find('=');
    std::string codes;
    for (const char c : line.substr(eq + 1))
      codes += (codes.empty() ? "" : ",") + std::to_string(static_cast<unsigned char>(c));
    version_text += "|" + line.substr(0, eq + 1) + codes;
  }

  const std::string geometry = hex_bytes(source + "/reffp_pad_geometry.hex");
  if (geometry.size() != 202)
    die("reffp_pad_geometry.hex holds " + std::to_string(geometry.size()) + " bytes, not 202");
  std::string reference = name_header("REFFP");
  std::string reference_ids;
  for (const auto& [number, x] : {std::pair{"1", -1.0}, std::pair{"2", 1.0}}) {
    zelt::part::Pad pad{number, x, 0.0, 1.0, 1.0, 0.0, 0.0, "rect"};
    reference += write_pad_record(geometry, pad);
    reference_ids += frame_text_record("|PRIMITIVEINDEX=" + std::to_string(number[0] - '1') +
                                       "|PRIMITIVEOBJECTID=Pad|UNIQUEID=");
  }

  std::string padvia = frame_text_record(
      "|PADVIALIBRARY.LIBRARYID={2ABB55B4-5FC7-4752-8582-79483837BC42}|PADVIALIBRARY.LIBRARYNAME=<Local>"
      "|PADVIALIBRARY.DISPLAYUNITS=1");
  std::string layer_kinds = u32(8);
  for (const char c : std::string("1.0", 4)) layer_kinds += std::string{c, '\0'};  // UTF-16LE and a NUL
  layer_kinds.append(8, '\0');

  std::string file_header = u32(27);
  push_pascal_string(file_header, "PCB 6.0 Binary Library File");
  push_f64_le(file_header, 5.01);
  file_header += u32(8);
  push_pascal_string(file_header, "LKEIADXC");

  const std::vector<std::pair<std::string, std::string>> streams = {
      {"/FileHeader", file_header},
      {"/Library/Header", u32(1)},
      {"/Library/Data", library_data},
      {"/Library/EmbeddedFonts", u32(0)},
      {"/Library/Models/Header", u32(0)},
      {"/Library/Models/Data", ""},
      {"/Library/ModelsNoEmbed/Header", u32(0)},
      {"/Library/ModelsNoEmbed/Data", ""},
      {"/Library/Textures/Header", u32(0)},
      {"/Library/Textures/Data", ""},
      {"/Library/PadViaLibrary/Header", u32(1)},
      {"/Library/PadViaLibrary/Data", padvia},
      {"/Library/LayerKindMapping/Header", u32(1)},
      {"/Library/LayerKindMapping/Data", layer_kinds},
      {"/Library/ComponentParamsTOC/Header", u32(2)},
      {"/Library/ComponentParamsTOC/Data",
       frame_text_record("Name=PCBComponent_1|Pad Count=0|Height=0|Description=\r\n"
                         "Name=REFFP|Pad Count=2|Height=0|Description=\r\n")},
      {"/FileVersionInfo/Header", u32(1)},
      {"/FileVersionInfo/Data", frame_text_record(version_text)},
      {"/PCBComponent_1/Header", u32(0)},
      {"/PCBComponent_1/Data", name_header("PCBComponent_1")},
      {"/PCBComponent_1/Parameters", parameters("PCBComponent_1")},
      {"/PCBComponent_1/WideStrings", frame_text_record("")},
      {"/PCBComponent_1/PrimitiveGuids/Header", u32(1)},
      {"/PCBComponent_1/PrimitiveGuids/Data", guid_entry(85, 0, "PCBComponent_1")},
      {"/REFFP/Header", u32(2)},
      {"/REFFP/Data", reference},
      {"/REFFP/Parameters", parameters("REFFP")},
      {"/REFFP/WideStrings", frame_text_record("")},
      {"/REFFP/PrimitiveGuids/Header", u32(3)},
      {"/REFFP/PrimitiveGuids/Data",
       guid_entry(85, 0, "REFFP") + guid_entry(2, 0, "REFFP") + guid_entry(2, 1, "REFFP")},
      {"/REFFP/UniqueIDPrimitiveInformation/Header", u32(2)},
      {"/REFFP/UniqueIDPrimitiveInformation/Data", reference_ids},
  };

  auto file = CompoundWriter::create();
  if (!file) die(file.error().to_string());
  for (const auto& [path, bytes] : streams) {
    // Storages on the way, each once.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
      const std::string storage = path.substr(0, slash);
      if (!file->has_storage(storage))
        if (auto made = file->create_storage(storage); !made) die(made.error().to_string());
    }
    if (auto written = file->write_stream(path, bytes); !written) die(written.error().to_string());
  }
  auto bytes = file->finish();
  if (!bytes) die(bytes.error().to_string());
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << *bytes;
  if (!out.flush()) die(std::string("cannot write ") + argv[2]);
  return 0;
}
