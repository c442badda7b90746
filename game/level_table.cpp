// Copying the level table and the current world's column of the world table into the game state.
#include "game/level_table.hpp"

#include "game/tables.hpp"
#include "runtime/image.hpp"
#include "runtime/sound.hpp"
#include "runtime/text.hpp"

namespace game {

void fill_level_table(GameState& s) {
  for (int r = 0; r < tables::kLevels; ++r) {
    const tables::LevelRow& row = tables::kLevelTable[r];
    s.level_dialogue[r] = rt::from_latin1(row.dialogue);
    s.level_from[r] = row.from;
    s.level_to[r] = row.to;
    s.level_quota[r] = s.deliveries_per_level;
    s.level_rain[r] = row.rain;
    s.level_fog[r] = row.fog;
    if (row.writes_overlay_alpha) s.level_overlay_alpha[r] = row.overlay_alpha;
    s.level_snow[r] = row.snow;
    s.level_sandstorm[r] = row.sandstorm;
    s.level_wind[r] = row.wind;
    s.level_flyer_y[r] = row.flyer_y;
    s.level_back_r[r] = row.back.r;
    s.level_back_g[r] = row.back.g;
    s.level_back_b[r] = row.back.b;
    s.level_game_r[r] = row.game.r;
    s.level_game_g[r] = row.game.g;
    s.level_game_b[r] = row.game.b;
  }
}

namespace {

int layer_tile_flags(const GameState& s, const tables::WorldRow& w) {
  return w.city_layer_flags ? s.city_layer_flags : tables::kMaskFlag;
}

}  // namespace

void apply_world_block(GameState& s) {
  const tables::WorldRow& w = tables::kWorldTable[s.world - 1];
  // Paused until the level start resumes it; the previous music channel is simply dropped.
  s.music_channel = rt::start_sound_paused(s.world_song[w.song], 0);
  // The pictures in the order world_block_pictures gives them, which the decoding ahead follows too.
  const std::vector<rt::ImageLoad> loads = world_block_pictures(s);
  auto next = loads.begin();
  const auto load = [&next] {
    const rt::ImageLoad& picture = *next++;
    return rt::load_image(picture.path, picture.flags);
  };
  for (int i = 0; i < 4; ++i) s.speaker_img[i] = load();
  for (int i = 0; i < kTiles; ++i) s.game_layer_img[i] = load();
  for (int i = 0; i < kTiles; ++i) s.back_layer_img[i] = load();
  for (int i = 0; i < kTiles; ++i) s.front_layer_img[i] = load();
  s.wrench_x = w.repair.x;
  s.wrench_y = w.repair.y;
  for (int i = 0; i < kStations; ++i) {
    s.station_x[i] = w.stations[i].x;
    s.station_y[i] = w.stations[i].y;
  }
  s.wrench_half_w = w.repair_half_w;
}

std::vector<rt::ImageLoad> world_block_pictures(const GameState& s) {
  const tables::WorldRow& w = tables::kWorldTable[s.world - 1];
  std::vector<rt::ImageLoad> loads;
  for (const char* speaker : w.speakers) loads.push_back({rt::from_latin1(speaker), tables::kMaskFlag});
  for (const char* tile : w.game_tiles) loads.push_back({rt::from_latin1(tile), layer_tile_flags(s, w)});
  for (const char* tile : w.back_tiles) loads.push_back({rt::from_latin1(tile), tables::kBackTileFlags});
  for (const char* tile : w.front_tiles) loads.push_back({rt::from_latin1(tile), layer_tile_flags(s, w)});
  return loads;
}

}  // namespace game
