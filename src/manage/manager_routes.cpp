#include "manage/manager_routes.hpp"

#include <nlohmann/json.hpp>

#include <string>

#include "base/assets.hpp"
#include "http/request_origin.hpp"
#include "base/xml_escape.hpp"
#include "manage/component_lists.hpp"
#include "manage/part_summary.hpp"
#include "manage/renderer_frame.hpp"
#include "manage/request_target.hpp"
#include "manage/wiki_client.hpp"

namespace zelt::manage {
namespace {

using json = nlohmann::json;

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kPlain = "text/plain; charset=UTF-8";

http::Response plain(int status, std::string body) { return http::Response{status, kPlain, std::move(body), {}}; }

// Each part resolved may run curl, and requests are served one at a time:
// one request answers for at most a list page's worth of parts, and leaves
// the rest out, as unknown.
json completeness(ManagerState& state, std::string_view query) {
  const std::string ids = query_param(query, "ids").value_or("");
  json complete = json::object();
  std::string_view rest = ids;
  while (!rest.empty() && complete.size() < kMostListItems) {
    const auto comma = rest.find(',');
    const std::string piece(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (piece.empty() || complete.contains(piece)) continue;
    const PartToken token = parse_part_token(piece);
    const PartFiles files = resolve_part_files(state.files, token.source, token.id);
    complete[piece] = {{"d", files.glb.has_value()}, {"f", files.footprint.has_value()}, {"s", files.symbol.has_value()}};
  }
  return {{"complete", std::move(complete)}, {"status", "ok"}};
}

http::Response glb(ManagerState& state, std::string_view token_text) {
  const PartToken token = parse_path_token(token_text);
  const PartFiles files = resolve_part_files(state.files, token.source, token.id);
  if (!files.glb) return plain(404, "no glb");
  std::optional<std::string> bytes;
  if (token.source == "local") {
    bytes = read_local_part_file(token.id, *files.glb);
  } else {
    bytes = curl_get(wiki_url(wiki_files_path(token.id) + "/" + *files.glb));
  }
  if (!bytes) return plain(404, "no glb");
  return http::Response{200, "model/gltf-binary", std::move(*bytes), {}};
}

// The token goes into a single-quoted script string: quotes and backslashes
// are escaped, and "<" so that no "</script>" can close the element early.
std::string script_string_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\'': out += "\\'"; break;
      case '<': out += "\\x3c"; break;
      default: out += c;
    }
  }
  return out;
}

http::Response viewer_page(std::string_view token) {
  while (token.ends_with('/')) token.remove_suffix(1);
  std::string page =
      "<!doctype html><html><head><meta charset=\"utf-8\"><style>html,body{margin:0;height:100%;background:#161b22;"
      "overflow:hidden}#w{width:100vw;height:100vh}</style></head><body><div id=\"w\"></div><script "
      "src=\"../js/zelt-3d-viewer.min.js\"></script><script>window.addEventListener('load',function(){try{window."
      "Zelt3DViewer.init(document.getElementById('w'),{modelUrl:'../glb/";
  page += script_string_text(token);
  page +=
      "',environmentUrl:'../js/environmentSpecular.env',zUp:true,showGround:true,showViewCube:true});}catch(e){"
      "document.body.innerHTML='<pre style=\"color:#f87171;font:12px monospace;padding:16px\">'+e.message+'</pre>';}"
      "});</script></body></html>";
  return http::Response{200, kHtml, std::move(page), {}};
}

http::Response asset(std::string_view key, const char* content_type) {
  return http::Response{200, content_type, std::string(assets::get(key)), {}};
}

// The viewer's script and texture change only with the program: a browser
// keeps them instead of fetching megabytes again for every part opened.
http::Response fixed_asset(std::string_view key, const char* content_type) {
  http::Response response = asset(key, content_type);
  response.headers.emplace_back("Cache-Control", "public, max-age=86400");
  return response;
}

}  // namespace

http::Response json_response(const json& value) {
  return http::Response{200, "application/json", value.dump(-1, ' ', false, json::error_handler_t::replace), {}};
}

http::Response html_message_response(std::string_view message, int status) {
  std::string body =
      "<body style='margin:0;background:#0d1117;color:#8b949e;font:13px -apple-system,sans-serif;display:flex;"
      "align-items:center;justify-content:center;height:100vh'><div>";
  body += xml_escape(message);
  body += "</div></body>";
  return http::Response{status, kHtml, std::move(body), {}};
}

http::Response handle_manager_request(ManagerState& state, std::string_view method, std::string_view target) {
  const auto question = target.find('?');
  const std::string_view path = target.substr(0, question);
  const std::string_view query = question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
  if (method != "GET") return plain(404, "not found");

  const auto rest_after = [&](std::string_view prefix) -> std::optional<std::string_view> {
    if (!path.starts_with(prefix)) return std::nullopt;
    return path.substr(prefix.size());
  };
  if (path == "/") return asset("manage/index.html", kHtml);
  if (path == "/api/tabs") return json_response(component_tabs(state));
  if (path == "/api/list") return json_response(component_list(state, query));
  if (path == "/api/complete") return json_response(completeness(state, query));
  if (const auto token = rest_after("/api/part/")) return json_response(part_summary(state, parse_path_token(*token)));
  if (const auto token = rest_after("/glb/")) return glb(state, *token);
  if (const auto token = rest_after("/embed/symbol/")) {
    const PartToken part = parse_path_token(*token);
    return embed_page(state, part.source, part.id, "sym", "zelt-symbol");
  }
  if (const auto token = rest_after("/embed/footprint/")) {
    const PartToken part = parse_path_token(*token);
    return embed_page(state, part.source, part.id, "fp", "zelt-footprint");
  }
  if (path == "/js/zelt-3d-viewer.min.js") return fixed_asset("manage/zelt-3d-viewer.min.js", "application/javascript");
  if (path == "/js/environmentSpecular.env") return fixed_asset("manage/environmentSpecular.env", "application/octet-stream");
  if (const auto token = rest_after("/viewer3d/")) return viewer_page(*token);
  return plain(404, "not found");
}

http::Response answer_manager_request(ManagerState& state, const http::Request& request, std::uint16_t own_port) {
  // The frames' pages are the routes that write files and start programs.
  const std::string_view path = std::string_view(request.target).substr(0, request.target.find('?'));
  const bool writes = path.starts_with("/embed/");
  if (writes && http::from_foreign_origin(request, own_port)) return http::foreign_origin_refusal();
  return handle_manager_request(state, request.method, request.target);
}

}  // namespace zelt::manage
