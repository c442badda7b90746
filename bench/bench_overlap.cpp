// Measures the overlap test per call for the game's contact pairs: truck against terrain, flyer and pad.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "runtime/image.hpp"
#include "runtime/overlap.hpp"
#include "runtime/screen.hpp"

namespace {

using Shade = std::function<std::uint32_t(int x, int y)>;

// Writes a top-down 32-bit TGA (24-bit when without alpha), the simplest format to make by hand.
int make_image(const std::filesystem::path& dir, const char* name, int width, int height, bool alpha,
               const Shade& shade) {
  std::string file(18, '\0');
  file[2] = 2;
  file[12] = static_cast<char>(width & 0xFF);
  file[13] = static_cast<char>(width >> 8);
  file[14] = static_cast<char>(height & 0xFF);
  file[15] = static_cast<char>(height >> 8);
  file[16] = static_cast<char>(alpha ? 32 : 24);
  file[17] = static_cast<char>(alpha ? 0x28 : 0x20);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = shade(x, y);
      file += static_cast<char>(c);
      file += static_cast<char>(c >> 8);
      file += static_cast<char>(c >> 16);
      if (alpha) file += static_cast<char>(c >> 24);
    }
  }
  const auto path = dir / name;
  std::ofstream(path, std::ios::binary) << file;
  return rt::load_image(rt::from_latin1(path.string()), 1);
}

double median_call_us(const std::function<int()>& call, int expected) {
  constexpr int kCalls = 3000;
  std::vector<double> times;
  times.reserve(kCalls);
  for (int i = 0; i < kCalls; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const int result = call();
    const auto end = std::chrono::steady_clock::now();
    if (result != expected) {
      std::fprintf(stderr, "unexpected overlap result %d\n", result);
      std::exit(1);
    }
    times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  std::nth_element(times.begin(), times.begin() + kCalls / 2, times.end());
  return times[kCalls / 2];
}

}  // namespace

int main() {
  const auto dir = std::filesystem::temp_directory_path() / ("sky_bench_overlap_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  rt::register_image_decoders();
  rt::set_auto_centre_handle(1);

  // Truck: a rounded hull with clear corners and a clear gap under the body between its skids.
  const int truck = make_image(dir, "truck.tga", 110, 70, true, [](int x, int y) -> std::uint32_t {
    const double dx = (x - 54.5) / 55.0, dy = (y - 30.0) / 32.0;
    const bool hull = dx * dx + dy * dy <= 1.0;
    const bool skid = y >= 64 && ((x >= 15 && x < 35) || (x >= 75 && x < 95));
    return hull || skid ? 0xFF8090A0u : 0u;
  });
  // Terrain tile: solid ground under a rolling surface, open sky above it.
  auto ground_top = [](int x) { return 700 + static_cast<int>(60.0 * std::sin(x / 80.0)); };
  const int tile = make_image(dir, "tile.tga", 1024, 1024, true, [&](int x, int y) -> std::uint32_t {
    return y >= ground_top(x) ? 0xFF705030u : 0u;
  });
  const int flyer = make_image(dir, "flyer.tga", 64, 48, true, [](int x, int y) -> std::uint32_t {
    const double dx = (x - 31.5) / 32.0, dy = (y - 23.5) / 16.0;
    return dx * dx + dy * dy <= 1.0 ? 0xFF303030u : 0u;
  });
  const int pad = make_image(dir, "pad.tga", 150, 20, false, [](int, int) { return 0xFF40C040u; });

  // The tile is drawn at its centre (512, 512); the truck hovers over, then stands on, the lowest part of
  // the surface, the tile's box covering it either way. Flyer and pad overlap only the truck's clear corners.
  int lowest_x = 0;
  for (int x = 60; x < 964; ++x) {
    if (ground_top(x) > ground_top(lowest_x)) lowest_x = x;
  }
  const int ground = ground_top(lowest_x);
  const int near_y = ground - 35 - 20, contact_y = ground - 35 + 3;
  const int truck_x = lowest_x;

  const double tile_miss = median_call_us([&] { return rt::images_overlap(truck, truck_x, near_y, 0, tile, 512, 512, 0); }, 0);
  const double tile_hit = median_call_us([&] { return rt::images_overlap(truck, truck_x, contact_y, 0, tile, 512, 512, 0); }, 1);
  const double flyer_miss = median_call_us([&] { return rt::images_overlap(truck, 300, 300, 0, flyer, 300 + 80, 300 + 30, 0); }, 0);
  const double pad_miss = median_call_us([&] { return rt::images_overlap(truck, 400, 400, 0, pad, 520, 430, 0); }, 0);

  std::printf("overlap_truck_tile_us %.2f us\n", tile_miss);
  std::printf("overlap_truck_tile_contact_us %.2f us\n", tile_hit);
  std::printf("overlap_truck_flyer_us %.2f us\n", flyer_miss);
  std::printf("overlap_truck_pad_us %.2f us\n", pad_miss);
  std::filesystem::remove_all(dir);
  return 0;
}
