// Screenshots for the README: the title and a moment of play in each world, drawn by the game itself.
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/scripted_game.hpp"
#include "runtime/program.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int kTitleFrames = 30;
constexpr int kPlayFrames = 150;

// Writes the last presented frame as an RGB PNG at the strongest compression.
bool save_png(const rt::platform::ScriptedPlatform& platform, const char* path) {
  const int width = platform.frame_width(), height = platform.frame_height();
  const std::vector<std::uint32_t>& argb = platform.last_frame();
  if (width <= 0 || argb.size() < static_cast<std::size_t>(width) * height) return false;
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = argb[static_cast<std::size_t>(y) * width + x];
        row[x * 3 + 0] = static_cast<png_byte>(p >> 16);
        row[x * 3 + 1] = static_cast<png_byte>(p >> 8);
        row[x * 3 + 2] = static_cast<png_byte>(p);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

// The title as a player sees it: the game routine itself, from a folder whose score table has names in it.
bool title(const char* out) {
  const fs::path folder = fs::temp_directory_path() / ("sky_title_" + std::to_string(getpid()));
  fs::create_directories(folder);
  fs::create_directory_symlink(fs::path(SKY_RUN_DIR) / "gfx", folder / "gfx");
  fs::create_directory_symlink(fs::path(SKY_RUN_DIR) / "sound", folder / "sound");
  const char* names[] = {"ACE", "MAVIS", "OTTO", "PIXIE", "BUZZ", "GUS", "NELL", "RAY"};
  std::ofstream scores(folder / "scores.txt", std::ios::binary);
  for (int row = 0; row < 15; ++row)
    scores << (row < 8 ? 9000 - row * 1100 : 0) << "\r\n" << (row < 8 ? names[row] : "") << "\r\n";
  scores.close();
  fs::current_path(folder);

  auto scripted = std::make_unique<rt::platform::ScriptedPlatform>();
  rt::platform::ScriptedPlatform& platform = *scripted;
  rt::platform::install(std::move(scripted));
  rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
  platform.on_present([](int frame) {
    if (frame >= kTitleFrames) throw rt::platform::ScenarioStop{};
  });
  bool stopped_on_title = false;
  try {
    game::run_game();
  } catch (const rt::platform::ScenarioStop&) {
    stopped_on_title = true;
  } catch (const rt::ProgramExit& exit) {
    std::fprintf(stderr, "the game ended with status %d before its title\n", exit.status);
  }
  fs::current_path(SKY_RUN_DIR);
  fs::remove_all(folder);
  return stopped_on_title && save_png(platform, out);
}

// A moment of play in the world's last level, on a scripted flight from the level's start.
bool play(int world, const char* out) {
  rt::platform::ScriptedPlatform* platform = bench::start_scripted_game();
  if (!platform) return false;
  game::GameState& s = game::state();
  bench::begin_level(s, bench::kHeaviestLevels[world - 1]);
  bench::Pilot pilot;
  for (int f = 0; f < kPlayFrames; ++f) {
    pilot.steer(*platform, s);
    if (bench::play_frame(s, f)) {
      std::fprintf(stderr, "the flight in world %d ended its level\n", world);
      return false;
    }
  }
  return save_png(*platform, out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: screenshots title|world1|world2|world3 out.png\n");
    return 2;
  }
  const std::string what = argv[1];
  bool ok = false;
  if (what == "title") {
    ok = title(argv[2]);
  } else if (what.size() == 6 && what.starts_with("world") && what[5] >= '1' && what[5] <= '3') {
    ok = play(what[5] - '0', argv[2]);
  } else {
    std::fprintf(stderr, "unknown screenshot: %s\n", argv[1]);
    return 2;
  }
  if (!ok) std::fprintf(stderr, "could not make %s\n", argv[2]);
  return ok ? 0 : 1;
}
