#include "preview/preview_files.h"

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "base/little_endian.h"
#include "base/whole_file.h"

namespace zelvo {
namespace {

constexpr int kJpegQuality = 90;

int Refused(int error, std::string& reason) {
  reason = std::strerror(error);
  return 1;
}

bool ValidPane(const PaneBitmap& pane) {
  return pane.width > 0 && pane.height > 0 && pane.width <= 65500 && pane.height <= 65500 &&
         pane.pixels.size() == static_cast<std::size_t>(pane.width) * static_cast<std::size_t>(pane.height);
}

// libjpeg reports a failure by calling error_exit, which must not return:
// it jumps back to CompressToMemory, whose frame holds only plain data.
struct JpegErrorExit {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char text[JMSG_LENGTH_MAX];
};

void LeaveCompression(j_common_ptr info) {
  JpegErrorExit* exit = reinterpret_cast<JpegErrorExit*>(info->err);
  (*info->err->format_message)(info, exit->text);
  std::longjmp(exit->jump, 1);
}

void IgnoreWarning(j_common_ptr) {}

// Compresses W x H RGB rows, top row first, into a buffer that libjpeg
// allocates and the caller frees. False with the reason in text on failure.
bool CompressToMemory(const unsigned char* rgb, int width, int height, unsigned char** buffer,
                      unsigned long* size, JpegErrorExit* error) {
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&error->manager);
  error->manager.error_exit = LeaveCompression;
  error->manager.output_message = IgnoreWarning;
  error->text[0] = '\0';
  if (setjmp(error->jump) != 0) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, kJpegQuality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<std::size_t>(info.next_scanline) * width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

int SavePreviewBitmap(const std::string& name, const PaneBitmap& pane, std::string& reason) {
  if (!ValidPane(pane)) return Refused(EINVAL, reason);
  const std::uint32_t W = static_cast<std::uint32_t>(pane.width);
  const std::uint32_t H = static_cast<std::uint32_t>(pane.height);
  const std::uint32_t rowBytes = (3 * W + 3) & ~3u;  // rows are padded to 4 bytes
  const std::uint32_t imageBytes = rowBytes * H;
  constexpr std::uint32_t kHeaderBytes = 14 + 40;
  std::vector<std::uint8_t> file;
  file.reserve(kHeaderBytes + imageBytes);
  // BITMAPFILEHEADER
  file.push_back('B');
  file.push_back('M');
  AppendLittleEndian(file, kHeaderBytes + imageBytes, 4);
  AppendLittleEndian(file, 0, 4);  // reserved
  AppendLittleEndian(file, kHeaderBytes, 4);
  // BITMAPINFOHEADER: a positive height stores the rows bottom-up.
  AppendLittleEndian(file, 40, 4);
  AppendLittleEndian(file, W, 4);
  AppendLittleEndian(file, H, 4);
  AppendLittleEndian(file, 1, 2);   // planes
  AppendLittleEndian(file, 24, 2);  // bits per pixel
  AppendLittleEndian(file, 0, 4);   // no compression
  AppendLittleEndian(file, imageBytes, 4);
  AppendLittleEndian(file, 0, 4);  // pixels per metre, x and y: unspecified
  AppendLittleEndian(file, 0, 4);
  AppendLittleEndian(file, 0, 4);  // colours used and important: none (no palette)
  AppendLittleEndian(file, 0, 4);
  for (std::uint32_t row = H; row-- > 0;) {
    const std::uint32_t* pixels = pane.pixels.data() + static_cast<std::size_t>(row) * W;
    for (std::uint32_t x = 0; x < W; ++x) {
      const std::uint32_t colour = pixels[x];  // 0x00BBGGRR
      file.push_back(static_cast<unsigned char>(colour >> 16));
      file.push_back(static_cast<unsigned char>(colour >> 8));
      file.push_back(static_cast<unsigned char>(colour));
    }
    for (std::uint32_t pad = 3 * W; pad < rowBytes; ++pad) file.push_back(0);
  }
  return WriteWholeFile(name, file.data(), file.size(), reason);
}

int SavePreviewJpeg(const std::string& name, const PaneBitmap& pane, std::string& reason) {
  if (!ValidPane(pane)) return Refused(EINVAL, reason);
  std::vector<unsigned char> rgb;
  rgb.reserve(pane.pixels.size() * 3);
  for (const std::uint32_t colour : pane.pixels) {
    rgb.push_back(static_cast<unsigned char>(colour));
    rgb.push_back(static_cast<unsigned char>(colour >> 8));
    rgb.push_back(static_cast<unsigned char>(colour >> 16));
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  JpegErrorExit error;
  const bool compressed = CompressToMemory(rgb.data(), pane.width, pane.height, &buffer, &size, &error);
  int status = 1;
  if (compressed) {
    status = WriteWholeFile(name, buffer, size, reason);
  } else {
    reason = error.text[0] != '\0' ? std::string(error.text) : std::string("JPEG compression failed");
  }
  std::free(buffer);
  return status;
}

}  // namespace zelvo
