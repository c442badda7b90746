// The mixer and output loop, heard on the scripted device: resampling, summing, start delay, underruns.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/audio_output.hpp"
#include "runtime/mixer.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/program.hpp"
#include "runtime/sound.hpp"
#include "runtime_setup.hpp"
#include "sound_test_files.hpp"

using rt::platform::ScriptedPlatform;
using runtime_setup::start_scripted_audio;
using sound_test::load_wav_sound;

namespace {

constexpr int kDelayFrames = 882;  // 20 ms at 44100 Hz

// Captures `fragments` fragments the way the device plays them, the pump running before each.
void render(ScriptedPlatform& platform, int fragments) {
  for (int i = 0; i < fragments; ++i) platform.render_audio(rt::AudioOutput::kFragmentFrames);
}

std::int16_t left(const ScriptedPlatform& p, int frame) { return p.captured_audio()[2 * frame]; }
std::int16_t right(const ScriptedPlatform& p, int frame) { return p.captured_audio()[2 * frame + 1]; }
int captured_frames(const ScriptedPlatform& p) { return static_cast<int>(p.captured_audio().size() / 2); }

int first_sound(const ScriptedPlatform& p, int from = 0) {
  for (int f = from; f < captured_frames(p); ++f) {
    if (left(p, f) != 0 || right(p, f) != 0) return f;
  }
  return -1;
}

std::vector<std::int16_t> constant(int frames, std::int16_t value) {
  return std::vector<std::int16_t>(static_cast<std::size_t>(frames), value);
}

std::vector<std::int16_t> joined(std::initializer_list<std::vector<std::int16_t>> parts) {
  std::vector<std::int16_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace

TEST(Mixer, PureToneFrom22050HzIsInterpolatedToTheOutputRate) {
  ScriptedPlatform& platform = start_scripted_audio();
  std::vector<std::int16_t> tone;
  for (int i = 0; i < 441; ++i) tone.push_back(static_cast<std::int16_t>(std::lround(12000 * std::sin(i * 0.3))));
  const int sound = load_wav_sound("tone.wav", tone, 22050, 0);
  rt::play_sound(sound, rt::new_channel());
  render(platform, 8);

  ASSERT_EQ(captured_frames(platform), 8 * 512);
  for (int f = 0; f < captured_frames(platform); ++f) {
    const int k = f - kDelayFrames;
    double expected = 0;
    if (k >= 0 && k < 2 * 441) {
      const int j = k / 2;
      const int next = std::min(j + 1, 440);
      expected = k % 2 == 0 ? tone[j] : (tone[j] + tone[next]) / 2.0;
    }
    ASSERT_NEAR(left(platform, f), expected, 1.0) << "frame " << f;
    ASSERT_EQ(left(platform, f), right(platform, f)) << "a mono clip is centred";
  }
}

TEST(Mixer, ClipsAreSummedAndClippedToSixteenBits) {
  ScriptedPlatform& platform = start_scripted_audio();
  const int a = load_wav_sound("a.wav", joined({constant(100, 1000), constant(100, 20000), constant(100, -20000)}),
                               44100, 0);
  const int b = load_wav_sound("b.wav", joined({constant(100, 2345), constant(100, 20000), constant(100, -20000)}),
                               44100, 0);
  rt::play_sound(a, rt::new_channel());
  rt::play_sound(b, 0);
  render(platform, 4);
  for (int f = 0; f < captured_frames(platform); ++f) {
    const int k = f - kDelayFrames;
    int expected = 0;
    if (k >= 0 && k < 100) expected = 3345;
    if (k >= 100 && k < 200) expected = 32767;
    if (k >= 200 && k < 300) expected = -32768;
    ASSERT_EQ(left(platform, f), expected) << "frame " << f;
    ASSERT_EQ(right(platform, f), expected) << "frame " << f;
  }
}

TEST(Mixer, ASecondPlayOnAChannelInTheSameFrameIsTheOnlyOneHeard) {
  ScriptedPlatform& platform = start_scripted_audio();
  const int channel = rt::new_channel();
  rt::play_sound(load_wav_sound("a.wav", constant(100, 1000), 44100, 0), channel);
  rt::play_sound(load_wav_sound("b.wav", constant(100, 3000), 44100, 0), channel);
  render(platform, 3);
  for (int f = 0; f < captured_frames(platform); ++f) {
    ASSERT_EQ(left(platform, f), f >= kDelayFrames && f < kDelayFrames + 100 ? 3000 : 0) << "frame " << f;
  }
}

TEST(Mixer, ClipsEnterTwentyMillisecondsAfterTheirStartAndKeepTheirSpacing) {
  ScriptedPlatform& platform = start_scripted_audio();
  const int a = load_wav_sound("a.wav", constant(50, 1000), 44100, 0);
  const int b = load_wav_sound("b.wav", constant(50, 3000), 44100, 0);
  const int channel_a = rt::new_channel();
  const int channel_b = rt::new_channel();
  platform.advance_clock(1);  // the pump's first run fills the lead of 6 fragments with silence
  rt::play_sound(a, channel_a);
  platform.advance_clock(5);  // the lead is full: the pump mixes nothing and takes nothing up yet
  rt::play_sound(b, channel_b);
  platform.render_audio(512);
  platform.advance_clock(2);  // now 7 ms after a and 2 ms after b, the pump mixes fragment 6
  render(platform, 9);

  const int fragment_6 = 6 * 512;
  const int a_at = fragment_6 + 13 * 441 / 10;  // 20 - 7 ms
  const int b_at = fragment_6 + 18 * 441 / 10;  // 20 - 2 ms
  EXPECT_EQ(first_sound(platform), a_at);
  EXPECT_EQ(left(platform, a_at), 1000);
  EXPECT_EQ(left(platform, a_at + 49), 1000);
  EXPECT_EQ(left(platform, a_at + 50), 0);
  EXPECT_EQ(first_sound(platform, a_at + 50), b_at) << "5 ms apart when started, 5 ms apart when heard";
  EXPECT_EQ(left(platform, b_at + 49), 3000);

  // A clip that waited longer than 20 ms for the pump enters at once.
  rt::play_sound(a, channel_a);
  platform.advance_clock(30);
  const int before = captured_frames(platform);
  render(platform, 12);
  const int heard = first_sound(platform, before);
  ASSERT_GE(heard, 0);
  EXPECT_EQ(heard % 512, 0) << "at the start of the first fragment mixed after it was taken up";
}

TEST(Mixer, LoopsRunSeamlesslyAndPausedClipsHoldTheirPlace) {
  ScriptedPlatform& platform = start_scripted_audio();
  const int loop = load_wav_sound("loop.wav", {100, 200, 300, 400, 500, 600, 700}, 44100, 1);
  const int channel = rt::new_channel();
  rt::play_sound(loop, channel);
  render(platform, 6);
  rt::pause_channel(channel);
  render(platform, 10);
  rt::resume_channel(channel);
  render(platform, 6);

  std::vector<std::int16_t> heard;
  int silent_after_start = 0;
  for (int f = kDelayFrames; f < captured_frames(platform); ++f) {
    if (left(platform, f) == 0) {
      ++silent_after_start;
    } else {
      heard.push_back(left(platform, f));
    }
  }
  EXPECT_GE(silent_after_start, 5 * 512) << "the pause was heard";
  ASSERT_GT(heard.size(), 3000u);
  for (std::size_t i = 0; i < heard.size(); ++i) {
    ASSERT_EQ(heard[i], 100 * static_cast<int>(i % 7 + 1)) << "sample " << i << " of the loop as heard";
  }
}

TEST(Mixer, EightBitAndStereoClipsReachTheirOutputChannels) {
  ScriptedPlatform& platform = start_scripted_audio();
  sound_test::WavLayout layout;
  layout.channels = 2;
  layout.bits = 8;
  std::string data;
  for (int i = 0; i < 40; ++i) data += std::string{static_cast<char>(138), static_cast<char>(118)};
  const std::string path = sound_test::write_temp_file("stereo8.wav", sound_test::make_wav(layout, data));
  rt::play_sound(rt::load_sound(rt::from_latin1(path), 0), 0);
  render(platform, 3);
  EXPECT_EQ(first_sound(platform), kDelayFrames);
  for (int f = kDelayFrames; f < kDelayFrames + 40; ++f) {
    ASSERT_EQ(left(platform, f), 2560);
    ASSERT_EQ(right(platform, f), -2560);
  }
  EXPECT_EQ(first_sound(platform, kDelayFrames + 40), -1);
}

namespace {

// A mixer and output loop with nothing between them and the test: the pump runs exactly when told.
struct Loop {
  rt::Mixer mixer;
  rt::AudioOutput output{mixer};
  std::vector<std::int16_t> out;

  Loop() {
    auto clip = std::make_shared<rt::SoundClip>();
    clip->frames = 1;
    clip->samples = {0xE8, 0x03};  // 1000
    mixer.start(clip, true, false, 0, 1);
  }
  // Plays `frames` frames and says whether every one of them was the looping clip.
  bool play(int frames) {
    out.assign(static_cast<std::size_t>(frames) * 2, -1);
    output.pull(out.data(), frames);
    for (std::int16_t s : out) {
      if (s != 1000) return false;
    }
    return true;
  }
};

constexpr int kFragment = rt::AudioOutput::kFragmentFrames;

}  // namespace

TEST(AudioOutput, AnUnderrunSilencesTheOutputAndRestartsWithALongerLead) {
  Loop loop;
  loop.output.pump(1000);  // starts 20 ms late, so the clip fills fragments 0 to 5 at once
  EXPECT_TRUE(loop.play(4 * kFragment));
  EXPECT_EQ(loop.output.lead_fragments(), 6);
  loop.output.pump(1005);  // 2 fragments ahead: mixes back up to 6
  EXPECT_TRUE(loop.play(5 * kFragment));
  loop.output.pump(1010);  // 1 fragment ahead: an underrun
  EXPECT_FALSE(loop.output.playing());
  EXPECT_EQ(loop.output.lead_fragments(), 8);
  EXPECT_EQ(loop.output.play_position(), 0u);
  loop.play(kFragment);
  EXPECT_EQ(loop.out, std::vector<std::int16_t>(2 * kFragment, 0)) << "silence while stopped";
  EXPECT_EQ(loop.output.play_position(), 0u);
  for (int run = 1; run < rt::AudioOutput::kRestartRuns; ++run) loop.output.pump(1010 + 5 * run);
  EXPECT_FALSE(loop.output.playing()) << "249 runs later it is still quiet";
  loop.output.pump(3000);
  EXPECT_TRUE(loop.output.playing()) << "the 250th run starts it again";
  EXPECT_TRUE(loop.play(8 * kFragment)) << "mixed 8 fragments ahead from the loop's start";
  EXPECT_FALSE(loop.play(kFragment)) << "and no further";

  for (int underruns = 0; underruns < 4; ++underruns) {
    loop.output.pump(4000);
    loop.play(loop.output.lead_fragments() * kFragment);
    loop.output.pump(4000);
    for (int run = 0; run < rt::AudioOutput::kRestartRuns; ++run) loop.output.pump(4000);
  }
  EXPECT_EQ(loop.output.lead_fragments(), 10) << "the lead stops growing at 10";
}

TEST(AudioOutput, AnUnreadablyLargePositionStartsTheLoopOver) {
  Loop loop;
  loop.output.pump(1000);
  std::vector<std::int16_t> chunk(2 * 1048576);
  const std::uint32_t max_frames = rt::AudioOutput::kMaxPosition / 4;
  for (std::uint32_t played = 0; played <= max_frames; played += 1048576) {
    loop.output.pull(chunk.data(), 1048576);
  }
  ASSERT_GT(loop.output.play_position(), rt::AudioOutput::kMaxPosition);
  loop.output.pump(1005);
  EXPECT_TRUE(loop.output.playing()) << "a reset, not an underrun";
  EXPECT_EQ(loop.output.play_position(), 0u);
  EXPECT_EQ(loop.output.lead_fragments(), 6);
  EXPECT_TRUE(loop.play(6 * kFragment));
  EXPECT_FALSE(loop.play(kFragment)) << "the rest of the loop was silenced";
}
