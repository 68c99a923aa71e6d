// bench_decode PHOTO.jpg [RUNS]: how long one picture takes on each road, as
// medians over RUNS runs (default 15), in milliseconds:
//   libjpeg       libjpeg's own decode of the bytes, rows into a scratch row
//   BGRA memory   taking and first writing a picture-sized block (part of the next)
//   DecodePicture the program's decode into top-down BGRA
//   DecodeToBitmap  decode and a screen-compatible device bitmap
//   GetPictureWidth one measurement: read the file, decode, bitmap, size
// tools/bench-decode makes a 1920 x 1080 baseline photo and runs this under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "services/files.h"
#include "services/picture.h"

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

double Median(int runs, const std::function<void()>& work) {
  work();  // first run warms caches and lazily loaded system code
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    times.push_back(Milliseconds(start, end));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// libjpeg alone, with its standard memory source and error handling.
bool RawDecode(const ByteBuffer& bytes) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(cinfo.output_width) *
                           static_cast<std::size_t>(cinfo.output_components));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_decode PHOTO.jpg [RUNS]\n");
    return 2;
  }
  const Text path = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
  const ByteBuffer bytes = ReadWholeFile(path);
  if (bytes.empty()) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  std::printf("%s: %d bytes, %d x %d, median of %d runs\n", path.c_str(), bytes.size(),
              GetPictureWidth(path), GetPictureHeight(path), runs);
  std::printf("  libjpeg         %8.2f ms\n", Median(runs, [&] { RawDecode(bytes); }));
  const int width = GetPictureWidth(path), height = GetPictureHeight(path);
  std::printf("  BGRA memory     %8.2f ms\n", Median(runs, [&] {
                auto image = AllocateImage(width, height);
                if (image) std::memset(image->pixels.get(), 1, image->ByteCount());
              }));
  std::printf("  DecodePicture   %8.2f ms\n",
              Median(runs, [&] { FreeDecodedPicture(DecodePicture(bytes.data(), bytes.size())); }));
  std::printf("  DecodeToBitmap  %8.2f ms\n",
              Median(runs, [&] { DeleteObject(DecodeToBitmap(bytes.data(), bytes.size())); }));
  std::printf("  GetPictureWidth %8.2f ms\n", Median(runs, [&] { GetPictureWidth(path); }));
  return 0;
}
