// Files: byte streams by handle, Latin-1 lines in and CR LF lines out.
#include "runtime/files.hpp"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

namespace rt {
namespace {
struct Stream {
  std::FILE* file = nullptr;
  long position = 0;
  long size = 0;
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

int open_file(const String& path, const char* mode) {
  String native = path;
  for (char16_t& c : native) {
    if (c == u'\\') c = u'/';
  }
  std::FILE* file = std::fopen(to_latin1(native).c_str(), mode);
  if (file == nullptr) return 0;
  Stream stream;
  stream.file = file;
  if (std::fseek(file, 0, SEEK_END) == 0) stream.size = std::ftell(file);
  if (stream.size < 0) stream.size = 0;
  std::fseek(file, 0, SEEK_SET);
  streams().push_back(stream);
  return static_cast<int>(streams().size());
}
}  // namespace

int open_read_file(const String& path) { return open_file(path, "rb"); }

int open_write_file(const String& path) { return open_file(path, "wb"); }

String read_line(int handle) {
  String line;
  Stream* stream = stream_for(handle);
  if (stream == nullptr) return line;
  for (int c = std::getc(stream->file); c != EOF; c = std::getc(stream->file)) {
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
  return written == bytes.size() ? 1 : 0;
}

int at_end_of_stream(int handle) {
  Stream* stream = stream_for(handle);
  return stream == nullptr || stream->position == stream->size ? 1 : 0;
}

void close_stream(int handle) {
  Stream* stream = stream_for(handle);
  if (stream == nullptr) return;
  std::fflush(stream->file);
  std::fclose(stream->file);
  *stream = Stream{};
}

std::optional<std::string> read_whole_file(const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  // Room for the whole file first, so the buffer is not copied as it grows.
  struct stat info {};
  if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

}  // namespace rt
