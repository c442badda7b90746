// Reading "scores.txt": blocks of fifteen score and name lines, read until the file is used up.
#include "game/score_file.hpp"

#include <deque>

#include "runtime/files.hpp"
#include "runtime/program.hpp"
#include "runtime/text.hpp"

namespace game {
namespace {

// Lines of a block: the ones already read ahead, then the stream's own.
class BlockLines {
 public:
  BlockLines(int stream, std::deque<rt::String> read_ahead) : stream_(stream), ahead_(std::move(read_ahead)) {}
  rt::String next() {
    if (ahead_.empty()) return rt::read_line(stream_);
    rt::String line = std::move(ahead_.front());
    ahead_.pop_front();
    return line;
  }

 private:
  int stream_;
  std::deque<rt::String> ahead_;
};

// After a full block, an editor's stray line ends must not start a block of empty rows that would
// wipe the table. Reads ahead over empty lines; true when nothing else follows them.
bool only_line_ends_remain(int stream, std::deque<rt::String>& read_ahead) {
  while (rt::at_end_of_stream(stream) == 0) {
    read_ahead.push_back(rt::read_line(stream));
    if (!read_ahead.back().empty()) return false;
  }
  return true;
}

}  // namespace

void read_score_file(GameState& s) {
  const int f = rt::open_read_file(u"scores.txt");
  if (f == 0) rt::runtime_error(rt::from_latin1("L\xE4skiks meni! :^("));
  bool first_block = true;
  while (rt::at_end_of_stream(f) == 0) {
    std::deque<rt::String> read_ahead;
    if (!first_block && only_line_ends_remain(f, read_ahead)) break;
    first_block = false;
    BlockLines lines(f, std::move(read_ahead));
    for (int r = 0; r < kTableRows; ++r) {
      s.hs_score[r] = rt::string_to_int(lines.next());
      s.hs_name[r] = lines.next();
    }
  }
  rt::close_stream(f);
}

}  // namespace game
