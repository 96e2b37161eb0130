#include "altium/intlib_writer.hpp"

#include <tuple>
#include <utility>

#include "altium/byte_appender.hpp"
#include "altium/compound_file.hpp"
#include "altium/export_names.hpp"
#include "altium/intlib_stream.hpp"
#include "altium/pcblib_writer.hpp"
#include "altium/schlib_writer.hpp"
#include "altium/text_record.hpp"

namespace zelt::altium {
namespace {

constexpr std::size_t kMaxItemText = 255;

// One group of the cross-reference stream: a u32 count of 1 and its items.
void push_cross_reference_group(std::string& out, std::initializer_list<std::string_view> items) {
  push_u32_le(out, 1);
  for (const auto item : items) out += intlib_string_item(item);
}

std::string cross_reference(std::string_view symbol, std::string_view description, std::string_view footprint) {
  const std::string schlib_file = "C:\\zelt\\" + std::string(symbol) + ".SchLib";
  const std::string pcblib_file = "C:\\zelt\\" + std::string(footprint) + ".PcbLib";
  std::string out(1, '\0');
  push_cross_reference_group(out, {symbol, ":\\SchLib\\0.schlib"});
  push_cross_reference_group(out, {description, schlib_file});
  push_cross_reference_group(out, {footprint, "PCBLIB"});
  push_cross_reference_group(out, {":\\PCBLib\\0.pcblib", pcblib_file});
  return out;
}

// A cross-reference text over 255 bytes would get a wrong length byte. The
// symbol and footprint names also stand inside "C:\zelt\<name>.SchLib".
Result<void> check_items_fit(std::string_view symbol, std::string_view description, std::string_view footprint) {
  constexpr std::size_t kInPath = kMaxItemText - 15;
  const std::tuple<std::string_view, std::size_t, std::size_t> texts[] = {
      {"a symbol name", symbol.size(), kInPath},
      {"a description", description.size(), kMaxItemText},
      {"a footprint name", footprint.size(), kInPath},
  };
  for (const auto& [what, size, most] : texts)
    if (size > most)
      return fail(std::string(what) + " of " + std::to_string(size) +
                  " bytes does not fit an .IntLib cross-reference (" + std::to_string(most) + " at most)");
  return {};
}

}  // namespace

std::string intlib_string_item(std::string_view text) {
  if (text.size() > kMaxItemText) text = text.substr(0, kMaxItemText);
  std::string out;
  push_u32_le(out, static_cast<std::uint32_t>(text.size() + 1));
  push_pascal_string(out, text);
  return out;
}

std::string intlib_description(const part::ZeltLbrPart& part) {
  return part.value.empty() ? part.mpn : part.value + " " + part.package;
}

Result<std::string> write_intlib(const part::ZeltLbrPart& part, const part::Symbol& symbol) {
  const std::string description = intlib_description(part);
  const part::Footprint named = named_footprint(part);
  const std::string& footprint = named.name;
  if (auto fits = check_items_fit(symbol.name, description, footprint); !fits) return fail(std::move(fits).error());

  auto schlib = write_schlib({symbol});
  if (!schlib) return fail(std::move(schlib).error());
  auto pcblib = write_pcblib(named);
  if (!pcblib) return fail(std::move(pcblib).error());
  auto packed_schlib = zlib_compress(*schlib);
  if (!packed_schlib) return fail(std::move(packed_schlib).error());
  auto packed_pcblib = zlib_compress(*pcblib);
  if (!packed_pcblib) return fail(std::move(packed_pcblib).error());

  std::string parameters(1, '\0');
  append_text_record(parameters, "Comment=*|Component Kind=Standard|Description=" + description +
                                     "|Footprint=" + footprint);
  append_text_record(parameters, "Height=0mil|Pad Count=" + std::to_string(part.footprint.pads.size()));

  auto file = CompoundWriter::create();
  if (!file) return fail(std::move(file).error().context("create IntLib CFBF"));
  for (const std::string_view storage : {"/SchLib", "/PCBLib"})
    if (auto made = file->create_storage(storage); !made)
      return fail(std::move(made).error().context("create storage " + std::string(storage)));
  const std::pair<std::string_view, std::string> streams[] = {
      {"/SchLib/0.schlib", std::move(*packed_schlib)},
      {"/PCBLib/0.pcblib", std::move(*packed_pcblib)},
      {"/LibCrossRef.Txt", cross_reference(symbol.name, description, footprint)},
      {"/Version.Txt", std::string("\x00\x02\x00\x00\x00", 5)},
      // Three blanks before ".bin": the name Altium's own libraries use.
      {"/Parameters   .bin", std::move(parameters)},
  };
  for (const auto& [path, bytes] : streams)
    if (auto written = create_and_write_stream(*file, path, bytes); !written) return fail(std::move(written).error());
  return file->finish();
}

}  // namespace zelt::altium
