// The level and game end: where each level end leads, the screens' Enter rule, and the jingles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "end_of_game_harness.hpp"
#include "game/level_end.hpp"
#include "game/state.hpp"
#include "runtime/draw.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/screen.hpp"
#include "runtime/sound.hpp"

namespace {

using namespace end_of_game_test;
using game::AfterLevel;

struct LevelEnd : testing::Test {
  ScratchFolder folder;
  ScriptedScreen screen;
  game::GameState s;
  LevelEnd() {
    s.img_level_complete = screen.load_plain_picture("level.bmp", 16, 16, 0, 200, 0);
    s.img_world_complete = screen.load_plain_picture("world.bmp", 16, 16, 0, 0, 200);
    s.img_end_screen = screen.load_plain_picture("end.bmp", 16, 16, 200, 0, 200);
    s.world = 1;
  }
  int frames() { return screen.frames(); }
  // Ends the screen after it has shown `count` frames.
  void enter_after(int count) { screen.tap_after(frames() + count, rt::VK_ENTER); }
  bool prompt_shown() {
    for (int y = 600; y < 616; ++y)
      for (int x = 450; x < 450 + 23 * 8; ++x)
        if (screen.presented_pixel(x, y) == 0xFFFFFFu) return true;
    return false;
  }
};

TEST_F(LevelEnd, EachLevelIndexLeadsOnAsTheWorldsAreLaidOut) {
  struct Case {
    int level_index;
    AfterLevel next;
    int world;
  };
  for (const Case& c : {Case{1, AfterLevel::NextLevel, 1}, Case{3, AfterLevel::NextWorld, 2},
                        Case{5, AfterLevel::NextLevel, 1}, Case{6, AfterLevel::NextWorld, 3},
                        Case{8, AfterLevel::NextLevel, 1}, Case{9, AfterLevel::NameEntry, 1}}) {
    s.world = 1;
    s.level_index = c.level_index;
    enter_after(2);
    EXPECT_EQ(game::end_level(s), c.next) << c.level_index;
    EXPECT_EQ(s.world, c.world) << c.level_index;
    EXPECT_EQ(s.level_index, c.level_index);
  }
}

TEST_F(LevelEnd, EnterPressedDuringPlayEndsTheNextScreenBeforeItsFirstFrame) {
  for (int level : {2, 3, 9}) {
    s.level_index = level;
    screen.tap_now(rt::VK_ENTER);
    game::end_level(s);
    EXPECT_EQ(frames(), 0) << level;
  }
}

TEST_F(LevelEnd, HoldingEnterEndsOneScreenOnly) {
  screen.platform().push_event({rt::platform::EventType::KeyDown, rt::VK_ENTER});
  s.level_index = 1;
  game::end_level(s);
  EXPECT_EQ(frames(), 0);
  s.level_index = 2;
  screen.platform().key_up_at_frame(screen.platform().frames_presented() + 5, rt::VK_ENTER);
  screen.platform().key_down_at_frame(screen.platform().frames_presented() + 5, rt::VK_ENTER);
  game::end_level(s);
  EXPECT_EQ(frames(), 5);
}

TEST_F(LevelEnd, ScreensDrawOverTheLastPlayFrameWithoutClearing) {
  rt::set_draw_colour(255, 0, 0);
  rt::draw_rect(0, 0, 1024, 768);  // what the last, unpresented frame of play left
  rt::set_draw_colour(255, 255, 255);
  s.level_index = 4;
  enter_after(1);
  game::end_level(s);
  EXPECT_EQ(screen.presented_pixel(10, 10), 0xFF0000u);
  EXPECT_EQ(screen.presented_pixel(512, 384), 0x00C800u);
  EXPECT_FALSE(prompt_shown());  // the level-complete screen has no text
}

TEST_F(LevelEnd, WorldAndEndScreensShowThePrompt) {
  for (int level : {3, 9}) {
    rt::clear_frame();
    s.level_index = level;
    enter_after(1);
    game::end_level(s);
    EXPECT_TRUE(prompt_shown()) << level;
    EXPECT_EQ(screen.presented_pixel(512, 384), level == 3 ? 0x0000C8u : 0xC800C8u);
  }
}

TEST_F(LevelEnd, EscOnAScreenIsLeftForTheNextLevelStart) {
  s.level_index = 1;
  screen.tap_after(1, rt::VK_ESCAPE);
  screen.tap_after(2, rt::VK_ENTER);
  game::end_level(s);
  EXPECT_EQ(rt::key_presses(rt::VK_ESCAPE), 1);
}

// Sounds: every effect loops a loud clip, the music loops a quieter one and the jingles are silent,
// so the mixed output tells what still sounds after the end of play.
struct EndOfPlaySounds : LevelEnd {
  std::vector<int*> effects;
  EndOfPlaySounds() {
    rt::start_audio();
    rt::register_sound_decoders();
    const int loud = sound_test::load_wav_sound("loud.wav", std::vector<std::int16_t>(4410, 8000), 44100, 1);
    const int music = sound_test::load_wav_sound("music.wav", std::vector<std::int16_t>(4410, 1000), 44100, 1);
    s.snd_level_done_song = sound_test::load_wav_sound("quiet.wav", std::vector<std::int16_t>(44100, 0), 44100, 0);
    s.snd_game_over_song = s.snd_level_done_song;
    effects = {&s.wind_channel,  &s.motor_channel, &s.motor_idle_channel, &s.crash_channel, &s.score_channel,
               &s.noise_channel, &s.gear_channel,  &s.landing_channel,    &s.rain_channel};
    for (int* channel : effects) *channel = rt::play_sound(loud, rt::new_channel());
    s.music_channel = rt::play_sound(music, rt::new_channel());
    s.jingle_channel = rt::new_channel();
    s.sound_enabled = 1;
  }
  // The loudest sample of the output once what was mixed ahead has played out.
  int loudest_now() {
    auto& platform = screen.platform();
    for (int step = 0; step < 20; ++step) {
      platform.advance_clock(20);
      platform.render_audio(882);
    }
    const std::size_t from = platform.captured_audio().size() - 882 * 2;
    int peak = 0;
    for (std::size_t i = from; i < platform.captured_audio().size(); ++i)
      peak = std::max(peak, std::abs(static_cast<int>(platform.captured_audio()[i])));
    return peak;
  }
};

TEST_F(EndOfPlaySounds, GameEndSilencesEffectsPausesMusicAndStartsTheJingle) {
  ASSERT_GE(loudest_now(), 8000);
  game::end_game(s);
  for (int* channel : effects) EXPECT_EQ(rt::channel_playing(*channel), 0);
  EXPECT_EQ(rt::channel_playing(s.music_channel), 1);  // paused, not stopped
  EXPECT_EQ(rt::channel_playing(s.jingle_channel), 1);
  EXPECT_EQ(loudest_now(), 0);
}

TEST_F(EndOfPlaySounds, NothingChangesWhenSoundIsNotEnabled) {
  s.sound_enabled = 0;
  game::end_game(s);
  for (int* channel : effects) EXPECT_EQ(rt::channel_playing(*channel), 1);
  EXPECT_EQ(rt::channel_playing(s.jingle_channel), 0);
  EXPECT_GE(loudest_now(), 8000);
}

TEST_F(EndOfPlaySounds, PlainLevelEndLetsTheJinglePlayOn) {
  s.level_index = 2;
  enter_after(3);
  EXPECT_EQ(game::end_level(s), AfterLevel::NextLevel);
  EXPECT_EQ(rt::channel_playing(s.jingle_channel), 1);
  EXPECT_EQ(rt::channel_playing(s.music_channel), 1);
  rt::resume_channel(s.music_channel);  // as the next level start does
  EXPECT_GE(loudest_now(), 1000);
}

TEST_F(EndOfPlaySounds, WorldAndEndScreensStopTheJingle) {
  for (int level : {3, 6, 9}) {
    s.level_index = level;
    enter_after(2);
    game::end_level(s);
    EXPECT_EQ(rt::channel_playing(s.jingle_channel), 0) << level;
  }
}

}  // namespace
