// Loading pictures into images: decoder choice, the mask step, handles, sharing of reloaded files, and
// decoding ahead of the loads.
#include "runtime/image.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "runtime/background_job.hpp"
#include "runtime/files.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"

namespace rt {
namespace {

// What makes two loads give the same picture: the same file, unchanged, with the same flags and mask.
struct PictureKey {
  std::string path;
  std::uintmax_t file_size;
  std::int64_t modified_ns;
  int flags;
  int mask_r, mask_g, mask_b;
  auto operator<=>(const PictureKey&) const = default;
};

struct ImageKey {
  PictureKey picture;
  bool centred;
  auto operator<=>(const ImageKey&) const = default;
};

// Reads, decodes and masks one picture; none when the file cannot be read or decoded. Runs on any thread.
std::shared_ptr<const Picture> decode_file(const PictureKey& key, const std::vector<Decoder>& decoders) {
  const std::optional<std::string> bytes = read_whole_file(key.path);
  if (!bytes) return nullptr;
  std::optional<Picture> picture;
  for (auto it = decoders.rbegin(); it != decoders.rend() && !picture; ++it) picture = (*it)(*bytes);
  if (!picture) return nullptr;
  if ((key.flags & IMAGE_MASKED) && !picture->has_alpha) {
    picture = apply_mask(*picture, key.mask_r, key.mask_g, key.mask_b);
  }
  return std::make_shared<const Picture>(std::move(*picture));
}

using PictureJob = ResultJob<std::shared_ptr<const Picture>>;

struct ImageStore {
  std::vector<Decoder> decoders;  // in order of registration
  std::vector<Image> images;      // handle n is images[n - 1]
  std::map<PictureKey, std::shared_ptr<const Picture>> pictures;
  // The game loads every picture again at each world setup; handing back the same handle keeps
  // memory flat over any number of games.
  std::map<ImageKey, int> handles;
  std::vector<std::string> failed_paths;
  // Pictures decoded ahead, each until its load takes it.
  std::map<PictureKey, std::shared_ptr<PictureJob>> ahead;
};

ImageStore& store() {
  static ImageStore s;
  return s;
}

int fail_load(const std::string& path) {
  std::vector<std::string>& failed = store().failed_paths;
  if (std::find(failed.begin(), failed.end(), path) == failed.end()) failed.push_back(path);
  return 0;
}

// What a load of the file with these flags is keyed on under the current drawing state; none when the
// path is no readable regular file. One stat call: the game looks up some sixty pictures per world.
std::optional<ImageKey> image_key(const std::string& file, int flags) {
  const DrawState& state = draw_state();
  if (flags == -1) flags = state.default_image_flags;
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const std::int64_t modified_ns = std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
  return ImageKey{{file, static_cast<std::uintmax_t>(info.st_size), modified_ns, flags, state.mask_r, state.mask_g,
                   state.mask_b},
                  state.auto_centre != 0};
}

std::shared_ptr<const Picture> load_picture(const PictureKey& key) {
  ImageStore& s = store();
  if (auto found = s.pictures.find(key); found != s.pictures.end()) return found->second;
  std::shared_ptr<const Picture> picture;
  if (auto ahead = s.ahead.extract(key)) {
    picture = ahead.mapped()->take();
  } else {
    picture = decode_file(key, s.decoders);
  }
  if (picture) s.pictures.emplace(key, picture);
  return picture;
}

std::string missing_image_message(int handle) {
  const std::vector<std::string>& failed = store().failed_paths;
  if (failed.empty()) {
    return "Image " + std::to_string(handle) + " does not exist: no image was loaded under that handle";
  }
  constexpr std::size_t kMostNamed = 20;
  std::string message = "Image " + std::to_string(handle) + " does not exist; pictures that failed to load: ";
  for (std::size_t i = 0; i < failed.size() && i < kMostNamed; ++i) {
    if (i > 0) message += ", ";
    message += failed[i];
  }
  if (failed.size() > kMostNamed) message += " and " + std::to_string(failed.size() - kMostNamed) + " more";
  return message;
}

}  // namespace

int load_image(const String& path, int flags) {
  const std::string file = to_latin1(path);
  const std::optional<ImageKey> key = image_key(file, flags);
  if (!key) return fail_load(file);
  ImageStore& s = store();
  if (auto found = s.handles.find(*key); found != s.handles.end()) return found->second;

  std::shared_ptr<const Picture> picture = load_picture(key->picture);
  if (!picture) return fail_load(file);

  Image image;
  image.picture = picture;
  image.flags = key->picture.flags;
  image.mask_r = key->picture.mask_r;
  image.mask_g = key->picture.mask_g;
  image.mask_b = key->picture.mask_b;
  if (key->centred) {
    image.handle_x = static_cast<float>(picture->width) * 0.5f;
    image.handle_y = static_cast<float>(picture->height) * 0.5f;
  }
  s.images.push_back(std::move(image));
  const int handle = static_cast<int>(s.images.size());
  s.handles.emplace(*key, handle);
  return handle;
}

void decode_pictures_ahead(const std::vector<ImageLoad>& loads) {
  ImageStore& s = store();
  s.ahead.clear();
  std::vector<SizedJob> jobs;
  for (const ImageLoad& load : loads) {
    const std::optional<ImageKey> key = image_key(to_latin1(load.path), load.flags);
    // A file that cannot be looked at is left to its load, which reports it.
    if (!key || s.pictures.contains(key->picture) || s.ahead.contains(key->picture)) continue;
    // The decoders are copied: registering a decoder must not reach a running job.
    auto job = std::make_shared<PictureJob>(
        [key = key->picture, decoders = s.decoders] { return decode_file(key, decoders); });
    s.ahead.emplace(key->picture, job);
    jobs.emplace_back(key->picture.file_size, std::move(job));
  }
  start_largest_first(std::move(jobs));
}

int pictures_decoding_ahead() { return static_cast<int>(store().ahead.size()); }

const Image& image_for_use(int handle) {
  const std::vector<Image>& images = store().images;
  if (handle <= 0 || static_cast<std::size_t>(handle) > images.size()) {
    runtime_error(from_latin1(missing_image_message(handle)));
  }
  return images[static_cast<std::size_t>(handle) - 1];
}

void register_image_decoder(Decoder decoder) {
  std::vector<Decoder>& decoders = store().decoders;
  std::erase(decoders, decoder);
  decoders.push_back(decoder);
}

void register_image_decoders() {
  register_image_decoder(decode_bmp);
  register_image_decoder(decode_jpeg);
  register_image_decoder(decode_png);
  register_image_decoder(decode_tga);
}

Picture apply_mask(const Picture& picture, int mask_r, int mask_g, int mask_b) {
  const std::uint32_t mask = static_cast<std::uint32_t>(std::clamp(mask_r, 0, 255)) << 16 |
                             static_cast<std::uint32_t>(std::clamp(mask_g, 0, 255)) << 8 |
                             static_cast<std::uint32_t>(std::clamp(mask_b, 0, 255));
  const int w = picture.width, h = picture.height;
  auto is_mask = [&](int x, int y) { return (picture.at(x, y) & 0x00FFFFFFu) == mask; };

  Picture out;
  out.width = w;
  out.height = h;
  out.has_alpha = true;
  out.argb.resize(picture.argb.size());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint32_t& dst = out.argb[static_cast<std::size_t>(y) * w + x];
      if (!is_mask(x, y)) {
        dst = picture.at(x, y) | 0xFF000000u;
        continue;
      }
      // A transparent pixel takes its neighbours' colour so that filtered or blended edges do not
      // show a dark fringe.
      std::uint32_t r = 0, g = 0, b = 0, n = 0;
      for (int ny = std::max(0, y - 1); ny <= std::min(h - 1, y + 1); ++ny) {
        for (int nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1); ++nx) {
          if (is_mask(nx, ny)) continue;
          const std::uint32_t c = picture.at(nx, ny);
          r += c >> 16 & 0xFF;
          g += c >> 8 & 0xFF;
          b += c & 0xFF;
          ++n;
        }
      }
      dst = n == 0 ? 0u : (r / n) << 16 | (g / n) << 8 | (b / n);
    }
  }
  assign_picture_id(out);
  return out;
}

void reset_images() {
  ImageStore& s = store();
  s.images.clear();
  s.pictures.clear();
  s.handles.clear();
  s.failed_paths.clear();
  s.ahead.clear();
}

}  // namespace rt
