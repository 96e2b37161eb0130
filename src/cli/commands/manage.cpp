#include <string>

#include "http/local_server.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"
#include "manage/manager_routes.hpp"
#include "manage/wiki_client.hpp"

namespace zelt::cli {

CommandResult<int> run_manage(const ManageArgs& args) {
  manage::ManagerState state;
  http::LocalServer* self = nullptr;
  http::LocalServer server([&state, &self](const http::Request& request) {
    return manage::answer_manager_request(state, request, self->port());
  });
  self = &server;
  if (auto bound = server.bind("0.0.0.0", args.port); !bound) {
    print_error("bind 0.0.0.0:" + std::to_string(args.port) + ": " + bound.error().to_string());
    return 1;
  }
  // With --port 0 the system picks the port; the lines name the real one.
  const std::string port = std::to_string(server.port());
  print_ok("zelt-lbr Manager on http://localhost:" + port);
  print_hint_after_success("open it in a browser, or `zelt-desktop desktop_open_url {\"url\":\"http://localhost:" + port +
                           "\"}`.");
  print_hint_after_success("the component list is fetched from " + std::string(manage::kWikiBase) +
                           "; click a row to open the viewer.");
  server.run();
  return 0;
}

}  // namespace zelt::cli
