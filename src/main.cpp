// zelt-lbr: the process entry. Everything else lives in the core library.
#include "base/process_setup.hpp"
#include "cli/run_main.hpp"

int main(int argc, char** argv) {
  zelt::prepare_process_runtime();
  return zelt::cli::run_main(argc, argv);
}
