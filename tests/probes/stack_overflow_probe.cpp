// Recurses without end after the runtime guard is installed, so the tests can
// check that a stack overflow is reported instead of dying silently.
#include "base/process_setup.hpp"

#pragma GCC diagnostic ignored "-Winfinite-recursion"

namespace {

int recurse(int depth) {  // NOLINT(misc-no-recursion)
  volatile char pad[512];
  pad[0] = static_cast<char>(depth);
  return recurse(depth + 1) + pad[0];
}

}  // namespace

int main(int argc, char**) {
  zelt::prepare_process_runtime();
  return recurse(argc);
}
