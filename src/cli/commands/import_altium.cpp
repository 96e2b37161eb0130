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

CommandResult<std::optional<std::string>> read_optional(const std::optional<std::string>& path) {
  if (!path) return std::optional<std::string>();
  auto bytes = read_input_bytes(*path);
  if (!bytes) return std::move(bytes).error();
  return std::optional<std::string>(std::move(*bytes));
}

}  // namespace

CommandResult<int> run_import_altium(const ImportAltiumArgs& args) {
  const auto extension = path_extension(args.file);
  const std::string kind =
      extension && is_valid_utf8(*extension) ? ascii_lowercase(*extension) : std::string();

  // The named file is read first whatever its kind: its failure is the one reported.
  auto file = read_input_bytes(args.file);
  if (!file) return file.error();
  std::optional<std::string> schlib;
  std::optional<std::string> pcblib;
  if (kind == "intlib") {
    auto libraries = altium::read_intlib_libraries(*file);
    if (!libraries) return libraries.error();
    schlib = std::move(libraries->schlib);
    pcblib = std::move(libraries->pcblib);
  } else if (kind == "pcblib") {
    pcblib = std::move(*file);
    auto other = read_optional(args.schlib);
    if (!other) return other.error();
    schlib = std::move(*other);
  } else {
    schlib = std::move(*file);
    std::optional<std::string> pcblib_path = args.pcblib;
    if (!pcblib_path) {
      std::string sibling = with_extension(args.file, "PcbLib");
      if (path_exists(sibling)) pcblib_path = std::move(sibling);
    }
    auto other = read_optional(pcblib_path);
    if (!other) return other.error();
    pcblib = std::move(*other);
  }

  auto part = altium::decode_altium(schlib, pcblib, args.mpn);
  if (!part) return part.error();
  const std::string path =
      args.out ? *args.out : safe_file_name(part->mpn.empty() ? "part" : part->mpn) + ".zelt-lbr.json";
  if (auto written = write_file(path, part::part_to_pretty_json(*part)); !written) {
    return CommandError::cannot_write(path, written.error());
  }
  print_ok("wrote " + path + " \xE2\x80\x94 " + std::to_string(part->symbol.pins.size()) + " pins, " +
           std::to_string(part->footprint.pads.size()) + " pads, " +
           std::to_string(part->footprint.graphics.size()) + " footprint graphics");
  return 0;
}

}  // namespace zelt::cli
