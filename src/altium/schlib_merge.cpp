#include "altium/schlib_merge.hpp"

#include <algorithm>
#include <set>
#include <utility>

#include "altium/byte_cursor.hpp"
#include "altium/cfb_streams.hpp"
#include "altium/compound_file.hpp"
#include "altium/schlib_writer.hpp"
#include "altium/text_record.hpp"
#include "base/text.hpp"
#include "part/part_reader.hpp"

namespace zelt::altium {
namespace {

constexpr std::string_view kCompCount = kCompCountKey;
constexpr std::string_view kLibRef = kLibRefKey;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The component storages: the first segment of every stream path that has
// more than one, library-level streams aside.
std::set<std::string, std::less<>> storage_names(const StreamList& streams) {
  std::set<std::string, std::less<>> names;
  for (const auto& [path, bytes] : streams) {
    std::string_view rest = path;
    while (rest.starts_with('/')) rest.remove_prefix(1);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) continue;
    const std::string_view first = rest.substr(0, slash);
    if (first != "FileHeader" && first != "Storage") names.emplace(first);
  }
  return names;
}

// The FileHeader stream's text: [u32 n][n - 1 bytes of text]...
Result<std::string_view> file_header_text(std::string_view stream) {
  if (stream.size() < 5) return fail("FileHeader too short");
  const std::uint32_t n = read_u32_le_at(byte_span(stream), 0);
  const std::size_t length = n == 0 ? 0 : n - 1;
  if (length > stream.size() - 4) return fail("FileHeader bounds");
  // Only the ASCII keys are read; Altium writes some values in the Windows
  // code page, and those bytes are kept as they are.
  return stream.substr(4, length);
}

// Where `key` (which starts with '|') next stands in `text` from `from`,
// ignoring ASCII case; npos when nowhere.
std::size_t find_key(std::string_view text, std::string_view key, std::size_t from = 0) {
  for (std::size_t at = text.find('|', from); at != std::string_view::npos; at = text.find('|', at + 1))
    if (text.size() - at >= key.size() && ascii_iequals(text.substr(at, key.size()), key)) return at;
  return std::string_view::npos;
}

// The names "|LibRef<digits>=<name>" entries give; empty ones say nothing.
void add_listed_names(std::string_view text, std::set<std::string, std::less<>>& names) {
  for (std::size_t at = find_key(text, kLibRef); at != std::string_view::npos; at = find_key(text, kLibRef, at + 1)) {
    std::size_t end = at + kLibRef.size();
    while (end < text.size() && is_digit(text[end])) ++end;
    if (end == at + kLibRef.size() || end >= text.size() || text[end] != '=') continue;
    const std::string_view rest = text.substr(end + 1);
    const std::string_view name = rest.substr(0, rest.find('|'));
    if (!name.empty()) names.emplace(name);
  }
}

// The count after "|CompCount=" replaced (its old digits are not trusted)
// and one LibRef entry per new symbol appended, numbered from `first`.
Result<std::string> patched_header(std::string_view text, std::size_t first,
                                   const std::vector<const part::Symbol*>& added) {
  const std::size_t at = find_key(text, kCompCount);
  if (at == std::string_view::npos) return fail("FileHeader has no CompCount");
  const std::size_t digits = at + kCompCount.size();
  std::size_t after = digits;
  while (after < text.size() && is_digit(text[after])) ++after;
  std::string out(text.substr(0, digits));
  out += std::to_string(first + added.size());
  out += text.substr(after);
  for (std::size_t j = 0; j < added.size(); ++j) out += library_entry(first + j, added[j]->name);
  return out;
}

// `wanted`, or the first of wanted_2, wanted_3, ... that no entry at the
// root holds (the suffix kept whole within the name's 31 units).
std::string free_storage_name(const CompoundWriter& file, const std::string& wanted) {
  if (!file.has_entry("/" + wanted)) return wanted;
  for (std::size_t n = 2;; ++n) {
    const std::string suffix = "_" + std::to_string(n);
    const std::string candidate = cut_to_units(wanted, kMaxEntryUnits - suffix.size()) + suffix;
    if (!file.has_entry("/" + candidate)) return candidate;
  }
}

}  // namespace

Result<std::vector<part::Symbol>> read_merge_symbols(std::string_view text) {
  if (auto whole = part::deserialize_zelt_lbr_part(text)) return std::vector<part::Symbol>{std::move(whole->symbol)};
  if (auto list = part::deserialize_symbol_array(text)) return std::move(*list);
  auto one = part::deserialize_symbol(text);
  if (!one) return fail(std::move(one).error().context("parse Symbol/ZeltLbrPart"));
  return std::vector<part::Symbol>{std::move(*one)};
}

Result<SchlibMerge> merge_into_schlib(std::string_view existing, const std::vector<part::Symbol>& symbols) {
  auto reader = CompoundReader::open(existing);
  if (!reader) return fail(std::move(reader).error().context("open existing SchLib"));
  auto streams = read_stream_list(*reader);
  if (!streams) return fail(std::move(streams).error());

  const auto storages = storage_names(*streams);
  const auto header_stream =
      std::find_if(streams->begin(), streams->end(), [](const auto& stream) { return stream.first == "/FileHeader"; });
  Result<std::string_view> header = header_stream == streams->end()
                                        ? Result<std::string_view>(fail("existing SchLib has no FileHeader"))
                                        : file_header_text(header_stream->second);
  auto present = storages;
  if (header) add_listed_names(*header, present);
  std::vector<const part::Symbol*> added;
  for (const auto& symbol : symbols)
    if (!present.contains(symbol.name)) added.push_back(&symbol);
  if (added.empty()) return SchlibMerge{std::string(existing), 0, {}};

  if (!header) return fail(std::move(header).error());
  auto new_header = patched_header(*header, storages.size(), added);
  if (!new_header) return fail(std::move(new_header).error());
  std::vector<std::string> data;
  for (const auto* symbol : added) {
    auto bytes = checked_component_data(*symbol);
    if (!bytes) return fail(std::move(bytes).error().context("symbol " + symbol->name));
    data.push_back(std::move(*bytes));
  }

  auto file = CompoundWriter::create();
  if (!file) return fail(std::move(file).error().context("create merged SchLib"));
  const std::string framed_header = frame_text_record(*new_header);
  for (const auto& [path, bytes] : *streams) {
    const std::string_view content = path == "/FileHeader" ? std::string_view(framed_header) : bytes;
    if (auto written = write_stream_at_path(*file, path, content); !written) return fail(std::move(written).error());
  }
  SchlibMerge merge;
  for (std::size_t j = 0; j < added.size(); ++j) {
    const std::string wanted = component_storage_name(added[j]->name, storages.size() + j);
    const std::string storage = free_storage_name(*file, wanted);
    if (storage != wanted) merge.renamed.push_back({added[j]->name, wanted, storage});
    if (auto written = write_stream_at_path(*file, "/" + storage + "/Data", data[j]); !written)
      return fail(std::move(written).error());
  }
  auto bytes = file->finish();
  if (!bytes) return fail(std::move(bytes).error());
  merge.bytes = std::move(*bytes);
  merge.added = added.size();
  return merge;
}

}  // namespace zelt::altium
