#include "embed/embed_page.hpp"

#include <algorithm>
#include <array>

#include "base/assets.hpp"
#include "base/base64.hpp"
#include "base/text.hpp"
#include "embed/pin_rows.hpp"

namespace zelt::embed {

namespace {

std::string placeholder_box(std::string_view what) {
  return "<div class=\"ph\">no " + std::string(what) + " render in this directory</div>";
}

std::size_t count_occurrences(std::string_view text, std::string_view needle) {
  std::size_t count = 0;
  for (std::size_t pos = text.find(needle); pos != std::string_view::npos; pos = text.find(needle, pos + needle.size())) {
    ++count;
  }
  return count;
}

std::string escape_name(std::string_view name) {
  std::string out = replace_all(name, "&", "&amp;");
  out = replace_all(out, "<", "&lt;");
  out = replace_all(out, ">", "&gt;");
  return replace_all(out, "\"", "&quot;");
}

}  // namespace

std::string fill_placeholders(std::string_view page_template,
                              std::span<const std::pair<std::string_view, std::string>> fills) {
  std::string out;
  out.reserve(page_template.size());
  std::size_t copied = 0;
  std::size_t pos = 0;
  while ((pos = page_template.find("__", pos)) != std::string_view::npos) {
    const auto hit = std::find_if(fills.begin(), fills.end(),
                                  [&](const auto& fill) { return page_template.substr(pos).starts_with(fill.first); });
    if (hit == fills.end()) {
      ++pos;
      continue;
    }
    out.append(page_template.substr(copied, pos - copied));
    out += hit->second;
    pos += hit->first.size();
    copied = pos;
  }
  out.append(page_template.substr(copied));
  return out;
}

EmbedPage build_embed_page(const ChipFiles& files) {
  const std::string footprint = files.footprint_svg ? *files.footprint_svg : placeholder_box("footprint");
  const auto rows = files.pins_json ? pin_rows(*files.pins_json, files.lbr ? read_connects(*files.lbr) : ConnectMap{})
                                    : std::vector<PinRow>{};
  const std::array<std::pair<std::string_view, std::string>, 7> fills{{
      {"__NAME__", escape_name(files.mpn)},
      {"__SYM__", files.symbol_svg ? *files.symbol_svg : placeholder_box("symbol")},
      {"__FP__", footprint},
      {"__THREED__", files.png ? "<img src=\"data:image/png;base64," + base64_encode(*files.png) + "\">"
                               : placeholder_box("3D")},
      {"__PINS__", pin_rows_json(rows)},
      {"__PADN__", std::to_string(count_occurrences(footprint, "zelt-pad"))},
      {"__PINN__", std::to_string(rows.size())},
  }};
  return {fill_placeholders(assets::get("embed/page.html"), fills), rows.size()};
}

}  // namespace zelt::embed
