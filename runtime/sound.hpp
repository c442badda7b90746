// Sound: decoded clips, channels and the mixer behind them.
#pragma once
#include "runtime/text.hpp"

namespace rt {

// Opens the audio device, or keeps the silent driver when none opens.
void start_audio();
void register_sound_decoders();  // OGG then WAV, so that WAV is tried first

int load_sound(const String& path, int flags);
int new_channel();
int play_sound(int sound, int channel);
int start_sound_paused(int sound, int channel);
void stop_channel(int channel);
void pause_channel(int channel);
void resume_channel(int channel);
int channel_playing(int channel);

}  // namespace rt
