#include "deliver/delivery.hpp"

#include <unistd.h>

#include <optional>

#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "base/json_text.hpp"
#include "base/private_folder.hpp"
#include "base/text.hpp"
#include "deliver/desktop_cli.hpp"
#include "deliver/wiki_address.hpp"
#include "eagle/lbr_reader.hpp"
#include "eagle/lbr_to_kicad_sym.hpp"

namespace zelt::deliver {

namespace {

using nlohmann::json;

json failure(std::string text) { return {{"error", std::move(text)}, {"ok", false}}; }

// The temporary directory itself may not exist yet.
bool prepare_folder(const std::string& folder) {
  const std::size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0) create_directories(folder.substr(0, slash));
  return make_private_folder(folder);
}

bool reports_offline(const json& reply) {
  if (reply.is_object()) {
    const auto connected = reply.find("bridgeConnected");
    if (connected != reply.end() && connected->is_boolean() && !connected->get<bool>()) return true;
  }
  const std::string text = ascii_lowercase(compact_json(reply));
  for (std::string_view word : {"not connected", "no client", "offline", "timeout"}) {
    if (text.find(word) != std::string::npos) return true;
  }
  return false;
}

// A reply that says "ok": false is a failed call even without offline words;
// its own error or message text says why.
std::optional<std::string> reported_failure(const json& reply) {
  if (!reply.is_object()) return std::nullopt;
  const auto ok = reply.find("ok");
  if (ok == reply.end() || !ok->is_boolean() || ok->get<bool>()) return std::nullopt;
  for (const char* key : {"error", "message"}) {
    const auto text = reply.find(key);
    if (text != reply.end() && text->is_string() && !text->get_ref<const std::string&>().empty()) {
      return text->get<std::string>();
    }
  }
  return "zelt-desktop reported a failure: " + compact_json(reply);
}

json error_reply(std::string_view label, const std::string& text) {
  return {{"error", text},
          {"offline", text.find("unreachable") != std::string::npos},
          {"ok", false},
          {"target", label}};
}

json deliver_to_kicad(const std::string& folder, bool folder_ok, const std::string& stem,
                      std::string_view library_name, std::string_view lbr, std::chrono::milliseconds timeout) {
  auto symbol = eagle::lbr_to_symbol(lbr);
  if (!symbol) return failure("could not convert .lbr for KiCad: " + symbol.error().to_string());
  const std::string path = join_path(folder, stem + ".kicad_sym");
  if (!folder_ok || !write_file(path, eagle::write_kicad_sym_from_lbr(*symbol))) {
    return failure("could not write temp symbol");
  }
  std::vector<Result<json>> results;
  results.push_back(run_desktop_cli(
      "send_files", {{"destinationFolder", "symbols"}, {"filePaths", json::array({path})}, {"targetApp", "kicad"}},
      timeout));
  results.push_back(run_desktop_cli(
      "kicad_install_library", {{"libraryName", library_name}, {"libraryPath", path}, {"libraryType", "symbol"}},
      timeout));
  return summarize_delivery("KiCad", "symbol", results);
}

json deliver_to_fusion(const std::string& path, std::chrono::milliseconds timeout) {
  std::vector<Result<json>> results;
  results.push_back(run_desktop_cli(
      "send_files", {{"destinationFolder", "fusion"}, {"filePaths", json::array({path})}, {"targetApp", "fusion360"}},
      timeout));
  // Open the copy on the desktop when the bridge says where it went.
  std::string open_path = path;
  if (results.front()) {
    const json& sent = *results.front();
    if (sent.is_object()) {
      const auto paths = sent.find("destinationPaths");
      if (paths != sent.end() && paths->is_array() && !paths->empty() && paths->front().is_string()) {
        open_path = paths->front().get<std::string>();
      }
    }
  }
  results.push_back(run_desktop_cli("fusion_open_lbr", {{"filePath", open_path}}, timeout));
  return summarize_delivery("Fusion 360", "library (.lbr)", results);
}

json needs_bridge(std::string_view label, const std::string& path) {
  const std::string name(label);
  return {{"contribute", std::string(kWikiBase) + "/zelt/zelt-desktop"},
          {"file", path},
          {"message", "Your EAGLE .lbr for " + name + " is built and saved \u2014 but the " + name +
                          " \u2194 Zelt Desktop bridge isn't built yet. Want " + name +
                          " connectivity in the Zelt ecosystem? Be the one to build the bridge and contribute it "
                          "on the wiki."},
          {"needsBridge", true},
          {"ok", false},
          {"target", label}};
}

}  // namespace

std::string delivery_stem(std::string_view library_name) {
  std::string stem = safe_file_name(library_name);
  for (char& c : stem) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == ' ' || byte < 0x20 || byte == 0x7f) c = '_';
  }
  if (stem.empty()) return "library";
  if (stem[0] == '-' || stem[0] == '.') stem[0] = '_';
  return stem;
}

std::string delivery_folder() {
  return join_path(temporary_directory(), "zelt-lbr-deliver-" + std::to_string(::getpid()));
}

json deliver_library(std::string_view target, std::string_view library_name, std::string_view lbr,
                     std::chrono::milliseconds desktop_timeout) {
  if (lbr.empty()) return failure("no library loaded");
  const std::string folder = delivery_folder();
  // A folder that cannot be made (or is not ours) fails the write below.
  const bool folder_ok = prepare_folder(folder);
  const std::string stem = delivery_stem(library_name);
  if (target == "kicad") return deliver_to_kicad(folder, folder_ok, stem, library_name, lbr, desktop_timeout);
  std::string_view label;
  if (target == "fusion360" || target == "fusion") label = "Fusion 360";
  else if (target == "altium") label = "Altium";
  else if (target == "orcad") label = "OrCAD";
  else return failure("unknown target " + std::string(target));
  const std::string path = join_path(folder, stem + ".lbr");
  if (!folder_ok || !write_file(path, lbr)) return failure("could not write temp .lbr");
  if (label == "Fusion 360") return deliver_to_fusion(path, desktop_timeout);
  return needs_bridge(label, path);
}

json summarize_delivery(std::string_view label, std::string_view item, const std::vector<Result<json>>& results) {
  for (const auto& result : results) {
    if (!result) return error_reply(label, result.error().to_string());
    if (reports_offline(*result)) {
      const std::string name(label);
      return {{"message", "File generated, but Zelt Desktop isn't connected to " + name +
                              ". Open Zelt Desktop on your laptop and try again."},
              {"offline", true},
              {"ok", false},
              {"target", label}};
    }
    if (auto failed = reported_failure(*result)) return error_reply(label, *failed);
  }
  return {{"message", "Delivered " + std::string(item) + " to " + std::string(label) + "."},
          {"ok", true},
          {"target", label}};
}

}  // namespace zelt::deliver
