// The generated files: every one the game reads is there, the sounds decode with the runtime's own
// decoders and loop cleanly, the score file is empty, and the generator repeats itself byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "game/tables.hpp"
#include "runtime/sound.hpp"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> common_files() {
  std::vector<std::string> files;
  for (int f = 0; f <= 12; ++f) {
    char name[64];
    std::snprintf(name, sizeof name, "gfx/ship1/animfile%04d.png", f);
    files.push_back(name);
  }
  for (const char* name : {"hud.png", "fog.jpg", "wrench_small.png", "alienbug.png", "1.png", "2.png", "3.png",
                           "alusta.png", "tavara.png", "puhekupla.png", "cloud.png", "lieska.png", "desertstorm.png",
                           "levelcomplete.png", "worldcomplete.png", "gameover.png", "endscreen.jpg", "startup.png",
                           "loading.jpg"}) {
    files.push_back(std::string("gfx/misc/") + name);
  }
  for (const auto& world : game::tables::kWorldTable) {
    for (const char* p : world.speakers) files.push_back(p);
    for (int t = 0; t < 3; ++t) {
      files.push_back(world.game_tiles[t]);
      files.push_back(world.back_tiles[t]);
      files.push_back(world.front_tiles[t]);
    }
  }
  return files;
}

const std::vector<std::string> kLoopingWavs = {"motor.wav", "motor_idle.wav", "bg_noise.wav", "rain.wav", "wind.wav"};
const std::vector<std::string> kOneShotWavs = {"crash.wav", "gearin.wav", "gearout.wav", "landing.wav", "score1.wav",
                                               "score3.wav"};
const std::vector<std::string> kSongs = {"song1.ogg", "winter_song.ogg", "desert_song.ogg", "city_tekno.ogg"};
const std::vector<std::string> kJingles = {"song2.ogg", "song3.ogg"};

rt::SoundClip decode(const std::string& name) {
  std::string bytes = read_file(fs::path(SKY_RUN_DIR) / "sound" / name);
  bool ogg = name.size() > 4 && name.substr(name.size() - 4) == ".ogg";
  auto clip = ogg ? rt::decode_ogg(bytes) : rt::decode_wav(bytes);
  if (!clip) ADD_FAILURE() << name << " does not decode";
  return clip.value_or(rt::SoundClip{});
}

// Sample of channel c at frame i, as -1..1.
float sample(const rt::SoundClip& clip, int i, int c) {
  std::size_t at = (static_cast<std::size_t>(i) * clip.channels + c) * 2;
  auto v = static_cast<std::int16_t>(clip.samples[at] | (clip.samples[at + 1] << 8));
  return v / 32768.0f;
}

double seconds(const rt::SoundClip& clip) { return static_cast<double>(clip.frames) / clip.rate; }

// The jump from the last frame back to the first, against the clip's own typical step.
void expect_seamless(const rt::SoundClip& clip, const std::string& name) {
  for (int c = 0; c < clip.channels; ++c) {
    std::vector<float> steps;
    for (int i = 1; i < clip.frames; ++i) steps.push_back(std::fabs(sample(clip, i, c) - sample(clip, i - 1, c)));
    std::sort(steps.begin(), steps.end());
    float typical = steps[steps.size() * 99 / 100];
    float jump = std::fabs(sample(clip, 0, c) - sample(clip, clip.frames - 1, c));
    EXPECT_LE(jump, typical * 1.5f + 0.002f) << name << " channel " << c;
  }
}

}  // namespace

TEST(GeneratedAssets, EveryFileTheGameReadsIsThere) {
  std::vector<std::string> files = common_files();
  for (const auto& list : {kLoopingWavs, kOneShotWavs, kSongs, kJingles}) {
    for (const std::string& s : list) files.push_back("sound/" + s);
  }
  for (const std::string& f : files) {
    fs::path p = fs::path(SKY_RUN_DIR) / f;
    EXPECT_TRUE(fs::is_regular_file(p)) << f;
    if (fs::is_regular_file(p)) {
      EXPECT_GT(fs::file_size(p), 100u) << f;
    }
  }
  EXPECT_TRUE(fs::is_regular_file(fs::path(SKY_RUN_DIR) / "contact_sheet.png"));
}

TEST(GeneratedSounds, EffectsAreShortAndStartAndEndInSilence) {
  for (const std::string& name : kOneShotWavs) {
    rt::SoundClip clip = decode(name);
    if (clip.frames == 0) continue;
    EXPECT_EQ(clip.rate, 44100) << name;
    EXPECT_EQ(clip.bits, 16) << name;
    EXPECT_LT(seconds(clip), 1.5) << name;
    EXPECT_GT(seconds(clip), 0.1) << name;
    for (int c = 0; c < clip.channels; ++c) {
      EXPECT_LT(std::fabs(sample(clip, 0, c)), 0.01f) << name;
      EXPECT_LT(std::fabs(sample(clip, clip.frames - 1, c)), 0.01f) << name;
    }
  }
}

TEST(GeneratedSounds, LoopingEffectsJoinWithoutAClick) {
  for (const std::string& name : kLoopingWavs) {
    rt::SoundClip clip = decode(name);
    if (clip.frames == 0) continue;
    EXPECT_GE(seconds(clip), 1.0) << name;
    expect_seamless(clip, name);
  }
}

TEST(GeneratedSounds, SongsAreSeamlessLoopsOfHalfAMinuteToAMinute) {
  for (const std::string& name : kSongs) {
    rt::SoundClip clip = decode(name);
    if (clip.frames == 0) continue;
    EXPECT_EQ(clip.channels, 2) << name;
    EXPECT_GE(seconds(clip), 30.0) << name;
    EXPECT_LE(seconds(clip), 60.0) << name;
    expect_seamless(clip, name);
  }
}

TEST(GeneratedSounds, JinglesAreShortAndAudible) {
  for (const std::string& name : kJingles) {
    rt::SoundClip clip = decode(name);
    if (clip.frames == 0) continue;
    EXPECT_GT(seconds(clip), 1.0) << name;
    EXPECT_LT(seconds(clip), 8.0) << name;
    float loudest = 0;
    for (int i = 0; i < clip.frames; ++i) loudest = std::max(loudest, std::fabs(sample(clip, i, 0)));
    EXPECT_GT(loudest, 0.3f) << name;
  }
}

TEST(AssetGenerator, TwoRunsWriteTheSameBytesAndKeepAnExistingScoreTable) {
  const fs::path root = fs::temp_directory_path() / ("assetgen_twice_" + std::to_string(::getpid()));
  fs::remove_all(root);
  const fs::path first = root / "a", second = root / "b";
  for (const fs::path& out : {first, second}) {
    std::string command = std::string("\"") + SKY_ASSETGEN + "\" \"" + out.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  std::size_t compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(first)) {
    if (!entry.is_regular_file()) continue;
    fs::path rel = fs::relative(entry.path(), first);
    ASSERT_TRUE(fs::is_regular_file(second / rel)) << rel;
    EXPECT_TRUE(read_file(entry.path()) == read_file(second / rel)) << rel << " differs between runs";
    ++compared;
  }
  EXPECT_GT(compared, 70u);

  // A fresh folder gets fifteen empty rows with Windows line ends; an existing table is kept.
  std::string fresh;
  for (int row = 0; row < 15; ++row) fresh += "0\r\n\r\n";
  EXPECT_EQ(read_file(first / "scores.txt"), fresh);
  const std::string played = "4200\r\nACE\r\n";
  std::ofstream(second / "scores.txt", std::ios::binary) << played;
  std::string command = std::string("\"") + SKY_ASSETGEN + "\" \"" + second.string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(read_file(second / "scores.txt"), played) << "a rebuild must not wipe the player's table";
  fs::remove_all(root);
}
