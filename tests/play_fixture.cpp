// Shared set-up for the play's step tests: scratch folder, scripted platform, pictures and state.
#include "tests/play_fixture.hpp"

#include <memory>
#include <string>

#include "game/level_table.hpp"
#include "runtime/runtime.hpp"
#include "tests/runtime_setup.hpp"
#include "tests/scratch_folder.hpp"

namespace play_test {
namespace {

namespace fs = std::filesystem;

void put32(std::string& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::string& b, std::uint16_t v) {
  b.push_back(static_cast<char>(v & 0xFF));
  b.push_back(static_cast<char>(v >> 8));
}

// A 24-bit BMP of one grey level; black turns transparent when loaded with the mask flag.
void write_square_bmp(const fs::path& path, int size, std::uint8_t level) {
  const int row = (size * 3 + 3) & ~3;
  std::string out = "BM";
  put32(out, static_cast<std::uint32_t>(54 + row * size));
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(size));
  put32(out, static_cast<std::uint32_t>(size));
  put16(out, 1);
  put16(out, 24);
  put32(out, 0);
  put32(out, static_cast<std::uint32_t>(row * size));
  for (int i = 0; i < 4; ++i) put32(out, 0);
  for (int y = 0; y < size; ++y) {
    out.append(static_cast<std::size_t>(size * 3), static_cast<char>(level));
    out.append(static_cast<std::size_t>(row - size * 3), '\0');
  }
  scratch::write_bytes(path, out);
}

void write_silent_wav(const fs::path& path, int frames) {
  std::string out = "RIFF";
  put32(out, static_cast<std::uint32_t>(36 + frames * 2));
  out += "WAVEfmt ";
  put32(out, 16);
  put16(out, 1);
  put16(out, 1);
  put32(out, 44100);
  put32(out, 88200);
  put16(out, 2);
  put16(out, 16);
  out += "data";
  put32(out, static_cast<std::uint32_t>(frames * 2));
  out.append(static_cast<std::size_t>(frames * 2), '\0');
  scratch::write_bytes(path, out);
}

}  // namespace

void PlayTest::SetUp() {
  folder_ = std::make_unique<scratch::Folder>("sky_play");

  platform = &runtime_setup::install_platform();
  runtime_setup::throw_program_exits();
  runtime_setup::open_game_screen();
  rt::set_blend_mode(3);

  write_square_bmp("blank.bmp", 8, 0);
  write_square_bmp("block.bmp", 100, 255);
  write_square_bmp("truck.bmp", 40, 200);
  write_silent_wav("quiet.wav", 64);
  blank_img = rt::load_image(u"blank.bmp", 1);
  block_img = rt::load_image(u"block.bmp", 0);
  truck_img = rt::load_image(u"truck.bmp", 0);
  quiet_sound = rt::load_sound(u"quiet.wav", 0);

  s.deliveries_per_level = 5;
  s.level_index = 0;
  s.world = 1;
  fill_level_table(s);
  s.cloud_count = game::kClouds;
  s.spray_count = game::kSpray;
  s.weather_count = game::kWeather;
  s.level_slots = game::kLevelSlots;
  for (auto* row : {&s.game_layer_img, &s.back_layer_img, &s.front_layer_img}) row->fill(blank_img);
  s.truck_frames.fill(truck_img);
  s.base_img.fill(blank_img);
  s.cargo_img.fill(blank_img);
  s.flyer_img.fill(blank_img);
  s.speaker_img.fill(blank_img);
  for (int* img : {&s.img_hud, &s.img_bubble, &s.img_wrench, &s.img_cloud, &s.img_flame, &s.img_fog,
                   &s.img_sandstorm})
    *img = blank_img;
  for (int* snd : {&s.snd_motor, &s.snd_motor_idle, &s.snd_gear_in, &s.snd_gear_out, &s.snd_crash, &s.snd_landing,
                   &s.snd_score1, &s.snd_score3, &s.snd_bg_noise, &s.snd_rain, &s.snd_wind})
    *snd = quiet_sound;
  for (int* channel : {&s.music_channel, &s.jingle_channel, &s.motor_channel, &s.motor_idle_channel,
                       &s.crash_channel, &s.score_channel, &s.noise_channel, &s.gear_channel, &s.landing_channel,
                       &s.rain_channel, &s.wind_channel})
    *channel = rt::new_channel();
  for (int i = 0; i < game::kTiles; ++i) {
    s.game_layer_x[i] = s.back_layer_x[i] = s.front_layer_x[i] = static_cast<float>(-512 + 1024 * i);
  }
  // Everything else far off the screen, so only what a test places is near the truck.
  s.wrench_x = -1000.0f;
  s.station_x = {-1000.0f, -1000.0f, -1000.0f, -1000.0f};
  s.flyer_x = {-5000.0f, -5000.0f, -5000.0f, -5000.0f, 0.0f};
  s.cloud_x.fill(-5000);
  s.spray_y.fill(400.0f);
  s.truck_y = 200.0f;
  s.health = 100;
  s.repair_units = 60;
  s.delivery_time_budget = 40;
  s.frame_timer = rt::create_timer(60.0f, 0);
  s.clock_start_ms = rt::clock_ms();
  s.truck_draw_x = 512;
  s.truck_draw_y = 384;
  draws_seen_ = rt::random_steps_taken();
  presented_at_start_ = platform->frames_presented();
}

void PlayTest::TearDown() { folder_.reset(); }

void PlayTest::hold(int key) { platform->push_event({rt::platform::EventType::KeyDown, key}); }
void PlayTest::release(int key) { platform->push_event({rt::platform::EventType::KeyUp, key}); }
void PlayTest::tap(int key) {
  hold(key);
  release(key);
}

// The camera of the coming frame is 1024 - truck_y, so heights are placed from truck_y.
void PlayTest::put_flyer_on_truck(int j) {
  s.flyer_img[j] = block_img;
  s.flyer_x[j] = 512.0f;
  s.flyer_y[j] = static_cast<float>(1024.0 - s.truck_y - 384.0);
}

// The tile picture is drawn on the game layer's centre line, which meets the truck at truck_y 640.
void PlayTest::make_tile_solid_under_truck(int i) {
  s.truck_y = 640.0f;
  s.game_layer_img[i] = block_img;
  s.game_layer_x[i] = static_cast<float>(512.0 + s.scroll_dx);
}

void PlayTest::put_pad_under_truck(int pad) {
  s.base_img[pad] = block_img;
  const float x = static_cast<float>(512.0 + s.scroll_dx);
  const float y = static_cast<float>(s.truck_y - 625.0 + 40.0);
  if (pad == 4) {
    s.wrench_x = x;
    s.wrench_y = y;
  } else {
    s.station_x[pad] = x;
    s.station_y[pad] = y;
  }
}

int PlayTest::frames_presented() const { return platform->frames_presented() - presented_at_start_; }

std::uint32_t PlayTest::drawn_pixel(int x, int y) {
  rt::renderer_for_drawing().read_back(back_);
  return back_[static_cast<std::size_t>(y) * 1024 + x] & 0xFFFFFFu;
}

std::uint64_t PlayTest::draws_since_last_look() {
  const std::uint64_t now = rt::random_steps_taken();
  const std::uint64_t n = now - draws_seen_;
  draws_seen_ = now;
  return n / 2;
}

}  // namespace play_test
