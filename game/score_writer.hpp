// Saving the score table to "scores.txt" so that a failed save never damages the table already on disk.
#pragma once
#include <string>

#include "runtime/text.hpp"

namespace game {

inline constexpr const char* kScoreFile = "scores.txt";

// The file's bytes: for each of the 15 rows its score in decimal and its name one byte per character,
// every line ended by CR LF.
std::string score_file_bytes(const int* scores, const rt::String* names);

// Writes the 15 rows to a temporary file beside `path`, syncs it and renames it over `path`.
// False when any step fails; `path` then still holds what it held before.
bool save_score_table(const std::string& path, const int* scores, const rt::String* names);

}  // namespace game
