#include <optional>
#include <string>

#include "altium/altium_decode.hpp"
#include "altium/intlib_stream.hpp"
#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "base/text.hpp"
#include "cli/handlers.hpp"
#include "cli/readers.hpp"
#include "cli/report.hpp"
#include "part/part_writer.hpp"

namespace zelt::cli {

namespace {

std::optional<std::string> read_optional(const std::optional<std::string>& path) {
  if (!path) return std::nullopt;
  return read_bytes_or_exit(*path);
}

}  // namespace

int run_import_altium(const ImportAltiumArgs& args) {
  const auto extension = path_extension(args.file);
  const std::string kind =
      extension && is_valid_utf8(*extension) ? ascii_lowercase(*extension) : std::string();

  std::optional<std::string> schlib;
  std::optional<std::string> pcblib;
  if (kind == "intlib") {
    auto libraries = altium::read_intlib_libraries(read_bytes_or_exit(args.file));
    if (!libraries) {
      print_error(libraries.error().to_string());
      return 1;
    }
    schlib = std::move(libraries->schlib);
    pcblib = std::move(libraries->pcblib);
  } else if (kind == "pcblib") {
    pcblib = read_bytes_or_exit(args.file);
    schlib = read_optional(args.schlib);
  } else {
    schlib = read_bytes_or_exit(args.file);
    std::optional<std::string> pcblib_path = args.pcblib;
    if (!pcblib_path) {
      std::string sibling = with_extension(args.file, "PcbLib");
      if (path_exists(sibling)) pcblib_path = std::move(sibling);
    }
    pcblib = read_optional(pcblib_path);
  }

  auto part = altium::decode_altium(schlib, pcblib, args.mpn);
  if (!part) {
    print_error(part.error().to_string());
    return 1;
  }
  const std::string path =
      args.out ? *args.out : safe_file_name(part->mpn.empty() ? "part" : part->mpn) + ".zelt-lbr.json";
  if (auto written = write_file(path, part::part_to_pretty_json(*part)); !written) {
    print_error("Cannot write " + path + ": " + written.error().to_string());
    return 1;
  }
  print_ok("wrote " + path + " \xE2\x80\x94 " + std::to_string(part->symbol.pins.size()) + " pins, " +
           std::to_string(part->footprint.pads.size()) + " pads, " +
           std::to_string(part->footprint.graphics.size()) + " footprint graphics");
  return 0;
}

}  // namespace zelt::cli
