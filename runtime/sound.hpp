// Sound: decoded clips, channels and the mixer behind them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "runtime/text.hpp"

namespace rt {

// A clip decoded whole: PCM in WAV layout (8-bit unsigned or 16-bit signed little-endian, interleaved).
struct SoundClip {
  std::vector<std::uint8_t> samples;
  int frames = 0;
  int channels = 1;  // 1 or 2
  int bits = 16;     // 8 or 16
  int rate = 44100;  // frames per second, as stored in the file
};

// Clips claiming a higher rate are treated as damaged, which keeps the mixer's fixed-point step in range.
constexpr int kMaxSoundRate = 1000000;

// Opens the audio device, or keeps the silent driver when none opens.
void start_audio();
void register_sound_decoders();  // OGG then WAV, so that WAV is tried first

int load_sound(const String& path, int flags);

// A load to come: the path and flags load_sound will be given.
struct SoundLoad {
  String path;
  int flags;
};
// Starts decoding these files on background threads, so that the loads to come find them decoded (or
// wait for them). Sounds already loaded are skipped, and what an earlier call left untaken is dropped.
// Handles and failures stay exactly as the loads alone make them.
void decode_sounds_ahead(const std::vector<SoundLoad>& loads);
// Files decoded, or being decoded, ahead that no load has taken yet.
int sounds_decoding_ahead();

int new_channel();
int play_sound(int sound, int channel);
int start_sound_paused(int sound, int channel);
void stop_channel(int channel);
void pause_channel(int channel);
void resume_channel(int channel);
int channel_playing(int channel);

// Decoders: each returns no clip for a file it does not recognise or that is damaged.
using SoundDecoder = std::optional<SoundClip> (*)(const std::string& bytes);
std::optional<SoundClip> decode_wav(const std::string& bytes);
std::optional<SoundClip> decode_ogg(const std::string& bytes);
// Registers a decoder; the newest registered is tried first.
void register_sound_decoder(SoundDecoder decoder);

// The clip behind a sound handle. A handle of 0 or one never given ends the program with a message
// naming the sound files that failed to load.
const SoundClip& sound_clip(int sound);
bool sound_loops(int sound);

// Channels currently held, those taken by the game and those playing a clip started with no channel.
int channels_in_use();

// True while no audio device is open: every operation succeeds silently.
bool audio_silent();
// Stops the pump and closes the device; the silent driver takes over. Runs at every exit.
void stop_audio();
// Forgets every sound, channel and decoder and closes the device (tests only).
void reset_sound();

}  // namespace rt
