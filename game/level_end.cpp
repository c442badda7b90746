// Where the game goes when play stops: the game end, and the level end with its three screens.
#include "game/level_end.hpp"

#include "game/state.hpp"
#include "runtime/draw.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/screen.hpp"
#include "runtime/sound.hpp"

namespace game {
namespace {

// Silences the effects, pauses the world's song for the next level start and starts a jingle.
// The jingle channel is neither stopped nor tested first: a new jingle cuts in over an old one.
void end_of_play_sounds(const GameState& s, int jingle) {
  if (s.sound_enabled != 1) return;
  for (int channel : {s.wind_channel, s.motor_channel, s.motor_idle_channel, s.crash_channel, s.score_channel,
                      s.noise_channel, s.gear_channel, s.landing_channel, s.rain_channel}) {
    if (rt::channel_playing(channel) == 1) rt::stop_channel(channel);
  }
  rt::pause_channel(s.music_channel);
  rt::play_sound(jingle, s.jingle_channel);
}

// Tested before drawn, so an Enter counted during play ends the screen before its first frame.
// No clear: the first frame lands on the last, unpresented frame of play.
void show_until_enter(int image, bool with_prompt) {
  while (rt::key_presses(rt::VK_ENTER) == 0) {
    rt::draw_image(image, 512, 384, 0);
    if (with_prompt) rt::draw_text(u"Press Enter to Continue", 450, 600);
    rt::present_frame(-1);
  }
}

AfterLevel complete_world(GameState& s, int next_world) {
  s.world = next_world;
  show_until_enter(s.img_world_complete, true);
  rt::stop_channel(s.jingle_channel);
  return AfterLevel::NextWorld;
}

}  // namespace

void end_game(GameState& s) { end_of_play_sounds(s, s.snd_game_over_song); }

AfterLevel end_level(GameState& s) {
  end_of_play_sounds(s, s.snd_level_done_song);
  switch (s.level_index) {
    case 3:
      return complete_world(s, 2);
    case 6:
      return complete_world(s, 3);
    case 9:
      show_until_enter(s.img_end_screen, true);
      rt::stop_channel(s.jingle_channel);
      return AfterLevel::NameEntry;
    default:
      // The jingle plays on into the next level.
      show_until_enter(s.img_level_complete, false);
      return AfterLevel::NextLevel;
  }
}

}  // namespace game
