// The sound services the game calls: loading clips, channels, and starting and stopping playback.
#include "runtime/sound.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <utility>
#include "runtime/audio_device.hpp"
#include "runtime/background_job.hpp"
#include "runtime/channel_table.hpp"
#include "runtime/files.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/program.hpp"

namespace rt {
namespace {

struct Sound {
  std::shared_ptr<const SoundClip> clip;
  bool loop = false;
};

// What a channel slot plays: its current record, valid while the record's serial still matches.
struct ChannelPlay {
  MixRecord* record = nullptr;
  std::uint32_t serial = 0;
  bool fresh = false;  // taken by a play with no channel: freed again when its clip ends or stops
};

// Reads and decodes one sound file, the newest decoder first; none when no decoder takes it. Runs on any thread.
std::optional<SoundClip> decode_file(const std::string& name, const std::vector<SoundDecoder>& decoders) {
  std::optional<SoundClip> clip;
  if (std::optional<std::string> bytes = read_whole_file(name)) {
    for (auto decoder = decoders.rbegin(); decoder != decoders.rend() && !clip; ++decoder) clip = (*decoder)(*bytes);
  }
  return clip;
}

using ClipJob = ResultJob<std::optional<SoundClip>>;

struct SoundServices {
  std::vector<SoundDecoder> decoders;
  std::vector<Sound> sounds;  // handle = index + 1
  std::map<std::pair<std::string, bool>, int> loaded;
  std::vector<std::string> failed;
  // Files decoded ahead, by name, each until a load takes it.
  std::map<std::string, std::shared_ptr<ClipJob>> ahead;
  std::array<ChannelPlay, ChannelTable::kSlots> plays{};
  std::unique_ptr<ChannelTable> channels;
  std::unique_ptr<AudioDevice> device;
  bool exit_action_registered = false;

  SoundServices() { reset_channels(); }
  void reset_channels();
};

// Never destroyed: the device's threads may still call in while the process ends.
SoundServices& services() {
  static SoundServices& s = *new SoundServices;
  return s;
}

MixRecord* live_record(const ChannelPlay& play) {
  return play.record && play.record->serial == play.serial ? play.record : nullptr;
}

void stop_play(int slot) {
  ChannelPlay& play = services().plays[slot];
  if (MixRecord* record = live_record(play)) record->state.store(kClipStopped, std::memory_order_release);
  play = ChannelPlay{};
}

void SoundServices::reset_channels() {
  plays.fill(ChannelPlay{});
  channels = std::make_unique<ChannelTable>([](int slot) { stop_play(slot); });
}

void release_channel(int slot) {
  services().plays[slot] = ChannelPlay{};
  services().channels->release(slot);
}

// Takes back the records the pump has finished with; a fresh channel whose clip ended is freed.
void collect_finished() {
  SoundServices& s = services();
  if (!s.device) return;
  s.device->mixer().collect_finished([&s](const MixRecord& record) {
    ChannelPlay& play = s.plays[record.channel_slot];
    if (play.record != &record || play.serial != record.serial) return;
    if (play.fresh) {
      release_channel(record.channel_slot);
    } else {
      play.record = nullptr;
    }
  });
}

std::string file_name(const String& path) {
  std::string name = to_latin1(path);
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

const Sound& sound_for_use(int sound) {
  SoundServices& s = services();
  if (sound >= 1 && static_cast<std::size_t>(sound) <= s.sounds.size()) return s.sounds[sound - 1];
  if (s.failed.empty()) runtime_error(from_latin1("Sound used that was never loaded"));
  std::string names;
  for (const std::string& name : s.failed) names += (names.empty() ? "" : ", ") + name;
  runtime_error(from_latin1("Sound file could not be loaded: " + names));
}

int begin_play(int sound, int channel, bool paused) {
  const Sound& clip = sound_for_use(sound);
  SoundServices& s = services();
  collect_finished();
  int handle = channel;
  int slot;
  if (channel == 0) {
    handle = s.channels->take();
    if (handle == 0) return 0;
    slot = handle & (ChannelTable::kSlots - 1);
    s.plays[slot] = ChannelPlay{};
    s.plays[slot].fresh = true;
  } else {
    slot = s.channels->use(channel);
    if (slot == 0) return channel;  // a channel already taken back: nothing can be heard on it
  }
  ChannelPlay& play = s.plays[slot];
  if (MixRecord* record = live_record(play)) record->state.store(kClipStopped, std::memory_order_release);
  if (!s.device) {
    // Silent driver: the clip is over as soon as it starts.
    play.record = nullptr;
    if (play.fresh) release_channel(slot);
    return handle;
  }
  play.record = s.device->mixer().start(clip.clip, clip.loop, paused, platform::current().clock_ms(), slot);
  play.serial = play.record->serial;
  return handle;
}

// The clip a channel handle is playing or holding paused, if any.
MixRecord* channel_record(int channel, int* slot_out = nullptr) {
  if (channel == 0) return nullptr;
  SoundServices& s = services();
  collect_finished();
  const int slot = s.channels->use(channel);
  if (slot_out) *slot_out = slot;
  if (slot == 0) return nullptr;
  return live_record(s.plays[slot]);
}

void stop_audio_at_exit() { stop_audio(); }

}  // namespace

void register_sound_decoder(SoundDecoder decoder) { services().decoders.push_back(decoder); }

void register_sound_decoders() {
  register_sound_decoder(&decode_ogg);
  register_sound_decoder(&decode_wav);
}

void start_audio() {
  SoundServices& s = services();
  if (s.device && s.device->on_current_platform()) return;
  stop_audio();
  s.device = std::make_unique<AudioDevice>();
  if (!s.device->open()) s.device.reset();
  if (!s.exit_action_registered) {
    s.exit_action_registered = true;
    register_exit_action(&stop_audio_at_exit);
    // Also before the platform is destroyed when a process simply returns from main.
    std::atexit(&stop_audio_at_exit);
  }
}

void stop_audio() {
  SoundServices& s = services();
  if (!s.device) return;
  s.device->close();
  s.device.reset();
  for (ChannelPlay& play : s.plays) play.record = nullptr;
}

int channels_in_use() {
  collect_finished();
  return services().channels->in_use();
}

bool audio_silent() { return !services().device; }

void reset_sound() {
  stop_audio();
  SoundServices& s = services();
  s.decoders.clear();
  s.sounds.clear();
  s.loaded.clear();
  s.failed.clear();
  s.ahead.clear();
  s.reset_channels();
}

int load_sound(const String& path, int flags) {
  SoundServices& s = services();
  const std::string name = file_name(path);
  const auto key = std::make_pair(name, flags != 0);
  if (auto found = s.loaded.find(key); found != s.loaded.end()) return found->second;

  std::optional<SoundClip> clip;
  if (auto ahead = s.ahead.extract(name)) {
    clip = ahead.mapped()->take();
  } else {
    clip = decode_file(name, s.decoders);
  }
  if (!clip) {
    if (std::find(s.failed.begin(), s.failed.end(), name) == s.failed.end()) s.failed.push_back(name);
    return 0;
  }
  s.sounds.push_back(Sound{std::make_shared<const SoundClip>(std::move(*clip)), flags != 0});
  const int handle = static_cast<int>(s.sounds.size());
  s.loaded.emplace(key, handle);
  return handle;
}

void decode_sounds_ahead(const std::vector<SoundLoad>& loads) {
  SoundServices& s = services();
  s.ahead.clear();
  std::vector<SizedJob> jobs;
  for (const SoundLoad& load : loads) {
    std::string name = file_name(load.path);
    if (s.loaded.contains({name, load.flags != 0}) || s.ahead.contains(name)) continue;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(name, error);
    // A file that cannot be looked at is left to its load, which reports it.
    if (error) continue;
    // The decoders are copied: registering a decoder must not reach a running job.
    auto job = std::make_shared<ClipJob>([name, decoders = s.decoders] { return decode_file(name, decoders); });
    s.ahead.emplace(std::move(name), job);
    jobs.emplace_back(size, std::move(job));
  }
  start_largest_first(std::move(jobs));
}

int sounds_decoding_ahead() { return static_cast<int>(services().ahead.size()); }

const SoundClip& sound_clip(int sound) { return *sound_for_use(sound).clip; }

bool sound_loops(int sound) { return sound_for_use(sound).loop; }

int new_channel() {
  SoundServices& s = services();
  collect_finished();
  const int handle = s.channels->take();
  if (handle != 0) s.plays[handle & (ChannelTable::kSlots - 1)] = ChannelPlay{};
  return handle;
}

int play_sound(int sound, int channel) { return begin_play(sound, channel, false); }

int start_sound_paused(int sound, int channel) { return begin_play(sound, channel, true); }

void stop_channel(int channel) {
  int slot = 0;
  channel_record(channel, &slot);
  if (slot == 0) return;
  const bool fresh = services().plays[slot].fresh;
  stop_play(slot);
  if (fresh) release_channel(slot);
}

void pause_channel(int channel) {
  if (MixRecord* record = channel_record(channel)) {
    const std::uint32_t state = record->state.load(std::memory_order_acquire);
    if (!(state & (kClipStopped | kClipEnded))) record->state.store(state | kClipPaused, std::memory_order_release);
  }
}

void resume_channel(int channel) {
  if (MixRecord* record = channel_record(channel)) {
    const std::uint32_t state = record->state.load(std::memory_order_acquire);
    if ((state & kClipPaused) && !(state & (kClipStopped | kClipEnded))) {
      record->state.store(state & ~kClipPaused, std::memory_order_release);
    }
  }
}

int channel_playing(int channel) {
  MixRecord* record = channel_record(channel);
  if (!record || !services().device) return 0;
  return (record->state.load(std::memory_order_acquire) & (kClipStopped | kClipEnded)) ? 0 : 1;
}

}  // namespace rt
