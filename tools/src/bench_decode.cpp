// bench_decode PHOTO.jpg [RUNS]: how long one picture takes on each road, in
// milliseconds, as the median, the quartiles and the extremes of RUNS runs
// (default 15). The roads take turns within each round, so a machine that is
// busier for a while slows all of them alike.
//   libjpeg row     libjpeg's own decode, every row into the same scratch row
//   libjpeg RGB     libjpeg's own decode into a fresh block of its own RGB
//   libjpeg BGRA    libjpeg's own decode straight into a fresh BGRA block of
//                   the picture's size, as any decode of a new file must
//   BGRA zeroed     calloc of a picture-sized block, every byte then written
//   BGRA fresh      malloc of a picture-sized block, every byte then written
//   DecodePicture   the program's decode into top-down BGRA
//   DecodeToBitmap  decode and a screen-compatible device bitmap
//   GetPictureWidth one measurement: read the file, decode, bitmap, size
// tools/bench-decode makes a 1920 x 1080 baseline photo and runs this under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
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

struct Road {
  const char* name;
  std::function<void()> work;
  std::vector<double> times;
};

// libjpeg alone, with its standard memory source and error handling. With
// fresh set, the rows go into a newly taken block of the whole picture (in
// out_space), else every row into one scratch row.
void RawDecode(const ByteBuffer& bytes, bool fresh, J_COLOR_SPACE space) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = space;
  jpeg_start_decompress(&cinfo);
  const std::size_t rowBytes = static_cast<std::size_t>(cinfo.output_width) *
                               static_cast<std::size_t>(cinfo.output_components);
  const std::size_t rows = fresh ? cinfo.output_height : 1;
  std::unique_ptr<JSAMPLE[], decltype(&std::free)> block(
      static_cast<JSAMPLE*>(std::malloc(rowBytes * rows)), &std::free);
  if (block) {
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row[1] = {block.get() + (fresh ? rowBytes * cinfo.output_scanline : 0)};
      jpeg_read_scanlines(&cinfo, row, 1);
    }
    jpeg_finish_decompress(&cinfo);
  }
  jpeg_destroy_decompress(&cinfo);
}

void TouchBlock(std::size_t size, bool zeroed) {
  void* block = zeroed ? std::calloc(size, 1) : std::malloc(size);
  if (block != nullptr) std::memset(block, 1, size);
  // Keeps the compiler from dropping the writes together with the block.
  asm volatile("" : : "r"(block) : "memory");
  std::free(block);
}

double Quantile(const std::vector<double>& sorted, double q) {
  return sorted[static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1) + 0.5)];
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
  const int width = GetPictureWidth(path), height = GetPictureHeight(path);
  std::printf("%s: %d bytes, %d x %d, %d runs\n", path.c_str(), static_cast<int>(bytes.size()),
              width, height, runs);
  const std::size_t blockSize =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  std::vector<Road> roads = {
      {"libjpeg row", [&] { RawDecode(bytes, false, JCS_RGB); }, {}},
      {"libjpeg RGB", [&] { RawDecode(bytes, true, JCS_RGB); }, {}},
      {"libjpeg BGRA", [&] { RawDecode(bytes, true, JCS_EXT_BGRA); }, {}},
      {"BGRA zeroed", [&] { TouchBlock(blockSize, true); }, {}},
      {"BGRA fresh", [&] { TouchBlock(blockSize, false); }, {}},
      {"DecodePicture",
       [&] {
         FreeDecodedPicture(DecodePicture(bytes.data(), static_cast<std::int32_t>(bytes.size())));
       },
       {}},
      {"DecodeToBitmap",
       [&] { DeleteObject(DecodeToBitmap(bytes.data(), static_cast<std::int32_t>(bytes.size()))); },
       {}},
      {"GetPictureWidth", [&] { GetPictureWidth(path); }, {}},
  };
  for (Road& road : roads) road.work();  // warms caches and lazily loaded system code
  for (int i = 0; i < runs; ++i) {
    for (Road& road : roads) {
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      road.work();
      QueryPerformanceCounter(&end);
      road.times.push_back(Milliseconds(start, end));
    }
  }
  std::printf("  %-16s %8s %17s %17s\n", "", "median", "quartiles", "min - max");
  for (Road& road : roads) {
    std::sort(road.times.begin(), road.times.end());
    std::printf("  %-16s %8.2f %8.2f-%-8.2f %8.2f-%-8.2f\n", road.name, Quantile(road.times, 0.5),
                Quantile(road.times, 0.25), Quantile(road.times, 0.75), road.times.front(),
                road.times.back());
  }
  return 0;
}
