#include "deliver/desktop_cli.hpp"

#include <string>

#include "base/json_text.hpp"
#include "base/json_value.hpp"
#include "base/spawn.hpp"

namespace zelt::deliver {

Result<nlohmann::json> run_desktop_cli(std::string_view command, const nlohmann::json& args) {
  // An argument vector, never a shell: the JSON word reaches the program as
  // it is, and it starts with "{", so it can never read as an option.
  auto run = run_process({"zelt-desktop", std::string(command), compact_json(args)});
  if (!run) return fail("zelt-desktop unreachable: " + run.error().to_string());
  if (auto reply = read_json_value(run->out)) return std::move(*reply);
  return nlohmann::json{{"ok", run->exit_code == 0}, {"raw", run->out}};
}

}  // namespace zelt::deliver
