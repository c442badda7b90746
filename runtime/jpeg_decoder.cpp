// JPEG pictures decoded from memory through libjpeg, with our own source and error handling.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

#include "runtime/image.hpp"

namespace rt {
namespace {

// libjpeg's default error handler calls exit(); ours jumps back to the decoder instead.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void fail(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (stray bytes between segments, say) are only counted, as libjpeg's own handler does, so a
// picture libjpeg can decode loads; nothing is printed.
void silent_output(j_common_ptr) {}

void source_init(j_decompress_ptr) {}

// The whole file is handed over at once; being asked for more means the file ended too soon.
boolean source_fill(j_decompress_ptr cinfo) { fail(reinterpret_cast<j_common_ptr>(cinfo)); }

void source_skip(j_decompress_ptr cinfo, long count) {
  jpeg_source_mgr* src = cinfo->src;
  if (count <= 0) return;
  if (static_cast<unsigned long>(count) > src->bytes_in_buffer) fail(reinterpret_cast<j_common_ptr>(cinfo));
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void source_term(j_decompress_ptr) {}

// Libjpeg's own buffers are capped too: a progressive file keeps the whole picture's coefficients.
constexpr long kLibjpegMemoryLimit = 512L * 1024 * 1024;

struct JpegJob {
  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  jpeg_source_mgr source{};
  Picture picture;
  std::vector<JSAMPLE> row;
};

bool run(JpegJob& job, const std::string& bytes) {
  jpeg_decompress_struct& cinfo = job.cinfo;
  if (setjmp(job.errors.jump)) return false;
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > kMaxPictureSide ||
      cinfo.image_height > kMaxPictureSide) {
    return false;
  }
  if (cinfo.jpeg_color_space == JCS_GRAYSCALE) {
    cinfo.out_color_space = JCS_GRAYSCALE;
  } else if (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB) {
    cinfo.out_color_space = JCS_RGB;
  } else {
    return false;
  }
  jpeg_start_decompress(&cinfo);
  const int channels = cinfo.output_components;
  if (channels != 1 && channels != 3) return false;

  Picture& picture = job.picture;
  picture.width = static_cast<int>(cinfo.output_width);
  picture.height = static_cast<int>(cinfo.output_height);
  job.row.resize(static_cast<std::size_t>(picture.width) * channels);
  // Rows are added as they are decoded, so a file that lies about its height fails before
  // the whole buffer is taken.
  picture.argb.reserve(std::min<std::size_t>(static_cast<std::size_t>(picture.width) * picture.height,
                                             bytes.size() * 64));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = job.row.data();
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) return false;
    const JSAMPLE* p = job.row.data();
    for (int x = 0; x < picture.width; ++x, p += channels) {
      const std::uint32_t r = p[0];
      const std::uint32_t g = channels == 3 ? p[1] : r;
      const std::uint32_t b = channels == 3 ? p[2] : r;
      picture.argb.push_back(0xFF000000u | (r << 16) | (g << 8) | b);
    }
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

std::optional<Picture> decode_jpeg(const std::string& bytes) {
  if (bytes.size() < 4 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xD8) {
    return std::nullopt;
  }
  auto job = std::make_unique<JpegJob>();
  jpeg_decompress_struct& cinfo = job->cinfo;
  cinfo.err = jpeg_std_error(&job->errors.base);
  job->errors.base.error_exit = fail;
  job->errors.base.output_message = silent_output;
  if (setjmp(job->errors.jump)) return std::nullopt;
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kLibjpegMemoryLimit;

  job->source.next_input_byte = reinterpret_cast<const JOCTET*>(bytes.data());
  job->source.bytes_in_buffer = bytes.size();
  job->source.init_source = source_init;
  job->source.fill_input_buffer = source_fill;
  job->source.skip_input_data = source_skip;
  job->source.resync_to_restart = jpeg_resync_to_restart;
  job->source.term_source = source_term;
  cinfo.src = &job->source;

  const bool ok = run(*job, bytes);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) return std::nullopt;
  job->picture.has_alpha = false;
  assign_picture_id(job->picture);
  return std::move(job->picture);
}

}  // namespace rt
