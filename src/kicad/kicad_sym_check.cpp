#include "kicad/kicad_sym_check.hpp"

#include <re2/re2.h>

#include <unordered_map>

#include "kicad/symbol_library.hpp"

namespace zelt::kicad {

namespace {

struct Marker {
  bool (*present)(std::string_view text, std::size_t pin_count);
  std::string_view problem;
  bool whole_text = false;  // else the first symbol's text
};

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

const Marker kMarkers[] = {
    {[](std::string_view t, std::size_t) { return contains(t, "(kicad_symbol_lib"); },
     "Missing (kicad_symbol_lib) header \u2014 not a valid .kicad_sym file", true},
    {[](std::string_view t, std::size_t) { return contains(t, "(symbol \""); }, "No (symbol) definitions found"},
    {[](std::string_view, std::size_t pins) { return pins != 0; },
     "No pins found \u2014 symbol has no electrical connections"},
    {[](std::string_view t, std::size_t) { return contains(t, "(property \"Reference\""); }, "Missing Reference property"},
    {[](std::string_view t, std::size_t) { return contains(t, "(property \"Value\""); }, "Missing Value property"},
};

std::size_t count_occurrences(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t pos = text.find(part); pos != std::string_view::npos; pos = text.find(part, pos + part.size())) {
    ++count;
  }
  return count;
}

}  // namespace

KicadSymCheck check_kicad_sym(std::string_view text) {
  // A pin's name in any layout KiCad writes: on one line or across several,
  // with or without a hide flag ("hide" or "(hide yes)") before the name.
  static const RE2 kPinName(
      R"re(\(pin\s+[\w-]+\s+[\w-]+\s+\(at\s[^)]*\)\s+\(length\s[^)]*\)(?:\s+(?:\w+|\(hide\s+\w+\)))*\s+\(name\s+"([^"]+)")re");

  KicadSymCheck check;
  // The library's header is outside its symbols; everything else is looked
  // for in the first symbol, the one the other commands read.
  const std::string_view symbol = first_kicad_symbol(text).text;
  check.pin_count = count_occurrences(symbol, "(pin ");
  for (const auto& marker : kMarkers) {
    const std::string_view looked_in = marker.whole_text ? text : symbol;
    if (!marker.present(looked_in, check.pin_count)) check.problems.emplace_back(marker.problem);
  }

  std::vector<PinNameCount> counts;
  std::unordered_map<std::string_view, std::size_t> index;
  re2::StringPiece rest(symbol.data(), symbol.size());
  re2::StringPiece name;
  while (RE2::FindAndConsume(&rest, kPinName, &name)) {
    std::string_view key(name.data(), name.size());
    auto [it, inserted] = index.emplace(key, counts.size());
    if (inserted) counts.push_back({std::string(key), 0});
    ++counts[it->second].count;
  }
  check.unique_names = counts.size();
  for (auto& entry : counts) {
    if (entry.count < 2 || entry.name == "~" || entry.name.find('@') != std::string::npos) continue;
    check.duplicates.push_back(std::move(entry));
  }
  return check;
}

}  // namespace zelt::kicad
