// Writes the 3D viewer's environment texture: a small equirectangular sky in
// Radiance RGBE (".hdr") form, which the viewer prefilters for image-based
// lighting. A bright horizon, a blue zenith, a dark ground and a warm sun give
// models soft shading and one clear highlight.
//   make_environment_texture <output path>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 128;
constexpr double kPi = 3.14159265358979323846;

struct Rgb {
  double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb scale(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }
Rgb add(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

// Radiance of the sky in the direction (x, y, z), y up.
Rgb sky(double x, double y, double z) {
  const Rgb horizon{1.05, 1.07, 1.10};
  const Rgb zenith{0.22, 0.38, 0.78};
  const Rgb ground{0.16, 0.145, 0.13};
  Rgb colour = y >= 0 ? mix(horizon, zenith, std::pow(y, 0.45)) : mix(scale(horizon, 0.55), ground, std::pow(-y, 0.35));
  // The sun: 45 degrees up, a small hot disc in a soft glow.
  const double el = 45 * kPi / 180, az = 40 * kPi / 180;
  const double sx = std::cos(el) * std::cos(az), sy = std::sin(el), sz = std::cos(el) * std::sin(az);
  const double angle = std::acos(std::clamp(x * sx + y * sy + z * sz, -1.0, 1.0));
  if (angle < 2.5 * kPi / 180) colour = add(colour, Rgb{40.0, 37.0, 32.0});
  colour = add(colour, scale(Rgb{1.4, 1.15, 0.85}, std::exp(-(angle * angle) / (2 * 0.2 * 0.2))));
  return colour;
}

std::array<unsigned char, 4> to_rgbe(Rgb c) {
  const double top = std::max({c.r, c.g, c.b});
  if (top < 1e-32) return {0, 0, 0, 0};
  int exponent = 0;
  const double mantissa = std::frexp(top, &exponent);
  const double factor = mantissa * 256.0 / top;
  return {static_cast<unsigned char>(c.r * factor), static_cast<unsigned char>(c.g * factor),
          static_cast<unsigned char>(c.b * factor), static_cast<unsigned char>(exponent + 128)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_environment_texture <output>\n");
    return 2;
  }
  std::string data = "#?RADIANCE\n# zelt-lbr viewer sky\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(kHeight) +
                     " +X " + std::to_string(kWidth) + "\n";
  // Rows run from straight up to straight down; columns around the horizon
  // in the order the viewer's equirectangular mapping reads them.
  for (int row = 0; row < kHeight; ++row) {
    const double elevation = kPi / 2 - (row + 0.5) / kHeight * kPi;
    for (int col = 0; col < kWidth; ++col) {
      const double azimuth = (col + 0.5) / kWidth * 2 * kPi - kPi;
      const auto rgbe = to_rgbe(sky(std::cos(elevation) * std::cos(azimuth), std::sin(elevation),
                                    std::cos(elevation) * std::sin(azimuth)));
      data.append(reinterpret_cast<const char*>(rgbe.data()), rgbe.size());
    }
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_environment_texture: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
