#pragma once
// The three-column embed page (Symbol | Footprint | 3D, and the pin-to-pad
// table) built from a chip directory's files and the compiled-in template.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "embed/chip_files.hpp"

namespace zelt::embed {

struct EmbedPage {
  std::string html;
  std::size_t pin_count = 0;
};

EmbedPage build_embed_page(const ChipFiles& files);

// Replaces each placeholder of `page_template` by its text in one pass over
// the template: inserted texts (SVG files, names) are never searched for
// placeholders themselves.
std::string fill_placeholders(std::string_view page_template,
                              std::span<const std::pair<std::string_view, std::string>> fills);

}  // namespace zelt::embed
