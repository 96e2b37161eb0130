// Writes the large generated inputs that bench/commands.sh times whole
// commands on: bench_inputs <folder>.
#include <cstdio>
#include <string>

#include "base/fs.hpp"
#include "synthetic_kicad_library.hpp"
#include "synthetic_library.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_inputs <folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::pair<std::string, const std::string*> files[] = {
      {"library-20mb.kicad_sym", &zelt::bench::twenty_megabyte_kicad_library()},
      {"library-50mb.lbr", &zelt::bench::fifty_megabyte_library()},
  };
  for (const auto& [name, text] : files) {
    if (auto written = zelt::write_file(dir + "/" + name, *text); !written) {
      std::fprintf(stderr, "bench_inputs: %s\n", written.error().to_string().c_str());
      return 1;
    }
  }
  return 0;
}
