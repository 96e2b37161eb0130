#include <string>

#include "http/local_server.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"
#include "manage/manager_routes.hpp"
#include "manage/wiki_client.hpp"

namespace zelt::cli {

int run_manage(const ManageArgs& args) {
  manage::ManagerState state;
  http::LocalServer server([&state](const http::Request& request) {
    return manage::handle_manager_request(state, request.method, request.target);
  });
  const std::string port = std::to_string(args.port);
  if (auto bound = server.bind("0.0.0.0", args.port); !bound) {
    print_error("bind 0.0.0.0:" + port + ": " + bound.error().to_string());
    return 1;
  }
  print_ok("zelt-lbr Manager on http://localhost:" + port);
  print_hint_after_success("open it in a browser, or `zelt-desktop desktop_open_url {\"url\":\"http://localhost:" + port +
                           "\"}`.");
  print_hint_after_success("the component list is fetched from " + std::string(manage::kWikiBase) +
                           "; click a row to open the viewer.");
  server.run();
  return 0;
}

}  // namespace zelt::cli
