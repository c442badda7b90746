// Channels: their states through play, pause, resume, stop and end, handles, reclamation, silent driver.
#include <gtest/gtest.h>

#include <string>

#include "runtime/channel_table.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/program.hpp"
#include "runtime/sound.hpp"
#include "runtime_setup.hpp"
#include "sound_test_files.hpp"

using rt::platform::ScriptedPlatform;
using sound_test::load_wav_sound;

namespace {

ScriptedPlatform* install_scripted(bool audio) {
  ScriptedPlatform::Options options;
  options.audio_available = audio;
  return &runtime_setup::start_scripted_audio(options);
}

// Plays out enough output for every clip started so far of up to `frames` frames to end.
void play_out(ScriptedPlatform& platform, int frames) {
  for (int done = 0; done < frames + 8192; done += 512) {
    platform.render_audio(512);
    platform.advance_clock(11);
  }
}

std::vector<std::int16_t> tone(int frames) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i) samples[i] = static_cast<std::int16_t>((i % 50) * 100);
  return samples;
}

}  // namespace

TEST(SoundChannels, StatesThroughPlayPauseResumeStopAndEnd) {
  ScriptedPlatform* platform = install_scripted(true);
  ASSERT_FALSE(rt::audio_silent());
  const int shot = load_wav_sound("shot.wav", tone(2000), 44100, 0);
  const int loop = load_wav_sound("loop.wav", tone(300), 22050, 1);
  const int channel = rt::new_channel();
  ASSERT_NE(channel, 0);
  EXPECT_EQ(rt::channel_playing(channel), 0) << "a new channel";

  EXPECT_EQ(rt::play_sound(shot, channel), channel);
  EXPECT_EQ(rt::channel_playing(channel), 1) << "playing before the pump has even seen it";
  rt::pause_channel(channel);
  EXPECT_EQ(rt::channel_playing(channel), 1) << "paused counts as playing";
  play_out(*platform, 4000);
  EXPECT_EQ(rt::channel_playing(channel), 1) << "a paused clip does not run out";
  rt::resume_channel(channel);
  rt::resume_channel(channel);
  EXPECT_EQ(rt::channel_playing(channel), 1);
  play_out(*platform, 2000);
  EXPECT_EQ(rt::channel_playing(channel), 0) << "a one-shot that has ended is idle";
  rt::pause_channel(channel);
  rt::resume_channel(channel);
  EXPECT_EQ(rt::channel_playing(channel), 0) << "pausing an idle channel does not wake it";

  rt::play_sound(loop, channel);
  play_out(*platform, 20000);
  EXPECT_EQ(rt::channel_playing(channel), 1) << "a loop never ends by itself";
  rt::stop_channel(channel);
  EXPECT_EQ(rt::channel_playing(channel), 0) << "stopped";
  rt::start_sound_paused(loop, channel);
  EXPECT_EQ(rt::channel_playing(channel), 1) << "started paused";
  rt::play_sound(shot, channel);
  rt::play_sound(shot, channel);
  play_out(*platform, 2000);
  EXPECT_EQ(rt::channel_playing(channel), 0) << "replacing the loop stopped it; the one-shot ended";
  EXPECT_EQ(rt::play_sound(shot, channel), channel) << "the channel stays usable";
  EXPECT_EQ(rt::channel_playing(channel), 1);
}

TEST(SoundChannels, ChannelNoneTakesAFreshChannelThatIsFreedAfterItsClip) {
  ScriptedPlatform* platform = install_scripted(true);
  const int shot = load_wav_sound("shot.wav", tone(1000), 44100, 0);
  const int loop = load_wav_sound("loop.wav", tone(300), 44100, 1);
  const int held = rt::new_channel();
  const int before = rt::channels_in_use();

  const int a = rt::play_sound(shot, 0);
  const int b = rt::start_sound_paused(loop, 0);
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_NE(a, held);
  EXPECT_EQ(rt::channels_in_use(), before + 2);
  EXPECT_EQ(rt::channel_playing(b), 1);
  rt::resume_channel(b);
  play_out(*platform, 1000);
  EXPECT_EQ(rt::channel_playing(a), 0);
  EXPECT_EQ(rt::channel_playing(b), 1);
  EXPECT_EQ(rt::channels_in_use(), before + 1) << "the one-shot's channel is free again";
  rt::stop_channel(b);
  EXPECT_EQ(rt::channels_in_use(), before) << "a stop frees it at once";
  rt::resume_channel(b);
  EXPECT_EQ(rt::channel_playing(b), 0) << "a freed channel's handle is harmless";
}

TEST(SoundChannels, AHandleNeverReachesALaterUseOfItsSlot) {
  ScriptedPlatform* platform = install_scripted(true);
  const int loop = load_wav_sound("loop.wav", tone(300), 44100, 1);
  const int old_handle = rt::play_sound(loop, 0);
  const int slot = old_handle & (rt::ChannelTable::kSlots - 1);
  rt::stop_channel(old_handle);
  int reused = 0;
  for (int i = 0; i < 2 * rt::ChannelTable::kSlots && reused == 0; ++i) {
    const int handle = rt::new_channel();
    if ((handle & (rt::ChannelTable::kSlots - 1)) == slot) reused = handle;
  }
  ASSERT_NE(reused, 0) << "the slot comes round again";
  EXPECT_NE(reused, old_handle);
  rt::play_sound(loop, reused);
  rt::stop_channel(old_handle);
  rt::pause_channel(old_handle);
  EXPECT_EQ(rt::channel_playing(old_handle), 0);
  platform->advance_clock(5);
  EXPECT_EQ(rt::channel_playing(reused), 1) << "the old handle touched nothing of the new use";
  rt::pause_channel(reused);
  rt::resume_channel(old_handle);
  play_out(*platform, 100);
  EXPECT_EQ(rt::channel_playing(reused), 1);
}

TEST(SoundChannels, ChannelZeroIsHarmless) {
  install_scripted(true);
  rt::stop_channel(0);
  rt::pause_channel(0);
  rt::resume_channel(0);
  EXPECT_EQ(rt::channel_playing(0), 0);
  EXPECT_EQ(rt::channel_playing(-5), 0);
  EXPECT_EQ(rt::channel_playing(0x7FFFFFFF), 0);
}

TEST(SoundChannels, ASoundThatFailedToLoadEndsTheProgramAtItsFirstUse) {
  install_scripted(true);
  const std::string garbage = sound_test::write_temp_file("noise.wav", "not a sound at all");
  EXPECT_EQ(rt::load_sound(u"sound/missing.wav", 0), 0);
  EXPECT_EQ(rt::load_sound(rt::from_latin1(garbage), 0), 0);
  const int channel = rt::new_channel();
  testing::internal::CaptureStderr();
  try {
    rt::play_sound(0, channel);
    ADD_FAILURE() << "playing a sound that failed to load went on";
  } catch (const rt::ProgramExit& exit) {
    EXPECT_EQ(exit.status, -1);
  }
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("sound/missing.wav"), std::string::npos) << message;
  EXPECT_NE(message.find(garbage), std::string::npos) << message;
  EXPECT_EQ(rt::channel_playing(channel), 0);
}

TEST(SoundChannels, SilentDriverAcceptsEverythingAndNeverPlays) {
  ScriptedPlatform* platform = install_scripted(false);
  ASSERT_TRUE(rt::audio_silent());
  const int loop = load_wav_sound("loop.wav", tone(300), 44100, 1);
  ASSERT_NE(loop, 0) << "clips still load";
  EXPECT_EQ(rt::sound_clip(loop).frames, 300);
  const int channel = rt::new_channel();
  ASSERT_NE(channel, 0);
  EXPECT_EQ(rt::play_sound(loop, channel), channel);
  EXPECT_EQ(rt::channel_playing(channel), 0);
  EXPECT_NE(rt::start_sound_paused(loop, 0), 0);
  rt::pause_channel(channel);
  rt::resume_channel(channel);
  rt::stop_channel(channel);
  EXPECT_EQ(rt::channel_playing(channel), 0);
  for (int i = 0; i < 10000; ++i) ASSERT_NE(rt::play_sound(loop, 0), 0) << "fresh channels never run out";
  platform->render_audio(512);
  EXPECT_TRUE(platform->captured_audio().empty()) << "no device was opened";
}

TEST(SoundChannels, LoadingAFileAgainSharesTheDecodedClip) {
  install_scripted(true);
  const std::string path = sound_test::write_temp_file(
      "shared.wav", sound_test::make_wav(sound_test::WavLayout{}, sound_test::pcm16(tone(100))));
  const int a = rt::load_sound(rt::from_latin1(path), 1);
  const int b = rt::load_sound(rt::from_latin1(path), 1);
  const int once = rt::load_sound(rt::from_latin1(path), 0);
  EXPECT_EQ(a, b);
  EXPECT_EQ(&rt::sound_clip(a), &rt::sound_clip(b));
  EXPECT_NE(once, a);
  EXPECT_TRUE(rt::sound_loops(a));
  EXPECT_FALSE(rt::sound_loops(once));
}

TEST(ChannelTable, FullTableGivesNoneAndOldUntouchedChannelsAreTakenBack) {
  std::vector<int> reclaimed;
  rt::ChannelTable table([&](int slot) { reclaimed.push_back(slot); });
  std::vector<int> handles;
  // Using every channel at each step keeps them all recent: the table fills up.
  for (int i = 1; i < rt::ChannelTable::kSlots; ++i) {
    const int handle = table.take();
    ASSERT_NE(handle, 0) << i;
    handles.push_back(handle);
    if (handles.size() > rt::ChannelTable::kReclaimAge / 2) {
      for (int h : handles) table.use(h);
    }
    if (i % 64 == 0) {
      for (int h : handles) ASSERT_NE(table.use(h), 0);
    }
  }
  EXPECT_EQ(table.in_use(), 4095);
  EXPECT_EQ(table.take(), 0) << "no free slot";
  EXPECT_TRUE(reclaimed.empty());

  for (std::size_t i = 1; i < handles.size(); ++i) table.release(handles[i] & 4095);
  const int kept = handles[0];
  for (std::uint64_t i = 0; i < rt::ChannelTable::kReclaimAge - 1; ++i) table.release(table.take() & 4095);
  EXPECT_TRUE(reclaimed.empty()) << "not yet old enough";
  EXPECT_NE(table.use(kept), 0);
  for (std::uint64_t i = 0; i <= rt::ChannelTable::kReclaimAge; ++i) table.release(table.take() & 4095);
  ASSERT_EQ(reclaimed.size(), 1u);
  EXPECT_EQ(reclaimed[0], kept & 4095);
  EXPECT_EQ(table.use(kept), 0) << "its handle no longer reaches anything";
}

// The game takes a music channel at every title and eleven channels at every world setup, never
// releases one, leaves world songs paused on abandoned channels, and plays effects all the while.
TEST(SoundChannels, ThousandsOfWorldSetupsNeverRunOutOfChannels) {
  ScriptedPlatform* platform = install_scripted(true);
  const int title_song = load_wav_sound("title.wav", tone(500), 22050, 1);
  const int world_song = load_wav_sound("song.wav", tone(700), 22050, 1);
  const int motor = load_wav_sound("motor.wav", tone(200), 44100, 1);
  const int crash = load_wav_sound("crash.wav", tone(900), 44100, 0);
  int world_setups = 0;
  for (int game = 0; game < 1200; ++game) {
    int music = rt::new_channel();
    ASSERT_NE(music, 0);
    rt::play_sound(title_song, music);
    platform->advance_clock(16);
    rt::stop_channel(music);
    for (int world = 0; world < 3; ++world, ++world_setups) {
      int effects[10];
      for (int& channel : effects) {
        channel = rt::new_channel();
        ASSERT_NE(channel, 0) << "world setup " << world_setups;
      }
      music = rt::start_sound_paused(world_song, 0);
      ASSERT_NE(music, 0);
      rt::resume_channel(music);
      for (int frame = 0; frame < 3; ++frame) {
        if (rt::channel_playing(effects[1]) == 0) rt::play_sound(motor, effects[1]);
        if (rt::channel_playing(effects[3]) == 0) rt::play_sound(crash, effects[3]);
        platform->render_audio(512);
        platform->advance_clock(16);
      }
      ASSERT_EQ(rt::channel_playing(effects[1]), 1);
      ASSERT_EQ(rt::channel_playing(music), 1);
      for (int i = 1; i < 10; ++i) rt::stop_channel(effects[i]);
      rt::pause_channel(music);
      ASSERT_EQ(rt::channel_playing(music), 1) << "paused and then abandoned";
    }
  }
  EXPECT_EQ(world_setups, 3600);
  EXPECT_LE(rt::channels_in_use(), static_cast<int>(rt::ChannelTable::kReclaimAge) + 12);
}

TEST(SoundChannels, ClipsEndWithVirtualTimeWhenTheDeviceFollowsTheClock) {
  ScriptedPlatform::Options options;
  options.audio_follows_clock = true;
  ScriptedPlatform& platform = runtime_setup::start_scripted_audio(options);
  const int shot = load_wav_sound("half_second.wav", tone(22050), 44100, 0);
  const int channel = rt::play_sound(shot, rt::new_channel());
  for (int ms = 0; ms < 400; ms += 16) platform.advance_clock(16);
  EXPECT_EQ(rt::channel_playing(channel), 1) << "still within its half second (after the 20 ms start delay)";
  for (int ms = 0; ms < 400; ms += 16) platform.advance_clock(16);
  EXPECT_EQ(rt::channel_playing(channel), 0) << "a one-shot ends once its time has passed";
  EXPECT_TRUE(platform.captured_audio().empty()) << "played output is not kept";
}
