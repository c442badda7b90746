// Saving the score table to "scores.txt" so that a failed save never damages the table already on disk.
#pragma once
#include <string>

#include "runtime/text.hpp"

namespace game {

inline constexpr const char* kScoreFile = "scores.txt";

// The file's bytes: for each of the 15 rows its score in decimal and its name one byte per character,
// every line ended by CR LF.
std::string score_file_bytes(const int* scores, const rt::String* names);

// Saves the 15 rows to `path`, or through a symbolic link to the file it names. The table goes to a
// temporary file of its own beside that file, synced and renamed over it with the old owner, group and
// mode; where the folder takes no new file (or the file has other names) it is written in place instead.
// False when the player may not write the file or any step fails; after a failed rename-save the file
// still holds what it held before.
bool save_score_table(const std::string& path, const int* scores, const rt::String* names);

}  // namespace game
