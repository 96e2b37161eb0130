#include "serve/app_request.hpp"

#include <string>
#include <utility>

#include "base/assets.hpp"
#include "base/json_text.hpp"
#include "base/json_value.hpp"
#include "base/number_parse.hpp"
#include "http/request_origin.hpp"
#include "base/text.hpp"
#include "deliver/delivery.hpp"

namespace zelt::serve {

namespace {

using nlohmann::json;

constexpr std::string_view kJson = "application/json";
constexpr std::string_view kOk = R"({"ok":true})";
constexpr std::string_view kEvalPrefix = "/eval/";
constexpr std::string_view kResultSuffix = "/result";

http::Response reply(std::string body) { return {200, std::string(kJson), std::move(body), {}}; }
http::Response reply(const json& value) { return reply(compact_json(value)); }
http::Response asset(std::string_view path, std::string_view content_type) {
  return {200, std::string(content_type), std::string(assets::get(path)), {}};
}
http::Response not_found() { return {404, std::string(kJson), R"({"error":"not found"})", {}}; }

// The member as text when the body is a JSON object holding a string there.
std::optional<std::string> string_member(Result<json>& body, const char* key) {
  if (!body || !body->is_object()) return std::nullopt;
  const auto found = body->find(key);
  if (found == body->end() || !found->is_string()) return std::nullopt;
  return std::move(found->get_ref<std::string&>());
}

std::string_view path_from_target(std::string_view target) { return target.substr(0, target.find('?')); }

http::Response get_route(AppState& state, std::string_view path, bool& matched) {
  matched = true;
  if (path == "/" || path == "/index.html") return asset("serve/index.html", "text/html; charset=utf-8");
  if (path == "/favicon.svg") {
    // The icon changes only with the program: browsers may keep it.
    http::Response icon = asset("serve/favicon.svg", "image/svg+xml");
    icon.headers.emplace_back("Cache-Control", "public, max-age=86400");
    return icon;
  }
  if (path == "/state") {
    const auto library = state.library();
    return reply(library ? library->state_json : std::string("{}"));
  }
  if (path == "/eval/pending") {
    auto pending = state.take_pending_eval();
    if (!pending) return reply(std::string("{}"));
    return reply(json{{"code", std::move(pending->code)}, {"id", std::to_string(pending->id)}});
  }
  if (path == "/console") return reply(json{{"lines", state.console_lines()}});
  matched = false;
  return {};
}

http::Response post_route(AppState& state, std::string_view path, std::string_view body, const AppSettings& settings,
                          bool& matched) {
  matched = true;
  if (path == "/load") {
    auto request = read_json_value(body);
    if (auto lbr = string_member(request, "lbr")) state.set_library(build_library_state(std::move(*lbr)));
    return reply(std::string(kOk));
  }
  if (path == "/eval") {
    auto request = read_json_value(body);
    const std::uint64_t id = state.queue_eval(string_member(request, "code").value_or(""));
    return reply(json{{"id", std::to_string(id)}});
  }
  if (path == "/console") {
    auto request = read_json_value(body);
    if (request) {
      const std::string level = string_member(request, "level").value_or("log");
      state.append_console("[" + level + "] " + string_member(request, "msg").value_or(""));
    }
    return reply(std::string(kOk));
  }
  if (path == "/deliver") {
    auto request = read_json_value(body);
    const std::string target = string_member(request, "target").value_or("kicad");
    // The library is shared read-only, so the delivery needs no lock while
    // it writes files and runs zelt-desktop.
    const auto library = state.library();
    static const std::string kNone;
    return reply(deliver::deliver_library(target, library ? library->state.libraryName : kNone,
                                          library ? library->state.lbr : kNone, settings.desktop_timeout));
  }
  if (path == "/shutdown") return reply(std::string(kOk));
  if (path.starts_with(kEvalPrefix) && path.substr(kEvalPrefix.size()).ends_with(kResultSuffix)) {
    std::string_view id_text = path.substr(kEvalPrefix.size());
    id_text.remove_suffix(kResultSuffix.size());
    if (const auto id = parse_u64(id_text)) {
      if (auto value = read_json_value(body)) state.store_result(*id, std::move(*value));
    }
    return reply(std::string(kOk));
  }
  matched = false;
  return {};
}

}  // namespace

http::Response handle_app_request(AppState& state, std::string_view method, std::string_view path,
                                  std::string_view body, const AppSettings& settings) {
  bool matched = false;
  http::Response response;
  if (method == "GET") response = get_route(state, path, matched);
  else if (method == "POST") response = post_route(state, path, body, settings, matched);
  if (matched) return response;
  if (path.starts_with(kEvalPrefix)) {
    const auto id = parse_u64(path.substr(kEvalPrefix.size()));
    if (!id) return not_found();
    if (auto value = state.read_result(*id)) return reply(json{{"done", true}, {"result", std::move(*value)}});
    return reply(std::string(R"({"done":false})"));
  }
  return not_found();
}

http::Response answer_app_request(AppState& state, const http::Request& request, const AppSettings& settings) {
  const std::string_view path = path_from_target(request.target);
  // Only the page, its icon, the state and the console may be read by any
  // page; everything else changes something or reaches the evaluation queue.
  const bool reads_only = request.method == "GET" && !path.starts_with(kEvalPrefix);
  if (!reads_only && http::from_foreign_origin(request, settings.own_port)) return http::foreign_origin_refusal();
  const bool post = request.method == "POST";
  const std::string_view body = post && is_valid_utf8(request.body) ? std::string_view(request.body) : "";
  return handle_app_request(state, request.method, path, body, settings);
}

bool is_shutdown_request(const http::Request& request) {
  return request.method == "POST" && path_from_target(request.target) == "/shutdown";
}

}  // namespace zelt::serve
