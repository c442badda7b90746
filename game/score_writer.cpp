// Saving the score table to "scores.txt" so that a failed save never damages the table already on disk.
#include "game/score_writer.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace game {
namespace {

constexpr int kRows = 15;
constexpr int kMaxLinks = 40;

bool write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a name stands for: symbolic links are followed to the file they name, which may not exist
// yet, so that saving through a link keeps the link and fills the file behind it.
std::string link_target(const std::string& path) {
  std::string target = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string named(static_cast<std::size_t>(st.st_size) + 1, '\0');
    const ssize_t n = ::readlink(target.c_str(), named.data(), named.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= named.size()) break;
    named.resize(static_cast<std::size_t>(n));
    target = named[0] == '/' ? named : folder_of(target) + "/" + named;
  }
  return target;
}

// A file made where none was gets the permissions an ordinary create would give it.
mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Makes the rename itself durable. The new table is already in place by then, so a folder that
// cannot be synced is no reason to give up on it.
void sync_folder(const std::string& path) {
  const int fd = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

enum class Replaced { done, failed, impossible };

// Writes the table to a temporary file of its own beside `target` and renames it over `target`, so the
// file always holds a whole table. The temporary file takes the owner, group and mode of `old` (the file
// replaced, or null when there is none). `impossible` when the folder takes no new file, the owner
// cannot be kept or the file cannot be renamed over (a file mounted on its own, as in a container);
// nothing has changed then.
Replaced replace_whole(const std::string& target, const std::string& bytes, const struct stat* old) {
  std::string temp = target + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno == EACCES || errno == EPERM ? Replaced::impossible : Replaced::failed;
  const bool kept = old != nullptr ? ::fchown(fd, old->st_uid, old->st_gid) == 0 && ::fchmod(fd, old->st_mode & 07777) == 0
                                   : ::fchmod(fd, new_file_mode()) == 0;
  if (!kept) {
    ::close(fd);
    ::unlink(temp.c_str());
    return Replaced::impossible;
  }
  bool ok = write_all(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
    const bool unmovable = ok && (errno == EBUSY || errno == EXDEV);
    ::unlink(temp.c_str());
    return unmovable ? Replaced::impossible : Replaced::failed;
  }
  sync_folder(target);
  return Replaced::done;
}

// The table written over the old one and the file cut to its length, every step checked. The room a
// longer table needs is taken before any old byte is written over, so that a full disk fails the save
// with the old table whole; the lock keeps two programs saving at once from mixing their tables.
bool write_in_place(int fd, const std::string& bytes) {
  const auto size = static_cast<off_t>(bytes.size());
  struct stat now {};
  return ::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &now) == 0 &&
         (size <= now.st_size || ::posix_fallocate(fd, now.st_size, size - now.st_size) == 0) &&
         write_all(fd, bytes) && ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0;
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
  const std::string target = link_target(path);
  const std::string bytes = score_file_bytes(scores, names);
  // Opening the old file for writing, without emptying it, asks the system whether the player may write
  // it at all; a file the player may not write is never replaced behind the player's back.
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT && replace_whole(target, bytes, nullptr) == Replaced::done;
  struct stat old {};
  if (::fstat(fd, &old) != 0 || !S_ISREG(old.st_mode)) {
    ::close(fd);
    return false;
  }
  // A file with other names (hard links) would lose them to a rename: it is written in place, as it is
  // where the folder takes no new file.
  const Replaced replaced = old.st_nlink == 1 ? replace_whole(target, bytes, &old) : Replaced::impossible;
  const bool ok = replaced == Replaced::impossible ? write_in_place(fd, bytes) : replaced == Replaced::done;
  return ::close(fd) == 0 && ok;
}

}  // namespace game
