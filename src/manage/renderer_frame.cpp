#include "manage/renderer_frame.hpp"

#include <unistd.h>

#include <optional>
#include <string>

#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "base/private_folder.hpp"
#include "base/spawn.hpp"
#include "base/text.hpp"
#include "manage/manager_routes.hpp"

namespace zelt::manage {
namespace {

// A renderer that never ends would stall every request behind it.
constexpr int kRendererTimeoutMs = 120'000;

// The temporary files' names are predictable, so they live in a folder of
// this process that no one else can enter: another user (or another manager)
// cannot read them, plant a link by their name, or swap the renderer's input.
std::optional<std::string> private_temp_folder() {
  const std::string folder = join_path(temporary_directory(), "zelt-lbr-manage-" + std::to_string(::getpid()));
  if (!make_private_folder(folder)) return std::nullopt;
  return folder;
}

// Text that is an error reply rather than KiCad text: an HTML page from the
// wiki, or a JSON error body.
bool looks_like_error(std::string_view text) {
  return trim_unicode(text).starts_with('<') || text.find("\"error\"") != std::string_view::npos;
}

}  // namespace

http::Response embed_page(ManagerState& state, std::string_view source, std::string_view id, std::string_view kind,
                          std::string_view program) {
  const bool symbol = kind == "sym";
  const auto text = fetch_kicad_text(state.files, source, id, kind);
  // fetch_kicad_text has nothing for ids that would leave the temporary
  // folder, so the names below stay inside it.
  if (!text || looks_like_error(*text) || !is_safe_part_name(source) || !is_safe_part_name(id)) {
    return html_message_response(std::string("no ") + (symbol ? "symbol" : "footprint") + " for " + std::string(id),
                                 200);
  }
  const auto folder = private_temp_folder();
  if (!folder) return html_message_response("temp write failed", 500);
  std::string base = join_path(*folder, "zeltlbr-mgr-");
  base.append(source).append("-").append(id);
  const std::string input = with_extension(base, symbol ? "kicad_sym" : "kicad_mod");
  const std::string output = with_extension(base, "embed.html");
  if (!write_file(input, *text)) return html_message_response("temp write failed", 500);
  const std::string name(program);
  SpawnOptions options;
  options.timeout_ms = kRendererTimeoutMs;
  const auto run = run_process({name, "embed", "--file", input, "--out", output}, options);
  if (!run || run->timed_out || run->exit_code != 0) {
    return html_message_response(name + " embed unavailable \xE2\x80\x94 is " + name + " installed?", 200);
  }
  auto page = read_file_bytes(output);
  if (!page) return html_message_response("embed read failed", 500);
  return http::Response{200, "text/html; charset=utf-8", std::move(*page), {}};
}

}  // namespace zelt::manage
