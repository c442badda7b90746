// Reading "scores.txt": blocks of fifteen score and name lines, read until the file is used up.
#include "game/score_file.hpp"

#include <cstdint>
#include <optional>

#include "runtime/files.hpp"
#include "runtime/program.hpp"
#include "runtime/text.hpp"

namespace game {
namespace {

// The file's lines in order. Empty lines read ahead are only counted, so however many there are, they
// cost nothing and each still reaches the block it belongs to.
class TableLines {
 public:
  explicit TableLines(int stream) : stream_(stream) {}

  bool at_end() const { return empty_ahead_ == 0 && !line_ahead_ && rt::at_end_of_stream(stream_) != 0; }

  // After a full block, an editor's stray line ends must not start a block of empty rows that would
  // wipe the table. True when nothing but empty lines remains.
  bool only_line_ends_remain() {
    while (!line_ahead_ && rt::at_end_of_stream(stream_) == 0) {
      rt::String line = rt::read_line(stream_);
      if (line.empty()) {
        ++empty_ahead_;
      } else {
        line_ahead_ = std::move(line);
      }
    }
    return !line_ahead_;
  }

  rt::String next() {
    if (empty_ahead_ > 0) {
      --empty_ahead_;
      return {};
    }
    if (line_ahead_) {
      rt::String line = std::move(*line_ahead_);
      line_ahead_.reset();
      return line;
    }
    return rt::read_line(stream_);
  }

 private:
  int stream_;
  std::int64_t empty_ahead_ = 0;
  std::optional<rt::String> line_ahead_;
};

[[noreturn]] void unreadable() { rt::runtime_error(rt::from_latin1("L\xE4skiks meni! :^(")); }

}  // namespace

void read_score_file(GameState& s) {
  const int f = rt::open_read_file(u"scores.txt");
  if (f == 0) unreadable();
  TableLines lines(f);
  bool first_block = true;
  while (!lines.at_end()) {
    if (!first_block && lines.only_line_ends_remain()) break;
    first_block = false;
    for (int r = 0; r < kTableRows; ++r) {
      s.hs_score[r] = rt::string_to_int(lines.next());
      s.hs_name[r] = lines.next();
    }
  }
  // A file that opened but could not be read is as inaccessible as a missing one.
  const bool failed = rt::stream_failed(f) != 0;
  rt::close_stream(f);
  if (failed) unreadable();
}

}  // namespace game
