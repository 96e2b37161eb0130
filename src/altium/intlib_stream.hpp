#pragma once
// The library streams inside an .IntLib: one byte (0x02 as written) and then
// the whole .SchLib or .PcbLib file as a zlib stream.
#include <cstddef>
#include <string>
#include <string_view>

#include "altium/compound_file.hpp"
#include "base/error.hpp"

namespace zelt::altium {

// What all library streams of one .IntLib may inflate to together: zlib
// expands up to about a thousandfold, so a small hostile file could
// otherwise ask for gigabytes. Real libraries, 3D models included, stay far
// below it.
inline constexpr std::size_t kMaxIntlibInflated = std::size_t{256} << 20;

// The stream at `path`, its first byte dropped and the rest inflated to the
// end of the zlib stream, which may not make more than `budget` bytes (what
// it makes is taken from the budget). An empty stream is an error.
Result<std::string> read_intlib_stream(const CompoundReader& file, std::string_view path, std::size_t& budget);
// The same with a budget of its own.
Result<std::string> read_intlib_stream(const CompoundReader& file, std::string_view path);

// 0x02 followed by `bytes` compressed with zlib at level 6.
Result<std::string> zlib_compress(std::string_view bytes);

struct IntlibLibraries {
  std::string schlib;
  std::string pcblib;
};

// The .SchLib and .PcbLib packed in an .IntLib's bytes; both must be there,
// and both share one budget.
// A file that does not open fails with the context "open IntLib".
Result<IntlibLibraries> read_intlib_libraries(std::string_view bytes);

}  // namespace zelt::altium
