#include "cli/part_loader.hpp"

#include "part/part_file.hpp"

namespace zelt::cli {

CommandResult<part::ZeltLbrPart> load_part_json(const std::string& path) {
  auto part = part::read_part_file(path);
  if (!part) return std::move(part).error();
  return std::move(*part);
}

}  // namespace zelt::cli
