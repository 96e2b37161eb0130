#include "part/part_file.hpp"

#include "base/fs.hpp"
#include "part/part_reader.hpp"

namespace zelt::part {

Result<ZeltLbrPart> read_part_file(const std::string& path) {
  auto text = read_file_text(path);
  if (!text) return fail(std::move(text).error().context("read " + path));
  auto part = deserialize_zelt_lbr_part(*text);
  if (!part) return fail(std::move(part).error().context("parse zelt-lbr JSON " + path));
  return part;
}

}  // namespace zelt::part
