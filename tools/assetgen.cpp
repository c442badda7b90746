// assetgen <folder>: paints every picture and synthesises every sound the game reads, into that folder.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/contact_sheet.hpp"
#include "tools/jpeg_writer.hpp"
#include "tools/music.hpp"
#include "tools/ogg_writer.hpp"
#include "tools/png_writer.hpp"
#include "tools/portraits.hpp"
#include "tools/screens.hpp"
#include "tools/sounds.hpp"
#include "tools/sprites.hpp"
#include "tools/terrain.hpp"
#include "tools/truck.hpp"
#include "tools/wav_writer.hpp"

namespace {

using namespace gen;

struct Output {
  std::string path;
  std::vector<std::uint8_t> bytes;
  std::optional<Canvas> thumbnail;  // for the contact sheet
};

using Job = std::function<std::vector<Output>()>;

Output png(const std::string& path, const Canvas& canvas) {
  return {path, encode_png(canvas), thumbnail(canvas)};
}

Output jpeg(const std::string& path, const Canvas& canvas) { return {path, encode_jpeg(canvas), thumbnail(canvas)}; }

Output wav(const std::string& path, const StereoBuffer& sound) { return {path, encode_wav(sound), std::nullopt}; }

std::string frame_name(int frame) {
  char name[64];
  std::snprintf(name, sizeof name, "gfx/ship1/animfile%04d.png", frame);
  return name;
}

// Fifteen rows of score 0 with empty names, CR LF after every line.
Output scores_file() {
  std::string text;
  for (int row = 0; row < 15; ++row) text += "0\r\n\r\n";
  return {"scores.txt", std::vector<std::uint8_t>(text.begin(), text.end()), std::nullopt};
}

void add_picture(std::vector<Job>& jobs, std::string path, std::function<Canvas()> paint) {
  jobs.push_back([path, paint] {
    bool is_jpeg = path.size() > 4 && path.substr(path.size() - 4) == ".jpg";
    return std::vector<Output>{is_jpeg ? jpeg(path, paint()) : png(path, paint())};
  });
}

void add_sound(std::vector<Job>& jobs, std::string path, std::function<StereoBuffer()> make) {
  jobs.push_back([path, make] { return std::vector<Output>{wav(path, make())}; });
}

void add_song(std::vector<Job>& jobs, std::string path, int serial, std::function<StereoBuffer()> make) {
  jobs.push_back([path, serial, make] { return std::vector<Output>{{path, encode_ogg(make(), serial), std::nullopt}}; });
}

// Every file the game reads, in the order the contact sheet shows them.
std::vector<Job> all_jobs() {
  std::vector<Job> jobs;
  for (int f = 0; f < kTruckFrames; ++f) add_picture(jobs, frame_name(f), [f] { return truck_frame(f); });
  add_picture(jobs, "gfx/misc/lieska.png", flame);
  add_picture(jobs, "gfx/misc/alusta.png", pad_bar);
  add_picture(jobs, "gfx/misc/tavara.png", goods);
  add_picture(jobs, "gfx/misc/wrench_small.png", wrench);
  add_picture(jobs, "gfx/misc/cloud.png", cloud);
  add_picture(jobs, "gfx/misc/alienbug.png", alien_bug);
  for (int i = 1; i <= 3; ++i) {
    add_picture(jobs, "gfx/misc/" + std::to_string(i) + ".png", [i] { return flyer(i); });
  }
  add_picture(jobs, "gfx/misc/hud.png", hud);
  add_picture(jobs, "gfx/misc/puhekupla.png", bubble);
  add_picture(jobs, "gfx/misc/startup.png", title_screen);
  add_picture(jobs, "gfx/misc/loading.jpg", loading_screen);
  add_picture(jobs, "gfx/misc/levelcomplete.png", level_complete);
  add_picture(jobs, "gfx/misc/worldcomplete.png", world_complete);
  add_picture(jobs, "gfx/misc/gameover.png", game_over);
  add_picture(jobs, "gfx/misc/endscreen.jpg", end_screen);
  add_picture(jobs, "gfx/misc/fog.jpg", fog);
  add_picture(jobs, "gfx/misc/desertstorm.png", sand_storm);
  for (int w = 1; w <= 3; ++w) {
    for (int n = 1; n <= 4; ++n) {
      add_picture(jobs, "gfx/misc/world" + std::to_string(w) + "_" + std::to_string(n) + ".png",
                  [w, n] { return portrait(w, n); });
    }
  }
  for (int w = 0; w < 3; ++w) {
    for (Layer layer : {Layer::Game, Layer::Back, Layer::Front}) {
      jobs.push_back([w, layer] {
        std::vector<Output> outs;
        std::vector<Canvas> tiles = world_tiles(w, layer);
        for (int t = 0; t < 3; ++t) {
          std::string path = tile_path(w, layer, t);
          outs.push_back(layer == Layer::Back ? jpeg(path, tiles[t]) : png(path, tiles[t]));
        }
        return outs;
      });
    }
  }
  add_sound(jobs, "sound/motor.wav", motor);
  add_sound(jobs, "sound/motor_idle.wav", motor_idle);
  add_sound(jobs, "sound/crash.wav", crash);
  add_sound(jobs, "sound/gearin.wav", gear_in);
  add_sound(jobs, "sound/gearout.wav", gear_out);
  add_sound(jobs, "sound/landing.wav", landing);
  add_sound(jobs, "sound/bg_noise.wav", background_noise);
  add_sound(jobs, "sound/rain.wav", rain);
  add_sound(jobs, "sound/wind.wav", wind);
  add_sound(jobs, "sound/score1.wav", delivery_chime);
  add_sound(jobs, "sound/score3.wav", pickup_chime);
  add_song(jobs, "sound/song1.ogg", 1001, title_song);
  add_song(jobs, "sound/song2.ogg", 1002, level_done_jingle);
  add_song(jobs, "sound/song3.ogg", 1003, game_over_jingle);
  add_song(jobs, "sound/winter_song.ogg", 1004, winter_song);
  add_song(jobs, "sound/desert_song.ogg", 1005, desert_song);
  add_song(jobs, "sound/city_tekno.ogg", 1006, city_song);
  jobs.push_back([] { return std::vector<Output>{scores_file()}; });
  return jobs;
}

// Runs the jobs on every core; results keep the jobs' order, so the output never depends on timing.
std::vector<std::vector<Output>> run_all(const std::vector<Job>& jobs) {
  std::vector<std::vector<Output>> results(jobs.size());
  std::vector<std::string> errors(jobs.size());
  // The heavy landscape and music jobs go first so that the small ones fill the gaps at the end.
  std::vector<std::size_t> order(jobs.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) order[i] = jobs.size() - 1 - i;
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t k = next++; k < order.size(); k = next++) {
      std::size_t i = order[k];
      try {
        results[i] = jobs[i]();
      } catch (const std::exception& e) {
        errors[i] = e.what();
      }
    }
  };
  unsigned count = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < count; ++t) threads.emplace_back(worker);
  for (std::thread& t : threads) t.join();
  for (const std::string& e : errors) {
    if (!e.empty()) throw std::runtime_error(e);
  }
  return results;
}

void write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::filesystem::path part = path;
  part += ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + part.string());
  }
  std::filesystem::rename(part, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: assetgen <output folder>\n";
    return 2;
  }
  try {
    const std::filesystem::path root = argv[1];
    std::vector<std::vector<Output>> results = run_all(all_jobs());
    std::vector<SheetEntry> sheet;
    for (const auto& outs : results) {
      for (const Output& o : outs) {
        // A player's score table survives rebuilds; only a folder without one gets the fresh table.
        if (o.path == "scores.txt" && std::filesystem::exists(root / o.path)) continue;
        write_file(root / o.path, o.bytes);
        if (o.thumbnail) sheet.push_back({o.path, &*o.thumbnail});
      }
    }
    write_file(root / "contact_sheet.png", encode_png(contact_sheet(sheet), false));
  } catch (const std::exception& e) {
    std::cerr << "assetgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
