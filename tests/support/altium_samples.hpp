#pragma once
// Libraries Altium Designer saved itself, with the CSV reports Altium
// exported for each component. They are kept beside the checkout (its parent
// folder holds shared/altium-samples) and read where they stand.
#include <filesystem>
#include <optional>

namespace zelt::test {

inline std::optional<std::filesystem::path> altium_samples_dir() {
  const auto dir = std::filesystem::path(ZELT_SOURCE_DIR).parent_path() / "shared" / "altium-samples";
  if (std::filesystem::is_directory(dir)) return dir;
  return std::nullopt;
}

}  // namespace zelt::test
