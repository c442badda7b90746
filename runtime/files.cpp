// Files: byte streams by handle, Latin-1 lines in and CR LF lines out.
#include "runtime/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace rt {
namespace {
struct Stream {
  std::FILE* file = nullptr;
  long position = 0;
  long size = 0;
  bool failed = false;
};

std::vector<Stream>& streams() {
  static std::vector<Stream> all;
  return all;
}

Stream* stream_for(int handle) {
  if (handle < 1 || handle > static_cast<int>(streams().size())) return nullptr;
  Stream& stream = streams()[static_cast<std::size_t>(handle - 1)];
  return stream.file != nullptr ? &stream : nullptr;
}

std::string native_name(const String& path) {
  String native = path;
  for (char16_t& c : native) {
    if (c == u'\\') c = u'/';
  }
  return to_latin1(native);
}

// A folder opens for reading yet never reaches its end, a device may never end, and opening a named
// pipe waits for a writer that may never come: only a regular file is opened, without waiting.
std::FILE* open_regular_file(const std::string& name, long& size) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  std::FILE* file = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? ::fdopen(fd, "rb") : nullptr;
  if (file == nullptr) {
    ::close(fd);
    return nullptr;
  }
  size = static_cast<long>(st.st_size);
  return file;
}

int add_stream(std::FILE* file, long size) {
  Stream stream;
  stream.file = file;
  stream.size = size;
  streams().push_back(stream);
  return static_cast<int>(streams().size());
}
}  // namespace

int open_read_file(const String& path) {
  long size = 0;
  std::FILE* file = open_regular_file(native_name(path), size);
  return file == nullptr ? 0 : add_stream(file, size);
}

int open_write_file(const String& path) {
  std::FILE* file = std::fopen(native_name(path).c_str(), "wb");
  return file == nullptr ? 0 : add_stream(file, 0);
}

String read_line(int handle) {
  String line;
  Stream* stream = stream_for(handle);
  if (stream == nullptr) return line;
  for (;;) {
    const int c = std::getc(stream->file);
    if (c == EOF) {
      // The bytes ran out (the file shrank, or a read failed): the stream ends here, so that a
      // reader waiting for its end gets it.
      stream->failed = stream->failed || std::ferror(stream->file) != 0;
      stream->size = stream->position;
      break;
    }
    ++stream->position;
    if (c == '\n' || c == '\0') break;
    if (c != '\r') line.push_back(static_cast<char16_t>(c));
  }
  return line;
}

int write_line(int handle, const String& s) {
  Stream* stream = stream_for(handle);
  if (stream == nullptr) return 0;
  const std::string bytes = to_latin1(s) + "\r\n";
  const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), stream->file);
  stream->position += static_cast<long>(written);
  if (stream->position > stream->size) stream->size = stream->position;
  if (written == bytes.size()) return 1;
  stream->failed = true;
  return 0;
}

int at_end_of_stream(int handle) {
  Stream* stream = stream_for(handle);
  return stream == nullptr || stream->position == stream->size ? 1 : 0;
}

int stream_failed(int handle) {
  const Stream* stream = stream_for(handle);
  return stream != nullptr && stream->failed ? 1 : 0;
}

void close_stream(int handle) {
  Stream* stream = stream_for(handle);
  if (stream == nullptr) return;
  std::fflush(stream->file);
  std::fclose(stream->file);
  *stream = Stream{};
}

std::optional<std::string> read_whole_file(const std::string& name) {
  long size = 0;
  std::FILE* file = open_regular_file(name, size);
  if (!file) return std::nullopt;
  std::string bytes;
  // Room for the whole file first, so the buffer is not copied as it grows.
  bytes.reserve(static_cast<std::size_t>(size));
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

}  // namespace rt
