// Saving the score table to "scores.txt" so that a failed save never damages the table already on disk.
#include "game/score_writer.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace game {
namespace {

constexpr int kRows = 15;

bool write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The new file is created with the permissions of the one it replaces (less the umask).
mode_t file_mode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  return 0644;
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable. The new table is already in place by then, so a folder that
// cannot be synced is no reason to give up on it.
void sync_folder(const std::string& path) {
  const int fd = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string score_file_bytes(const int* scores, const rt::String* names) {
  std::string bytes;
  for (int r = 0; r < kRows; ++r) {
    bytes += rt::to_latin1(rt::string_from_int(scores[r]));
    bytes += "\r\n";
    bytes += rt::to_latin1(names[r]);
    bytes += "\r\n";
  }
  return bytes;
}

bool save_score_table(const std::string& path, const int* scores, const rt::String* names) {
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, file_mode(path));
  if (fd < 0) return false;
  bool ok = write_all(fd, score_file_bytes(scores, names));
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  sync_folder(path);
  return true;
}

}  // namespace game
