// The handle owners give back exactly what they own, once, and hand ownership
// over on a move.
#include <windows.h>

#include <string>
#include <type_traits>
#include <utility>

#include "services/win32_handles.h"
#include "tests/support/check.h"
#include "tests/win/temp_folder.h"

static_assert(!std::is_copy_constructible_v<UniqueBitmap>);
static_assert(!std::is_copy_assignable_v<UniqueHandle>);
static_assert(!std::is_copy_constructible_v<WindowDc>);
static_assert(!std::is_copy_constructible_v<SelectedObject>);

namespace {

bool Alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

TEST(GdiObjectsAreDeletedOnceByTheirLastOwner) {
  HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
  {
    UniqueBrush first(raw);
    UniqueBrush second(std::move(first));
    CHECK(!first);
    CHECK(second.get() == raw);
    UniqueBrush third;
    third = std::move(second);
    CHECK(Alive(raw));
  }
  CHECK(!Alive(raw));

  HBRUSH kept = CreateSolidBrush(RGB(4, 5, 6));
  {
    UniqueBrush owner(kept);
    CHECK(owner.release() == kept);
  }
  CHECK(Alive(kept));
  DeleteObject(kept);

  HBRUSH replaced = CreateSolidBrush(RGB(7, 8, 9));
  HBRUSH other = CreateSolidBrush(RGB(9, 8, 7));
  UniqueBrush owner(replaced);
  owner.reset(other);
  CHECK(!Alive(replaced));
  CHECK(Alive(other));
  owner.reset();
  CHECK(!Alive(other));
}

TEST(SelectedObjectPutsBackWhatItReplaced) {
  MemoryDc dc(CreateCompatibleDC(nullptr));
  CHECK(static_cast<bool>(dc));
  HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
  UniqueBitmap bitmap(CreateCompatibleBitmap(dc.get(), 4, 4));
  {
    SelectedObject selected(dc.get(), bitmap.get());
    CHECK(static_cast<bool>(selected));
    CHECK(GetCurrentObject(dc.get(), OBJ_BITMAP) == bitmap.get());
  }
  CHECK(GetCurrentObject(dc.get(), OBJ_BITMAP) == original);
  // Not selected any more, so it can be deleted.
  HBITMAP raw = bitmap.get();
  bitmap.reset();
  CHECK(!Alive(raw));
}

TEST(KernelHandlesTreatBothFailureValuesAsEmpty) {
  CHECK(!UniqueHandle(INVALID_HANDLE_VALUE));
  CHECK(!UniqueHandle(nullptr));
  CHECK(!UniqueFindHandle());

  TempFolder folder("handles");
  const std::string path = folder / "file.bin";
  CHECK(PutFile(path, {1, 2, 3}));
  {
    UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    CHECK(static_cast<bool>(file));
    // Held without sharing: nobody else can open it now.
    HANDLE again = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
    CHECK(again == INVALID_HANDLE_VALUE);
  }
  UniqueHandle reopened(
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  CHECK(static_cast<bool>(reopened));
}

TEST(ScreenDcIsReleased) {
  WindowDc screen(nullptr);
  CHECK(static_cast<bool>(screen));
  CHECK(GetDeviceCaps(screen.get(), BITSPIXEL) > 0);
}

}  // namespace
