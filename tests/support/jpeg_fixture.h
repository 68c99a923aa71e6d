// JPEG files made with libjpeg's compressor, for tests that need a picture of
// a given size, colour space or scan layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace fixtures {

struct JpegOptions {
  int width = 64;
  int height = 48;
  int components = 3;
  J_COLOR_SPACE space = JCS_RGB;
  bool adobeMarker = true;  // only looked at for four components
  bool progressive = false;
  int quality = 90;
  // Scans for a custom progressive script: one per coefficient, plus
  // `refinements` successive-approximation passes each (greyscale only).
  int refinements = -1;
};

// The sample of each component at (x, y).
using Sampler = std::function<std::uint8_t(int x, int y, int component)>;

inline std::vector<std::uint8_t> EncodeJpeg(const JpegOptions& options, const Sampler& sample) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = static_cast<JDIMENSION>(options.width);
  cinfo.image_height = static_cast<JDIMENSION>(options.height);
  cinfo.input_components = options.components;
  cinfo.in_color_space = options.space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.components == 4) {
    jpeg_set_colorspace(&cinfo, JCS_CMYK);
    cinfo.write_Adobe_marker = options.adobeMarker ? TRUE : FALSE;
  }
  if (options.progressive) jpeg_simple_progression(&cinfo);
  std::vector<jpeg_scan_info> script;
  if (options.refinements >= 0) {
    int top = options.refinements;
    script.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k) {
      script.push_back({1, {0, 0, 0, 0}, k, k, 0, top});
      for (int al = top; al > 0; --al) script.push_back({1, {0, 0, 0, 0}, k, k, al, al - 1});
    }
    cinfo.scan_info = script.data();
    cinfo.num_scans = static_cast<int>(script.size());
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(options.width * options.components));
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < options.width; ++x) {
      for (int c = 0; c < options.components; ++c) {
        row[static_cast<std::size_t>(x * options.components + c)] = sample(x, y, c);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> bytes(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

// Offset just after the first start-of-scan marker's segment, or 0.
inline std::size_t ScanDataStart(const std::vector<std::uint8_t>& jpeg) {
  for (std::size_t i = 2; i + 3 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
      return i + 2 + (std::size_t{jpeg[i + 2]} << 8 | jpeg[i + 3]);
    }
  }
  return 0;
}

}  // namespace fixtures
