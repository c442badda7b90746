// Program start-up and the outer loop: one pass per game, from opening the display to the next title.
#include "game/app.hpp"

#include "game/game_loop.hpp"
#include "game/score_file.hpp"
#include "game/state.hpp"
#include "game/title.hpp"
#include "runtime/runtime.hpp"

namespace game {
namespace {

RendererChoice g_renderer = RendererChoice::Direct3D7;

// The services the game uses, in the order the game has always started them. The newest decoder is
// tried first, so pictures are tried as TGA, PNG, JPEG, BMP and sounds as WAV, then OGG.
void start_runtime_services() {
  rt::start_system_services();
  rt::register_image_decoder(rt::decode_bmp);
  rt::start_audio();
  rt::register_image_decoder(rt::decode_jpeg);
  rt::register_sound_decoder(rt::decode_ogg);
  rt::register_image_decoder(rt::decode_png);
  rt::register_image_decoder(rt::decode_tga);
  rt::register_sound_decoder(rt::decode_wav);
}

rt::Renderer* chosen_renderer() {
  return g_renderer == RendererChoice::Direct3D7 ? rt::d3d7_renderer_2d() : rt::gl_renderer_2d();
}

// The back-buffer flag, made the default flag of every screen opened.
constexpr int kBackBufferFlag = 2;

void outer_pass(GameState& s) {
  rt::select_graphics_driver(chosen_renderer(), kBackBufferFlag);
  s.score = 0;
  rt::open_screen(1024, 768, 32, 60, 0);
  rt::set_auto_centre_handle(1);
  rt::hide_pointer();
  s.img_startup = rt::load_image(u"gfx/misc/startup.png", 8);
  s.snd_title_song = rt::load_sound(u"sound/song1.ogg", 1);
  s.music_channel = rt::new_channel();
  read_score_file(s);
  rt::play_sound(s.snd_title_song, s.music_channel);
  run_title(s);
  rt::stop_channel(s.music_channel);
  hand_over_to_game(s);
  run_one_game(s);
  finish_game(s);
}

}  // namespace

void hand_over_to_game(GameState& s) {
  s.deliveries_per_level = 5;
  s.world = 1;
  s.level_index = 0;
  s.scroll_dx = 0.0f;
  s.camera_y = 0.0f;
  // A game abandoned inside a level must not shorten the first level of the next one.
  s.deliveries_done = 0;
}

int run_game() {
  static bool started = false;
  if (started) return 0;
  started = true;
  GameState& s = state();
  set_program_start_values(s);
  start_runtime_services();
  for (;;) outer_pass(s);
}

int run_app(RendererChoice renderer) {
  static bool ran = false;
  if (ran) return 0;
  ran = true;
  g_renderer = renderer;
  run_game();
  rt::exit_program();
}

}  // namespace game
