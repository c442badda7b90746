// The whole sound pipeline on a real SDL device: the disk driver writes what the mixer produced.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "runtime/platform/platform.hpp"
#include "runtime/program.hpp"
#include "runtime/sound.hpp"
#include "runtime_setup.hpp"
#include "sound_test_files.hpp"

namespace {

std::vector<std::int16_t> read_samples(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::int16_t> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                           static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return samples;
}

}  // namespace

TEST(SoundDevice, TheDiskDriverReceivesTheMixedClip) {
  const std::string out = sound_test::write_temp_file("disk_audio.raw", "");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  rt::platform::install(rt::platform::make_sdl_platform());
  runtime_setup::start_sound_afresh();
  ASSERT_FALSE(rt::audio_silent()) << "the disk driver opens like a sound card";

  std::vector<std::int16_t> clip;
  for (int i = 0; i < 3000; ++i) clip.push_back(static_cast<std::int16_t>((i * 37) % 20000 - 10000 + (i == 0)));
  const int channel = rt::play_sound(sound_test::load_wav_sound("probe.wav", clip, 44100, 0), 0);
  ASSERT_NE(channel, 0);

  // The device writes in real time; wait for the clip and a margin past the mix lead to be written.
  const std::uintmax_t wanted = (44100 / 2) * 4;
  for (int waited = 0; waited < 400 && std::filesystem::file_size(out) < wanted; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(rt::channel_playing(channel), 0) << "the clip has ended";
  rt::stop_audio();

  const std::vector<std::int16_t> written = read_samples(out);
  ASSERT_GE(written.size(), wanted / 2);
  std::size_t start = 0;
  while (start < written.size() && written[start] == 0) ++start;
  ASSERT_EQ(start % 2, 0u) << "frames stay whole";
  ASSERT_LE(start / 2 + clip.size(), written.size() / 2) << "the clip is written after the silence";
  for (std::size_t i = 0; i < clip.size(); ++i) {
    ASSERT_EQ(written[start + 2 * i], clip[i]) << "left, frame " << i;
    ASSERT_EQ(written[start + 2 * i + 1], clip[i]) << "right, frame " << i;
  }
  for (std::size_t i = start + 2 * clip.size(); i < written.size(); ++i) ASSERT_EQ(written[i], 0) << i;
}
