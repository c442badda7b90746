// Test harness for the end-of-game screens: a scripted screen, a scratch folder and tiny asset files.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/image.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"
#include "runtime_setup.hpp"
#include "scratch_folder.hpp"
#include "sound_test_files.hpp"

namespace end_of_game_test {

namespace fs = std::filesystem;

// A fresh folder that becomes the current directory for the test and is removed afterwards.
class ScratchFolder : public scratch::Folder {
 public:
  ScratchFolder() : Folder("sky_end") {}
};

using scratch::read_bytes;
using scratch::write_bytes;

// A 24-bit BMP of one colour, w x h pixels.
inline void write_bmp(const fs::path& path, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const int row = (w * 3 + 3) & ~3;
  using sound_test::le16;
  using sound_test::le32;
  std::string out = "BM" + le32(54 + row * h) + le32(0) + le32(54) + le32(40) + le32(w) + le32(h) + le16(1) +
                    le16(24) + le32(0) + le32(row * h) + le32(0) + le32(0) + le32(0) + le32(0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      out.push_back(static_cast<char>(b));
      out.push_back(static_cast<char>(g));
      out.push_back(static_cast<char>(r));
    }
    out.append(static_cast<std::size_t>(row - w * 3), '\0');
  }
  write_bytes(path, out);
}

// The scripted platform installed, fatal ends thrown as ProgramExit, and the software screen open.
class ScriptedScreen {
 public:
  ScriptedScreen() {
    platform_ = &runtime_setup::install_platform();
    runtime_setup::throw_program_exits();
    rt::select_graphics_driver(rt::d3d7_renderer_2d(), 2);
    rt::open_screen(1024, 768, 32, 60, 0);
    rt::set_auto_centre_handle(1);
    base_frames_ = platform_->frames_presented();  // opening the screen may present frames of its own
    static const bool decoders_registered = (rt::register_image_decoders(), true);
    (void)decoders_registered;
  }

  // A small picture of one colour, loaded as the game loads its screens.
  int load_plain_picture(const char* file, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    write_bmp(file, w, h, r, g, b);
    return rt::load_image(rt::from_latin1(file), 8);
  }
  rt::platform::ScriptedPlatform& platform() { return *platform_; }
  // Frames presented since the screen opened.
  int frames() const { return platform_->frames_presented() - base_frames_; }

  // A key pressed and released before the next key query.
  void tap_now(int key) {
    platform_->push_event({rt::platform::EventType::KeyDown, key});
    platform_->push_event({rt::platform::EventType::KeyUp, key});
  }
  // A key pressed and released once `frame` frames have been presented since the screen opened.
  void tap_after(int frame, int key) {
    platform_->key_down_at_frame(base_frames_ + frame, key);
    platform_->key_up_at_frame(base_frames_ + frame, key);
  }

  std::uint32_t presented_pixel(int x, int y) const {
    return platform_->last_frame()[static_cast<std::size_t>(y) * platform_->frame_width() + x] & 0xFFFFFFu;
  }
  // The back buffer as drawn so far (not yet presented).
  std::uint32_t drawn_pixel(int x, int y) {
    rt::renderer_for_drawing().read_back(back_);
    return back_[static_cast<std::size_t>(y) * 1024 + x] & 0xFFFFFFu;
  }

 private:
  rt::platform::ScriptedPlatform* platform_;
  int base_frames_ = 0;
  std::vector<std::uint32_t> back_;
};

}  // namespace end_of_game_test
