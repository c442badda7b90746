// The rule every sound effect of the play follows: it starts only on a free channel while sound is on.
#pragma once
#include "game/state.hpp"
#include "runtime/sound.hpp"

namespace game {

// A group's channel that is still playing is left alone, so one effect never cuts off another.
inline void play_effect(const GameState& s, Handle sound, Handle channel) {
  if (s.sound_enabled == 1 && rt::channel_playing(channel) == 0) rt::play_sound(sound, channel);
}

}  // namespace game
