// Mixing: linear-interpolation resampling of each clip to 44100 Hz, summed and clipped to 16 bits.
#include "runtime/mixer.hpp"

#include <algorithm>

namespace rt {
namespace {

template <int Bits>
std::int32_t sample_at(const std::uint8_t* samples, std::size_t index) {
  if constexpr (Bits == 8) {
    return (static_cast<std::int32_t>(samples[index]) - 128) << 8;
  } else {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(samples[2 * index] | samples[2 * index + 1] << 8));
  }
}

// Adds the clip into sum[offset..frames); returns true when a one-shot clip has played its last frame.
template <int Channels, int Bits>
bool mix_clip(MixRecord& record, bool loop, std::int32_t* sum, int offset, int frames) {
  const SoundClip& clip = *record.clip;
  const std::uint8_t* samples = clip.samples.data();
  const std::uint64_t last = static_cast<std::uint64_t>(clip.frames - 1);
  const std::uint64_t end = static_cast<std::uint64_t>(clip.frames) << 32;
  const std::uint64_t step = (static_cast<std::uint64_t>(clip.rate) << 32) / kOutputRate;
  std::uint64_t position = record.position;
  for (int i = offset; i < frames; ++i) {
    const std::uint64_t index = position >> 32;
    // A looping clip interpolates towards its first frame; a one-shot holds its last.
    const std::uint64_t next = index < last ? index + 1 : (loop ? 0 : index);
    const auto fraction = static_cast<std::int32_t>((position >> 17) & 0x7fff);
    if constexpr (Channels == 1) {
      const std::int32_t a = sample_at<Bits>(samples, index);
      const std::int32_t b = sample_at<Bits>(samples, next);
      const std::int32_t v = a + (((b - a) * fraction) >> 15);
      sum[2 * i] += v;
      sum[2 * i + 1] += v;
    } else {
      const std::int32_t al = sample_at<Bits>(samples, 2 * index);
      const std::int32_t bl = sample_at<Bits>(samples, 2 * next);
      const std::int32_t ar = sample_at<Bits>(samples, 2 * index + 1);
      const std::int32_t br = sample_at<Bits>(samples, 2 * next + 1);
      sum[2 * i] += al + (((bl - al) * fraction) >> 15);
      sum[2 * i + 1] += ar + (((br - ar) * fraction) >> 15);
    }
    position += step;
    if (position >= end) {
      if (!loop) {
        record.position = position;
        return true;
      }
      position %= end;
    }
  }
  record.position = position;
  return false;
}

bool mix_any(MixRecord& record, bool loop, std::int32_t* sum, int offset, int frames) {
  const SoundClip& clip = *record.clip;
  if (clip.frames <= 0) return true;
  if (clip.channels == 1) {
    return clip.bits == 8 ? mix_clip<1, 8>(record, loop, sum, offset, frames)
                          : mix_clip<1, 16>(record, loop, sum, offset, frames);
  }
  return clip.bits == 8 ? mix_clip<2, 8>(record, loop, sum, offset, frames)
                        : mix_clip<2, 16>(record, loop, sum, offset, frames);
}

}  // namespace

Mixer::Mixer() {
  active_.reserve(kRingEntries);
  unreturned_.reserve(kRingEntries);
}

MixRecord* Mixer::start(std::shared_ptr<const SoundClip> clip, bool loop, bool paused, std::uint32_t now_ms,
                        int channel_slot) {
  MixRecord* record;
  if (spare_.empty()) {
    record = &records_.emplace_back();
  } else {
    record = spare_.back();
    spare_.pop_back();
  }
  record->clip = clip.get();
  record->keep_alive = std::move(clip);
  record->start_ms = now_ms;
  record->channel_slot = channel_slot;
  record->state.store((loop ? kClipLoop : kClipOnce) | (paused ? kClipPaused : 0), std::memory_order_release);
  waiting_.push_back(record);
  flush_waiting();
  return record;
}

void Mixer::flush_waiting() {
  while (!waiting_.empty() && started_.push(waiting_.front())) waiting_.pop_front();
}

void Mixer::take_up_started(std::uint32_t now_ms) {
  while (MixRecord* record = started_.pop()) {
    const auto delay_ms = static_cast<std::int32_t>(record->start_ms + kStartDelayMs - now_ms);
    record->position = 0;
    record->delay_frames = delay_ms > 0 ? static_cast<std::int64_t>(delay_ms) * kOutputRate / 1000 : 0;
    active_.push_back(record);
  }
}

void Mixer::finish(std::size_t index) {
  unreturned_.push_back(active_[index]);
  active_[index] = active_.back();
  active_.pop_back();
}

void Mixer::mix(std::int16_t* out, int frames) {
  sum_.assign(static_cast<std::size_t>(frames) * 2, 0);
  for (std::size_t i = 0; i < active_.size();) {
    MixRecord& record = *active_[i];
    const std::uint32_t state = record.state.load(std::memory_order_acquire);
    if (state & (kClipStopped | kClipEnded)) {
      finish(i);
      continue;
    }
    if (state & kClipPaused) {
      ++i;
      continue;
    }
    if (record.delay_frames >= frames) {
      record.delay_frames -= frames;
      ++i;
      continue;
    }
    const int offset = static_cast<int>(record.delay_frames);
    record.delay_frames = 0;
    if (mix_any(record, (state & kClipLoop) != 0, sum_.data(), offset, frames)) {
      record.state.store(kClipEnded, std::memory_order_release);
      finish(i);
      continue;
    }
    ++i;
  }
  for (std::size_t i = 0; i < sum_.size(); ++i) {
    out[i] = static_cast<std::int16_t>(std::clamp(sum_[i], -32768, 32767));
  }
  std::size_t returned = 0;
  while (returned < unreturned_.size() && finished_.push(unreturned_[returned])) ++returned;
  unreturned_.erase(unreturned_.begin(), unreturned_.begin() + static_cast<std::ptrdiff_t>(returned));
}

}  // namespace rt
