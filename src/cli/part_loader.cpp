#include "cli/part_loader.hpp"

#include "cli/report.hpp"
#include "part/part_file.hpp"

namespace zelt::cli {

part::ZeltLbrPart load_part_json(const std::string& path) {
  auto part = part::read_part_file(path);
  if (!part) {
    print_error(part.error().to_string());
    exit_process(1);
  }
  return std::move(*part);
}

}  // namespace zelt::cli
