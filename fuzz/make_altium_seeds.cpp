// Writes the seed libraries of altium_decode_fuzz into a directory:
//   build-fuzz/fuzz/make_altium_seeds seeds && build-fuzz/fuzz/altium_decode_fuzz corpus seeds
#include <cstdio>
#include <fstream>
#include <string>

#include "altium_seeds.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_altium_seeds <directory>\n");
    return 2;
  }
  for (const auto& [name, bytes] : zelt::fuzz::altium_seeds()) {
    std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary);
    out << bytes;
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      return 1;
    }
  }
  return 0;
}
