// The file readers the fuzzers drive, each fed raw bytes and checked for a self-consistent result.
#pragma once
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "game/score_file.hpp"
#include "game/state.hpp"
#include "runtime/image.hpp"
#include "runtime/sound.hpp"

namespace fuzz {

// A reader returns false when it accepts the bytes yet hands back something the rest of the
// program could not use safely; crashes and sanitizer reports fail on their own.
using Reader = bool (*)(const std::string& bytes);

inline bool picture_is_sound(const rt::Picture& p) {
  if (p.width < 1 || p.height < 1 || p.width > rt::kMaxPictureSide || p.height > rt::kMaxPictureSide) return false;
  if (p.argb.size() != static_cast<std::size_t>(p.width) * p.height || p.id == 0) return false;
  if (!p.has_alpha) {
    for (std::uint32_t pixel : p.argb) {
      if (pixel >> 24 != 0xFFu) return false;
    }
  }
  return true;
}

// Every loaded picture may go through the mask step, so it runs on whatever a decoder accepts.
template <rt::Decoder decode>
bool read_picture(const std::string& bytes) {
  const std::optional<rt::Picture> picture = decode(bytes);
  if (!picture) return true;
  if (!picture_is_sound(*picture)) return false;
  const rt::Picture masked = rt::apply_mask(*picture, 0, 0, 0);
  return masked.width == picture->width && masked.height == picture->height &&
         masked.argb.size() == picture->argb.size();
}

template <rt::SoundDecoder decode>
bool read_sound(const std::string& bytes) {
  const std::optional<rt::SoundClip> clip = decode(bytes);
  if (!clip) return true;
  if ((clip->channels != 1 && clip->channels != 2) || (clip->bits != 8 && clip->bits != 16)) return false;
  if (clip->rate <= 0 || clip->rate > rt::kMaxSoundRate || clip->frames < 0) return false;
  return clip->samples.size() == static_cast<std::size_t>(clip->frames) * clip->channels * (clip->bits / 8);
}

// The score reader only reads "scores.txt" in the current folder, so the bytes are written there
// in a private folder, and the caller's folder is restored afterwards.
class ScoreFolder {
 public:
  ScoreFolder() {
    char pattern[] = "/tmp/sky_scores_XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScoreFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScoreFolder(const ScoreFolder&) = delete;
  ScoreFolder& operator=(const ScoreFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline bool read_scores(const std::string& bytes) {
  static const ScoreFolder folder;
  {
    std::FILE* file = std::fopen((folder.path() / "scores.txt").c_str(), "wb");
    if (file == nullptr) std::abort();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) std::abort();
  }
  const std::filesystem::path caller = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  game::GameState state;
  game::read_score_file(state);
  std::filesystem::current_path(caller);
  // Names are whole lines: no line end may survive into one.
  for (const rt::String& name : state.hs_name) {
    if (name.find_first_of(u"\r\n") != rt::String::npos) return false;
  }
  return true;
}

struct Target {
  std::string_view name;
  Reader read;
};

inline constexpr Target kTargets[] = {
    {"scores", read_scores},
    {"png", read_picture<rt::decode_png>},
    {"jpeg", read_picture<rt::decode_jpeg>},
    {"bmp", read_picture<rt::decode_bmp>},
    {"tga", read_picture<rt::decode_tga>},
    {"wav", read_sound<rt::decode_wav>},
    {"ogg", read_sound<rt::decode_ogg>},
};

inline Reader reader_named(std::string_view name) {
  for (const Target& target : kTargets) {
    if (target.name == name) return target.read;
  }
  return nullptr;
}

}  // namespace fuzz
