#include <string>
#include <system_error>
#include <thread>

#include "base/fs.hpp"
#include "http/local_server.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"
#include "serve/app_request.hpp"
#include "serve/port_forward.hpp"

namespace zelt::cli {

CommandResult<int> run_serve(const ServeArgs& args) {
  serve::AppState state;
  if (args.file) {
    auto text = read_file_text(*args.file);
    if (!text) return CommandError::cannot_read(*args.file, text.error());
    state.set_library(serve::build_library_state(std::move(*text)));
  }

  http::LocalServer* self = nullptr;
  http::LocalServer server([&state, &self](const http::Request& request) {
    http::Response response = serve::answer_app_request(state, request, {.own_port = self->port()});
    // The transport still sends this reply before run() returns. A refused
    // request (another site's page) stops nothing.
    if (serve::is_shutdown_request(request) && response.status == 200) self->stop();
    return response;
  });
  self = &server;
  if (auto bound = server.bind("0.0.0.0", args.port); !bound) {
    print_error("bind " + std::to_string(args.port) + ": " + bound.error().to_string());
    return 1;
  }
  // With --port 0 the system picks the port; the line and the bridge get the real one.
  const std::uint16_t port = server.port();
  write_stderr("[zelt-lbr] serving on http://127.0.0.1:" + std::to_string(port) + "\n");

  try {
    std::thread(serve::register_port_forward_thread, serve::register_body(port)).detach();
  } catch (const std::system_error&) {
    write_stderr("failed to spawn thread\n");
    return 1;
  }
  server.run();
  serve::post_port_forward(serve::unregister_body(port));
  return 0;
}

}  // namespace zelt::cli
