// The Altium reader's fuzz target is compiled into every build, so it keeps
// building where clang is absent, and replayed briefly on its seeds and on
// cut and bent copies of them; long runs are for the libFuzzer build.
#include "../../fuzz/altium_decode_fuzz.cpp"

#include <gtest/gtest.h>

#include <random>

#include "../../fuzz/altium_seeds.hpp"

namespace {

void replay(const std::string& bytes) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(AltiumFuzzTarget, SeedsCutAndBentCopiesReadWithoutFault) {
  std::mt19937 random(12);
  for (const auto& [name, seed] : zelt::fuzz::altium_seeds()) {
    SCOPED_TRACE(name);
    replay(seed);
    for (std::size_t k = 1; k < 48; ++k) replay(seed.substr(0, seed.size() * k / 48));
    for (int round = 0; round < 150; ++round) {
      std::string bent = seed;
      for (int n = 0; n < 4; ++n) bent[random() % bent.size()] = static_cast<char>(random());
      replay(bent);
    }
  }
}

}  // namespace
