// Any bytes through the Altium reader: as a .SchLib, a .PcbLib and an
// .IntLib (compound files, which the seeds make valid and the mutator bends),
// and as one component's Data stream of each kind, so the record walkers see
// hostile bytes even where the container would refuse them. Every part read
// must write as a part file that reads back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "altium/altium_decode.hpp"
#include "altium/intlib_stream.hpp"
#include "altium/pcblib_reader.hpp"
#include "altium/schlib_reader.hpp"
#include "part/part_reader.hpp"
#include "part/part_writer.hpp"

namespace {

void check_writes_back(const zelt::Result<zelt::part::ZeltLbrPart>& part) {
  if (!part) return;
  if (!zelt::part::deserialize_zelt_lbr_part(zelt::part::part_to_pretty_json(*part))) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check_writes_back(zelt::altium::decode_altium(bytes, std::nullopt, "F"));
  check_writes_back(zelt::altium::decode_altium(std::nullopt, bytes, ""));
  if (auto libraries = zelt::altium::read_intlib_libraries(bytes)) {
    check_writes_back(zelt::altium::decode_altium(libraries->schlib, libraries->pcblib, ""));
  }
  (void)zelt::altium::decode_schlib_records(bytes, "F");
  (void)zelt::altium::decode_pcblib_records(bytes, "F");
  return 0;
}
