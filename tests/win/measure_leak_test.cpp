// Measuring, decoding and drawing leave no GDI object, icon, handle or memory
// behind. GDI objects are counted by the free slots of the process's handle
// table: solid brushes are made until creation fails, then all deleted.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/picture.h"
#include "tests/support/check.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/support/picture_fixtures.h"
#include "tests/win/temp_folder.h"

namespace {

int FreeGdiSlots() {
  std::vector<HBRUSH> brushes;
  brushes.reserve(70000);
  for (;;) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    if (brush == nullptr) break;
    brushes.push_back(brush);
  }
  for (HBRUSH brush : brushes) DeleteObject(brush);
  return static_cast<int>(brushes.size());
}

DWORD HandleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters;
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return counters.PrivateUsage;
}

std::size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters;
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

struct Usage {
  int freeGdi;
  DWORD handles;
  std::size_t privateBytes, workingSet;
};
Usage Now() { return {FreeGdiSlots(), HandleCount(), PrivateBytes(), WorkingSet()}; }

// Runs `work` once to settle caches and lazily made objects, then `times`
// more, and checks that the process holds what it held before.
template <typename Work>
void CheckNothingLeft(const char* name, int times, Work work) {
  CHECK_CONTEXT(name);
  work();
  const Usage before = Now();
  for (int i = 0; i < times; ++i) work();
  const Usage after = Now();
  CHECK(before.freeGdi > 1000);
  CHECK_EQ(after.freeGdi, before.freeGdi);
  CHECK_EQ(after.handles, before.handles);
  // 1 MiB of slack for the heap's own bookkeeping; a leaked decode of even
  // one small picture per run would pass it many times over.
  const std::size_t slack = 1u << 20;
  CHECK(after.privateBytes <= before.privateBytes + slack);
  CHECK(after.workingSet <= before.workingSet + 4 * slack);
  std::printf("  %s: free GDI slots %d -> %d, handles %lu -> %lu, private %zu -> %zu KiB\n", name,
              before.freeGdi, after.freeGdi, before.handles, after.handles,
              before.privateBytes / 1024, after.privateBytes / 1024);
}

TEST(MeasuringTheSameFileAThousandTimesLeavesNothing) {
  TempFolder folder("leak");
  fixtures::JpegOptions options;
  options.width = 320;
  options.height = 200;
  std::string jpeg = folder / "picture.jpg";
  CHECK(PutFile(jpeg, fixtures::EncodeJpeg(options, [](int x, int y, int c) {
                  return static_cast<std::uint8_t>(x + y * 3 + c * 50);
                })));
  CheckNothingLeft("JPEG", 1000, [&] {
    CHECK_EQ(GetPictureWidth(jpeg), 320);
    CHECK_EQ(GetPictureHeight(jpeg), 200);
  });
  // Measured through the platform's loader.
  const std::string rle = "..\\shared\\corpora\\bmp\\bmpsuite\\g\\pal8rle.bmp";
  CheckNothingLeft("RLE BMP", 1000, [&] { CHECK_EQ(GetPictureWidth(rle), 127); });
  const std::string icon = "..\\shared\\corpora\\ico\\pillow\\python.ico";
  CheckNothingLeft("icon", 1000, [&] { CHECK_EQ(GetPictureHeight(icon), 48); });
  CheckNothingLeft("text file", 1000, [&] { CHECK_EQ(GetPictureWidth(folder / "none.txt"), 0); });
}

TEST(DecodingAndDrawingLeaveNothing) {
  const fixtures::ByteVector png = FileBytes("..\\shared\\corpora\\png\\pngsuite\\basn6a08.png");
  CHECK(!png.empty());
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 64, 64);
  HGDIOBJ old = SelectObject(memory, target);
  const fixtures::ByteVector icon = FileBytes("..\\shared\\corpora\\ico\\pillow\\python.ico");
  CheckNothingLeft("decode and draw", 1000, [&] {
    for (const fixtures::ByteVector* bytes : {&png, &icon}) {
      DecodedPicture* picture =
          DecodePicture(bytes->data(), static_cast<std::int32_t>(bytes->size()));
      CHECK(picture != nullptr);
      DrawPicture(memory, picture, RGB(255, 255, 255), 0, 0, 64, 64);
      FreeDecodedPicture(picture);
    }
  });
  SelectObject(memory, old);
  DeleteObject(target);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace
