#pragma once
// Hands the live app's loaded library to a desktop EDA program through
// zelt-desktop: the library is written to a temporary file, copied to the
// desktop, then installed (KiCad) or opened (Fusion 360). Every outcome,
// failures included, is one small JSON reply for the page.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/error.hpp"
#include "deliver/desktop_cli.hpp"

namespace zelt::deliver {

// The file stem for a library name: "/", blanks and control characters
// become "_", and so does a leading "-" or "." (no option-like or hidden
// names, no ".."); an empty name gives "library".
std::string delivery_stem(std::string_view library_name);

// The working folder, "<TMPDIR or /tmp>/zelt-lbr-deliver-<process id>".
std::string delivery_folder();

// Targets: "kicad", "fusion360" (or "fusion"), "altium", "orcad". Each
// zelt-desktop call may run for `desktop_timeout`.
nlohmann::json deliver_library(std::string_view target, std::string_view library_name, std::string_view lbr,
                               std::chrono::milliseconds desktop_timeout = kDesktopTimeout);

// Folds the desktop calls of one delivery into the page's reply: the first
// call that failed (could not run, reports the desktop offline, or answered
// "ok": false) decides; otherwise "Delivered <item> to <label>.".
nlohmann::json summarize_delivery(std::string_view label, std::string_view item,
                                  const std::vector<Result<nlohmann::json>>& results);

}  // namespace zelt::deliver
