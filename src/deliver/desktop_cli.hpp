#pragma once
// Calls of the desktop companion program `zelt-desktop <command> <JSON>`.
#include <chrono>
#include <string_view>

#include <nlohmann/json.hpp>

#include "base/error.hpp"

namespace zelt::deliver {

// A zelt-desktop that hangs would hold up the live app, which answers one
// request at a time; it gets as long as the other outside programs.
inline constexpr std::chrono::milliseconds kDesktopTimeout{120'000};

// Runs zelt-desktop (found on PATH) with the command and the arguments as one
// compact JSON word, and waits for it. Its standard output is the result when
// it parses as JSON; otherwise {"ok": <exit status 0>, "raw": <the output>}.
// Fails when the program cannot be started ("zelt-desktop unreachable:
// <system error>") or is still running after `timeout`, which ends it
// ("zelt-desktop <command> did not finish within 120 s").
Result<nlohmann::json> run_desktop_cli(std::string_view command, const nlohmann::json& args,
                                       std::chrono::milliseconds timeout = kDesktopTimeout);

}  // namespace zelt::deliver
