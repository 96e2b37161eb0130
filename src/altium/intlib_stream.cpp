#include "altium/intlib_stream.hpp"

#include <zlib.h>

#include <algorithm>
#include <utility>

#include "base/text.hpp"

namespace zelt::altium {

namespace {


std::string zlib_message(const z_stream& stream, int code) {
  if (stream.msg != nullptr) return stream.msg;
  const char* text = zError(code);
  return text != nullptr ? text : "zlib error";
}

// Inflates `input` whole, refusing output past `budget` bytes, and takes
// what it made from the budget.
Result<std::string> inflate_all(std::string_view input, std::string_view path, std::size_t& budget) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return fail("zlib: cannot start inflating");
  std::string out;
  std::size_t fed = 0;
  int code = Z_OK;
  while (code != Z_STREAM_END) {
    if (stream.avail_in == 0 && fed < input.size()) {
      const std::size_t chunk = std::min<std::size_t>(input.size() - fed, 1u << 30);
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data() + fed));
      stream.avail_in = static_cast<uInt>(chunk);
      fed += chunk;
    }
    if (out.size() >= budget) {
      inflateEnd(&stream);
      return fail(Error("the IntLib's library streams inflate to more than " +
                        std::to_string(kMaxIntlibInflated >> 20) + " MiB together")
                      .context(std::string(path)));
    }
    const std::size_t before = out.size();
    const std::size_t room = std::min<std::size_t>(std::max<std::size_t>(before, 1u << 16), budget - before);
    out.resize(before + room);
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + before);
    stream.avail_out = static_cast<uInt>(room);
    code = inflate(&stream, Z_NO_FLUSH);
    out.resize(before + room - stream.avail_out);
    if (code == Z_BUF_ERROR && stream.avail_in == 0 && fed == input.size()) {
      inflateEnd(&stream);
      return fail(Error("zlib stream ends early").context(std::string(path)));
    }
    if (code != Z_OK && code != Z_STREAM_END && code != Z_BUF_ERROR) {
      std::string message = zlib_message(stream, code);
      inflateEnd(&stream);
      return fail(Error(std::move(message)).context(std::string(path)));
    }
  }
  inflateEnd(&stream);
  budget -= out.size();
  return out;
}

// The stream's path as the file spells it: directory entries compare their
// names ignoring case, and so do the libraries Altium writes ("/PCBLib" or
// "/PcbLib"). `path` itself when no stream matches.
std::string stored_path(const CompoundReader& file, std::string_view path) {
  for (const auto& entry : file.walk())
    if (!entry.is_storage && ascii_iequals(entry.path, path)) return entry.path;
  return std::string(path);
}

}  // namespace

Result<std::string> read_intlib_stream(const CompoundReader& file, std::string_view path, std::size_t& budget) {
  auto bytes = file.read_stream(path);
  if (!bytes) return fail(std::move(bytes).error());
  if (bytes->empty()) return fail("IntLib stream " + std::string(path) + " is empty");
  return inflate_all(std::string_view(*bytes).substr(1), path, budget);
}

Result<std::string> read_intlib_stream(const CompoundReader& file, std::string_view path) {
  std::size_t budget = kMaxIntlibInflated;
  return read_intlib_stream(file, path, budget);
}

Result<std::string> zlib_compress(std::string_view bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::string out(1 + size, '\0');
  out[0] = '\x02';
  const int code = compress2(reinterpret_cast<Bytef*>(out.data() + 1), &size,
                             reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()), 6);
  if (code != Z_OK) return fail(std::string("zlib: ") + zError(code));
  out.resize(1 + size);
  return out;
}

Result<IntlibLibraries> read_intlib_libraries(std::string_view bytes) {
  auto file = CompoundReader::open(bytes);
  if (!file) return fail(std::move(file).error().context("open IntLib"));
  std::size_t budget = kMaxIntlibInflated;
  auto schlib = read_intlib_stream(*file, stored_path(*file, "/SchLib/0.schlib"), budget);
  if (!schlib) return fail(std::move(schlib).error());
  auto pcblib = read_intlib_stream(*file, stored_path(*file, "/PCBLib/0.pcblib"), budget);
  if (!pcblib) return fail(std::move(pcblib).error());
  return IntlibLibraries{std::move(*schlib), std::move(*pcblib)};
}

}  // namespace zelt::altium
