// The world setup: its random draws and their order, the loads and channels, and the tables it applies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "game/level_table.hpp"
#include "game/state.hpp"
#include "game/tables.hpp"
#include "game/world_setup.hpp"
#include "game_scenario.hpp"
#include "runtime/runtime.hpp"
#include "runtime_setup.hpp"
#include "scratch_folder.hpp"

namespace {

// The runtime as the game routine starts it, with the display open and the folder holding the assets.
class WorldSetup : public testing::Test {
 protected:
  void SetUp() override {
    if (!scenario::RunFolder::assets_available()) GTEST_SKIP() << "assets not generated";
    run_ = std::make_unique<scenario::GameRun>();
    runtime_setup::open_game_screen();
  }

  // Sets up world w as the game does after the title or a world-complete screen.
  void setup_world(int w) {
    enter_world(w);
    game::world_setup(s);
  }
  void enter_world(int w) {
    s.world = w;
    s.level_index = 3 * (w - 1);
    s.deliveries_per_level = 5;
  }

  // Nothing decoded or loaded yet, as at the first world setup of a run.
  static void forget_loaded_files() {
    rt::reset_images();
    rt::reset_sound();
    rt::start_audio();
    rt::register_sound_decoders();
  }

  std::unique_ptr<scenario::GameRun> run_;
  game::GameState& s = game::state();
};

double rnd(double n) { return rt::random_between(n, 0.0); }

TEST_F(WorldSetup, DrawsExactlyItsShareOfRandomNumbers) {
  for (int w = 1; w <= 3; ++w) {
    const std::int32_t seed = rt::random_state();
    setup_world(w);
    const std::int32_t after = rt::random_state();
    rt::set_random_state(seed);
    for (int i = 0; i < game::kWorldSetupDraws; ++i) rt::random_between(1.0, 0.0);
    EXPECT_EQ(rt::random_state(), after) << "world " << w;
  }
}

TEST_F(WorldSetup, FirstSetupOfTheRunDrawsSpeakerZeroAndSeedsInOrder) {
  const std::int32_t seed = rt::random_state();
  setup_world(1);
  EXPECT_EQ(s.speaker_index, 0);

  // Replaying the generator in the documented order must give back every seeded value.
  rt::set_random_state(seed);
  EXPECT_EQ(rt::float_to_int(rnd(2)), s.speaker_index);
  for (int i = 0; i < 260; ++i) {
    ASSERT_EQ(s.spray_y[i], static_cast<float>(384 + rnd(30))) << i;
    ASSERT_EQ(s.spray_x[i], static_cast<float>(462 + rnd(100))) << i;
    ASSERT_EQ(s.spray_size[i], rt::float_to_int(1 + rnd(10))) << i;
    ASSERT_EQ(s.spray_vy[i], static_cast<float>(1 + rnd(10))) << i;
  }
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(s.cloud_h[i], rt::float_to_int(400 + rnd(800))) << i;
    ASSERT_EQ(s.cloud_x[i], rt::float_to_int(-200 + rnd(1000))) << i;
  }
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(s.wx_sway[i], rt::float_to_int(rnd(60))) << i;
    ASSERT_EQ(s.wx_x[i], rt::float_to_int(rnd(1024))) << i;
    ASSERT_EQ(s.wx_y[i], rt::float_to_int(rnd(768))) << i;
    ASSERT_EQ(s.wx_alpha[i], static_cast<float>(rnd(10) / 20)) << i;
  }
  for (int i = 1; i <= 3; ++i) {
    ASSERT_EQ(s.flyer_x[i], static_cast<float>(-300 + rnd(324))) << i;
    ASSERT_EQ(s.flyer_y[i], static_cast<float>(rnd(700))) << i;
    ASSERT_EQ(s.flyer_speed[i], rt::float_to_int(1 + rnd(4))) << i;
  }
}

TEST_F(WorldSetup, SeededValuesStayInTheirRanges) {
  for (int round = 0; round < 5; ++round) {
    setup_world(1 + round % 3);
    EXPECT_TRUE(s.speaker_index == 0 || s.speaker_index == 1);
    for (int i = 0; i < 260; ++i) {
      EXPECT_TRUE(s.spray_size[i] >= 1 && s.spray_size[i] <= 10);
      EXPECT_TRUE(s.spray_y[i] >= 384 && s.spray_y[i] < 414);
    }
    for (int i = 0; i < 6; ++i) {
      EXPECT_TRUE(s.cloud_h[i] >= 400 && s.cloud_h[i] <= 1199);
      EXPECT_TRUE(s.cloud_x[i] >= -200 && s.cloud_x[i] <= 799);
    }
    for (int i = 0; i < 500; ++i) {
      EXPECT_TRUE(s.wx_x[i] >= 0 && s.wx_x[i] <= 1023);
      EXPECT_TRUE(s.wx_y[i] >= 0 && s.wx_y[i] <= 767);
      EXPECT_TRUE(s.wx_alpha[i] >= 0.0f && s.wx_alpha[i] < 0.5f);
    }
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(s.flyer_speed[i] >= 1 && s.flyer_speed[i] <= 4);
  }
}

TEST_F(WorldSetup, KeepsWhatTheWorldDoesNotReset) {
  s.sound_enabled = 0;
  s.score = 1234;
  s.deliveries_done = 2;
  s.flyer_x[0] = 77.0f;
  s.flyer_y[0] = 900.0f;
  s.wx_fall[10] = 5;
  s.wx_drift[20] = -6;
  s.wx_angle[499] = 300;
  s.gear_down.fill(1);
  setup_world(2);
  EXPECT_EQ(s.sound_enabled, 1);
  EXPECT_EQ(s.score, 1234);
  EXPECT_EQ(s.deliveries_done, 2);
  EXPECT_EQ(s.flyer_x[0], 77.0f);
  EXPECT_EQ(s.flyer_y[0], 900.0f);
  EXPECT_EQ(s.wx_fall[10], 5);
  EXPECT_EQ(s.wx_drift[20], -6);
  EXPECT_EQ(s.wx_angle[499], 300);
  for (int r = 0; r < 10; ++r) EXPECT_EQ(s.gear_down[r], r == 3 ? 0 : 1) << r;
  EXPECT_EQ(s.cloud_count, 6);
  EXPECT_EQ(s.level_slots, 10);
  EXPECT_EQ(s.spray_count, 260);
  EXPECT_EQ(s.weather_count, 500);
}

TEST_F(WorldSetup, LoadsEveryAssetAndMakesTenChannels) {
  setup_world(1);
  for (int i = 0; i <= 12; ++i) EXPECT_NE(s.truck_frames[i], 0) << i;
  EXPECT_EQ(s.truck_frames[13], 0);
  for (int h : {s.img_hud, s.img_fog, s.img_wrench, s.img_bubble, s.img_cloud, s.img_flame, s.img_sandstorm,
                s.img_level_complete, s.img_world_complete, s.img_game_over, s.img_end_screen, s.cargo_img[0]}) {
    EXPECT_NE(h, 0);
  }
  for (int pad : s.base_img) EXPECT_NE(pad, 0);
  for (int i = 0; i < 4; ++i) EXPECT_NE(s.flyer_img[i], 0);
  for (int h : {s.snd_motor, s.snd_motor_idle, s.snd_crash, s.snd_gear_in, s.snd_gear_out, s.snd_landing,
                s.snd_bg_noise, s.snd_rain, s.snd_wind, s.snd_score1, s.snd_score3, s.snd_level_done_song,
                s.snd_game_over_song, s.world_song[0], s.world_song[1], s.world_song[2]}) {
    EXPECT_NE(h, 0);
  }
  const std::vector<int> channels = {s.jingle_channel, s.motor_channel, s.motor_idle_channel, s.crash_channel,
                                     s.score_channel,  s.noise_channel, s.gear_channel,       s.landing_channel,
                                     s.rain_channel,   s.wind_channel};
  std::set<int> distinct(channels.begin(), channels.end());
  EXPECT_EQ(distinct.size(), 10u);
  EXPECT_EQ(distinct.count(s.music_channel), 0u);
  // Made in the channel table's order.
  for (std::size_t i = 1; i < channels.size(); ++i) EXPECT_LT(channels[i - 1], channels[i]);

  const int old_motor = s.motor_channel;
  setup_world(2);
  EXPECT_NE(s.motor_channel, old_motor) << "every world takes new channels";
}

// A picture or sound of a world setup: its file, its load flags and the handle the state keeps.
struct Loaded {
  std::string path;
  int flags;
  int handle;
};

// The pictures of a world setup in load order: the common ones, then the world's speakers and tiles.
std::vector<Loaded> pictures_in_load_order(const game::GameState& s, int world) {
  std::vector<Loaded> out;
  for (int i = 0; i <= 12; ++i) {
    char path[40];
    std::snprintf(path, sizeof path, "gfx/ship1/animfile%04d.png", i);
    out.push_back({path, 1, s.truck_frames[i]});
  }
  out.insert(out.end(), {{"gfx/misc/hud.png", 8, s.img_hud},
                         {"gfx/misc/fog.jpg", 8, s.img_fog},
                         {"gfx/misc/wrench_small.png", 8, s.img_wrench},
                         {"gfx/misc/alienbug.png", 8, s.flyer_img[0]},
                         {"gfx/misc/1.png", 8, s.flyer_img[1]},
                         {"gfx/misc/2.png", 8, s.flyer_img[2]},
                         {"gfx/misc/3.png", 8, s.flyer_img[3]}});
  for (int i = 0; i < 5; ++i) out.push_back({"gfx/misc/alusta.png", 8, s.base_img[i]});
  out.insert(out.end(), {{"gfx/misc/tavara.png", 8, s.cargo_img[0]},
                         {"gfx/misc/puhekupla.png", 8, s.img_bubble},
                         {"gfx/misc/cloud.png", 1, s.img_cloud},
                         {"gfx/misc/lieska.png", 8, s.img_flame},
                         {"gfx/misc/desertstorm.png", 8, s.img_sandstorm},
                         {"gfx/misc/levelcomplete.png", 8, s.img_level_complete},
                         {"gfx/misc/worldcomplete.png", 8, s.img_world_complete},
                         {"gfx/misc/gameover.png", 8, s.img_game_over},
                         {"gfx/misc/endscreen.jpg", 8, s.img_end_screen}});
  const std::string w = std::to_string(world);
  for (int i = 0; i < 4; ++i) out.push_back({"gfx/misc/world" + w + "_" + std::to_string(i + 1) + ".png", 1, s.speaker_img[i]});
  // The desert draws from level3/, the city from level1/; only the city's tiles go without the mask.
  const std::string folder = "gfx/level" + std::to_string(4 - world) + "/";
  const int tile_flags = world == 3 ? 0 : 1;
  for (int i = 0; i < 3; ++i) out.push_back({folder + "peli" + std::to_string(i + 1) + ".png", tile_flags, s.game_layer_img[i]});
  for (int i = 0; i < 3; ++i) out.push_back({folder + "tausta" + std::to_string(i + 1) + ".jpg", 8, s.back_layer_img[i]});
  for (int i = 0; i < 3; ++i) out.push_back({folder + "etu" + std::to_string(i + 1) + ".png", tile_flags, s.front_layer_img[i]});
  return out;
}

std::vector<Loaded> sounds_in_load_order(const game::GameState& s) {
  return {{"sound/motor.wav", 1, s.snd_motor},          {"sound/motor_idle.wav", 1, s.snd_motor_idle},
          {"sound/crash.wav", 0, s.snd_crash},          {"sound/gearin.wav", 0, s.snd_gear_in},
          {"sound/gearout.wav", 0, s.snd_gear_out},     {"sound/landing.wav", 0, s.snd_landing},
          {"sound/bg_noise.wav", 1, s.snd_bg_noise},    {"sound/rain.wav", 1, s.snd_rain},
          {"sound/wind.wav", 1, s.snd_wind},            {"sound/score1.wav", 0, s.snd_score1},
          {"sound/score3.wav", 0, s.snd_score3},        {"sound/song2.ogg", 0, s.snd_level_done_song},
          {"sound/song3.ogg", 0, s.snd_game_over_song}, {"sound/winter_song.ogg", 1, s.world_song[0]},
          {"sound/desert_song.ogg", 1, s.world_song[1]}, {"sound/city_tekno.ogg", 1, s.world_song[2]}};
}

// Each handle holds the file and flags of its row, and the files were loaded in the rows' order.
TEST_F(WorldSetup, LoadsEachFileWithItsFlagsInOrder) {
  for (int w = 1; w <= 3; ++w) {
    SCOPED_TRACE(w);
    // From empty stores, new handles rise in load order.
    forget_loaded_files();
    setup_world(w);
    const rt::Picture* previous = nullptr;
    int previous_handle = 0;
    for (const Loaded& l : pictures_in_load_order(s, w)) {
      const rt::Image& kept = rt::image_for_use(l.handle);
      EXPECT_EQ(kept.flags, l.flags) << l.path;
      EXPECT_EQ(kept.picture, rt::image_for_use(rt::load_image(rt::from_latin1(l.path), l.flags)).picture) << l.path;
      if (kept.picture.get() != previous) {
        EXPECT_GT(l.handle, previous_handle) << l.path << " loaded out of order";
      }
      previous = kept.picture.get();
      previous_handle = l.handle;
    }
    previous_handle = 0;
    for (const Loaded& l : sounds_in_load_order(s)) {
      EXPECT_EQ(rt::sound_loops(l.handle), l.flags == 1) << l.path;
      EXPECT_EQ(&rt::sound_clip(l.handle), &rt::sound_clip(rt::load_sound(rt::from_latin1(l.path), l.flags))) << l.path;
      EXPECT_GT(l.handle, previous_handle) << l.path << " loaded out of order";
      previous_handle = l.handle;
    }
  }
}

// The files decoded ahead are exactly the ones the setup then loads: none missed, none left over.
TEST_F(WorldSetup, DecodesAheadExactlyWhatItLoads) {
  for (int w = 1; w <= 3; ++w) {
    SCOPED_TRACE(w);
    std::set<std::pair<std::string, int>> pictures;
    for (const Loaded& l : pictures_in_load_order(s, w)) pictures.insert({l.path, l.flags});
    forget_loaded_files();
    enter_world(w);
    game::decode_world_ahead(s);
    EXPECT_EQ(rt::pictures_decoding_ahead(), static_cast<int>(pictures.size()));
    EXPECT_EQ(rt::sounds_decoding_ahead(), static_cast<int>(sounds_in_load_order(s).size()));
    game::world_setup(s);
    EXPECT_EQ(rt::pictures_decoding_ahead(), 0);
    EXPECT_EQ(rt::sounds_decoding_ahead(), 0);
  }
}

// The message a fatal end writes, or "" when the call returned.
template <class Use>
std::string fatal_message(Use use) {
  testing::internal::CaptureStderr();
  try {
    use();
  } catch (const rt::ProgramExit&) {
    return testing::internal::GetCapturedStderr();
  }
  testing::internal::GetCapturedStderr();
  return "";
}

// Missing and damaged files among the many decoded at once: every other handle is given in load order,
// and the first use of a failed one ends the program naming the failed files in load order.
TEST_F(WorldSetup, FailedFilesReportInLoadOrderWhateverFinishesFirst) {
  // The run folder's own copy of the asset tree, one link per file, so single files can be broken.
  namespace fs = std::filesystem;
  const fs::path root = run_->folder().path();
  for (const char* sub : {"gfx", "sound"}) {
    fs::remove(root / sub);
    fs::create_directory(root / sub);
    const fs::path from = fs::path(SKY_RUN_DIR) / sub;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(from)) {
      const fs::path to = root / sub / fs::relative(e.path(), from);
      if (e.is_directory()) {
        fs::create_directories(to);
      } else {
        fs::create_symlink(e.path(), to);
      }
    }
  }
  // The damaged picture is large and loaded first, the missing one fails at once and is loaded later.
  const std::string storm = scratch::read_bytes(root / "gfx/misc/desertstorm.png");
  fs::remove(root / "gfx/misc/desertstorm.png");
  scratch::write_bytes(root / "gfx/misc/desertstorm.png", storm.substr(0, storm.size() / 2));
  fs::remove(root / "gfx/misc/gameover.png");
  fs::remove(root / "sound/crash.wav");
  scratch::write_bytes(root / "sound/crash.wav", "RIFF, but nothing of a sound");
  fs::remove(root / "sound/song2.ogg");

  forget_loaded_files();
  setup_world(1);
  EXPECT_EQ(s.img_sandstorm, 0);
  EXPECT_EQ(s.img_game_over, 0);
  EXPECT_EQ(s.snd_crash, 0);
  EXPECT_EQ(s.snd_level_done_song, 0);
  int previous = s.truck_frames[0] - 1;  // handles go on from the loading picture's
  for (const Loaded& l : pictures_in_load_order(s, 1)) {
    if (l.path == "gfx/misc/desertstorm.png" || l.path == "gfx/misc/gameover.png") continue;
    if (l.path == "gfx/misc/alusta.png" && l.handle == previous) continue;
    EXPECT_EQ(l.handle, previous + 1) << l.path;
    previous = l.handle;
  }
  previous = 0;
  for (const Loaded& l : sounds_in_load_order(s)) {
    if (l.handle == 0) continue;
    EXPECT_EQ(l.handle, previous + 1) << l.path;
    previous = l.handle;
  }
  EXPECT_EQ(fatal_message([&] { rt::image_for_use(s.img_sandstorm); }),
            "Image 0 does not exist; pictures that failed to load: gfx/misc/desertstorm.png, gfx/misc/gameover.png");
  EXPECT_EQ(fatal_message([&] { rt::play_sound(s.snd_crash, s.crash_channel); }),
            "Sound file could not be loaded: sound/crash.wav, sound/song2.ogg");
}

TEST_F(WorldSetup, LayersStartAroundTheScreenCentre) {
  s.game_layer_x = {5.0f, 6.0f, 7.0f};
  s.front_layer_x = {1.0f, 1.0f, 1.0f};
  setup_world(1);
  for (const auto* layer : {&s.game_layer_x, &s.back_layer_x, &s.front_layer_x}) {
    EXPECT_EQ((*layer)[0], -512.0f);
    EXPECT_EQ((*layer)[1], 512.0f);
    EXPECT_EQ((*layer)[2], 1536.0f);
  }
}

TEST_F(WorldSetup, EachWorldAppliesItsColumn) {
  for (int w = 1; w <= 3; ++w) {
    SCOPED_TRACE(w);
    setup_world(w);
    const auto& row = game::tables::kWorldTable[w - 1];
    EXPECT_EQ(s.wrench_x, row.repair.x);
    EXPECT_EQ(s.wrench_y, row.repair.y);
    EXPECT_EQ(s.wrench_half_w, row.repair_half_w);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(s.station_x[i], row.stations[i].x);
      EXPECT_EQ(s.station_y[i], row.stations[i].y);
      EXPECT_NE(s.speaker_img[i], 0);
    }
    for (int i = 0; i < 3; ++i) {
      EXPECT_NE(s.game_layer_img[i], 0);
      EXPECT_NE(s.back_layer_img[i], 0);
      EXPECT_NE(s.front_layer_img[i], 0);
    }
    // The world's song waits paused on the music channel until the level starts: held, but silent.
    EXPECT_EQ(rt::channel_playing(s.music_channel), 1);
    scenario::GamePlatform& p = run_->platform();
    const std::size_t from = p.captured_audio().size();
    for (int chunk = 0; chunk < 50; ++chunk) {
      p.advance_clock(20);
      p.render_audio(882);
    }
    const auto& audio = p.captured_audio();
    ASSERT_EQ(audio.size(), from + 2 * 882 * 50);
    EXPECT_TRUE(std::all_of(audio.begin() + static_cast<std::ptrdiff_t>(from), audio.end(),
                            [](std::int16_t v) { return v == 0; }));
  }
  EXPECT_EQ(s.wrench_x, 1280.0f);
  EXPECT_EQ(s.station_y[0], -298.0f);
}

TEST_F(WorldSetup, LevelTableRestoresRoutesAndLeavesUnwrittenCells) {
  s.level_from[0] = -1;
  s.level_to[4] = 3;
  s.level_overlay_alpha[3] = 0.7f;
  s.level_overlay_alpha[6] = 0.25f;
  s.level_dialogue[9] = u"kept";
  setup_world(1);
  EXPECT_EQ(s.level_from[0], 0) << "the next game starts from station 1 whatever deliveries left";
  EXPECT_EQ(s.level_to[4], 1);
  EXPECT_EQ(s.level_overlay_alpha[3], 0.7f);
  EXPECT_EQ(s.level_overlay_alpha[6], 0.25f);
  EXPECT_EQ(s.level_overlay_alpha[8], 0.3f);
  EXPECT_EQ(s.level_dialogue[9], u"kept");
  EXPECT_EQ(s.level_quota[9], 0);
  for (int r = 0; r < 9; ++r) {
    const auto& row = game::tables::kLevelTable[r];
    EXPECT_EQ(s.level_quota[r], 5);
    EXPECT_EQ(rt::to_latin1(s.level_dialogue[r]), row.dialogue);
    EXPECT_EQ(s.level_wind[r], row.wind);
    EXPECT_EQ(s.level_flyer_y[r], row.flyer_y);
    EXPECT_EQ(s.level_back_g[r], row.back.g);
    EXPECT_EQ(s.level_game_b[r], row.game.b);
    EXPECT_EQ(s.level_sandstorm[r], row.sandstorm);
    EXPECT_EQ(s.level_fog[r], row.fog);
  }
}

TEST(LevelTableFill, QuotaComesFromDeliveriesPerLevel) {
  game::GameState s;
  s.deliveries_per_level = 7;
  game::fill_level_table(s);
  for (int r = 0; r < 9; ++r) EXPECT_EQ(s.level_quota[r], 7);
  EXPECT_EQ(s.level_quota[9], 0);
  EXPECT_EQ(s.gear_down[0], 0);
}

}  // namespace
