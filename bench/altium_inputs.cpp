// Writes <directory>/big.SchLib and <directory>/big.PcbLib of `count` pins and
// pads for bench/commands.sh: altium_inputs <directory> <count>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "altium_inputs.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: altium_inputs <directory> <count>\n");
    return 2;
  }
  const int count = std::atoi(argv[2]);
  const std::string dir = argv[1];
  std::ofstream(dir + "/big.SchLib", std::ios::binary) << zelt::bench::synthetic_schlib(count);
  std::ofstream(dir + "/big.PcbLib", std::ios::binary) << zelt::bench::synthetic_pcblib(count);
  return 0;
}
