#include "altium/cfb_streams.hpp"

#include <array>
#include <iterator>
#include <span>
#include <utility>


namespace zelt::altium {

Result<StreamList> read_stream_list(const CompoundReader& file) {
  StreamList streams;
  for (const auto& entry : file.walk()) {
    if (entry.is_storage) continue;
    auto data = file.read_stream(entry.path);
    if (!data) return fail(std::move(data).error());
    streams.emplace_back(entry.path, std::move(*data));
  }
  return streams;
}

Result<CfbStreams> read_cfb_streams(std::string_view bytes) {
  auto file = CompoundReader::open(bytes);
  if (!file) return fail(std::move(file).error().context("open CFBF"));
  auto list = read_stream_list(*file);
  if (!list) return fail(std::move(list).error());
  return CfbStreams(std::make_move_iterator(list->begin()), std::make_move_iterator(list->end()));
}

namespace {

constexpr std::array<std::string_view, 2> kSchLibSkipped{"FileHeader", "Storage"};
constexpr std::array<std::string_view, 3> kPcbLibSkipped{"Library", "FileVersionInfo", "FileHeader"};

bool has_segment(std::string_view path, std::span<const std::string_view> names) {
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find('/', begin);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(begin, end - begin);
    for (const auto name : names) {
      if (segment == name) return true;
    }
    begin = end + 1;
  }
  return false;
}

std::string first_segment(std::string_view path) {
  const std::size_t begin = path.find_first_not_of('/');
  if (begin == std::string_view::npos) return {};
  const std::size_t end = path.find('/', begin);
  return std::string(path.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
}

}  // namespace

std::vector<DataStream> component_data_streams(const CfbStreams& streams, LibraryKind kind) {
  const std::span<const std::string_view> skipped =
      kind == LibraryKind::SchLib ? std::span<const std::string_view>(kSchLibSkipped) : kPcbLibSkipped;
  std::vector<DataStream> out;
  for (const auto& [path, bytes] : streams) {
    if (!path.ends_with("/Data") || has_segment(path, skipped)) continue;
    out.push_back(DataStream{path, bytes, first_segment(path)});
  }
  return out;
}

std::optional<DataStream> choose_data_stream(const CfbStreams& streams, LibraryKind kind) {
  auto all = component_data_streams(streams, kind);
  if (all.empty()) return std::nullopt;
  return std::move(all.front());
}

}  // namespace zelt::altium
