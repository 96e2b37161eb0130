#pragma once
// Calls of the desktop companion program `zelt-desktop <command> <JSON>`.
#include <string_view>

#include <nlohmann/json.hpp>

#include "base/error.hpp"

namespace zelt::deliver {

// Runs zelt-desktop (found on PATH) with the command and the arguments as one
// compact JSON word, and waits for it. Its standard output is the result when
// it parses as JSON; otherwise {"ok": <exit status 0>, "raw": <the output>}.
// Fails only when the program cannot be started:
// "zelt-desktop unreachable: <system error>".
Result<nlohmann::json> run_desktop_cli(std::string_view command, const nlohmann::json& args);

}  // namespace zelt::deliver
