// A temporary folder that is the current directory while a test runs in it, and whole-file reads and writes.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

namespace scratch {

namespace fs = std::filesystem;

// Made fresh under the system's temporary folder; the previous directory comes back and the folder
// goes away when it does.
class Folder {
 public:
  // `prefix` names the folder, so a left-over one shows which test made it.
  explicit Folder(const std::string& prefix) : previous_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder under " + pattern);
    path_ = pattern;
    fs::current_path(path_);
  }
  ~Folder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path previous_;
  fs::path path_;
};

inline std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_bytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

}  // namespace scratch
