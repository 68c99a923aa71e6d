// The program's shell around the window: the folder cut of start-up, the
// window icon and its file, and the Save As dialog with the save handler.
#include "tests/win/app_test_support.h"

#include <cstring>
#include <thread>

#include "app/window_icon.h"
#include "tests/support/check.h"
#include "tests/win/temp_folder.h"

using namespace app_test;

TEST(FolderOfPathCutsAtTheLastRealBackslash) {
  struct Row {
    const char* path;
    const char* folder;
  };
  // 表 is B1 ED; 0x95 0x5C is one double-byte character whose trail byte is
  // the backslash's code.
  const Row rows[] = {
      {"C:\\Program Files\\Verandel\\Verandel.exe", "C:\\Program Files\\Verandel"},
      {"C:\\表\\Verandel.exe", "C:\\表"},
      {"C:\\a\x95\x5C.exe", "C:"},
      {"C:\\x\x95\x5C\\Verandel.exe", "C:\\x\x95\x5C"},
      {"C:\\\x95\x5C\x95\x5C", "C:"},
      {"\\Verandel.exe", ""},
      {"C:\\dir\\", "C:\\dir"},
      {"Verandel.exe", ""},
      {"\x95\x5C", ""},
      {"", ""},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.path);
    CHECK_EQ(FolderOfPath(row.path), std::string(row.folder));
  }
}

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                    (static_cast<std::uint32_t>(b[at + 3]) << 24));
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

}  // namespace

TEST(IconFileHoldsFiveImagesOfALaptopOutline) {
  std::vector<std::uint8_t> ico = corpus::ReadFile("resources/verandel.ico");
  CHECK_EQ(ico.size(), std::size_t{26574});
  if (ico.size() != 26574) return;
  CHECK_EQ(U16(ico, 0), 0);
  CHECK_EQ(U16(ico, 2), 1);
  CHECK_EQ(U16(ico, 4), 5);
  const int sizes[] = {64, 32, 24, 20, 16};
  std::size_t offset = 6 + 5 * 16;
  for (int i = 0; i < 5; ++i) {
    const int s = sizes[i];
    CHECK_CONTEXT("entry " + std::to_string(i) + ", " + std::to_string(s) + " px");
    const std::size_t entry = 6 + static_cast<std::size_t>(i) * 16;
    CHECK_EQ(int{ico[entry]}, s);
    CHECK_EQ(int{ico[entry + 1]}, s);
    CHECK_EQ(int{ico[entry + 2]}, 0);  // colour count
    CHECK_EQ(U16(ico, entry + 6), 32);
    const std::size_t maskRow = static_cast<std::size_t>((s + 31) / 32 * 4);
    const std::size_t bytes =
        40 + static_cast<std::size_t>(s * s * 4) + maskRow * static_cast<std::size_t>(s);
    CHECK_EQ(U32(ico, entry + 8), static_cast<std::uint32_t>(bytes));
    CHECK_EQ(U32(ico, entry + 12), static_cast<std::uint32_t>(offset));
    CHECK_EQ(U32(ico, offset), 40u);
    CHECK_EQ(static_cast<int>(U32(ico, offset + 4)), s);
    CHECK_EQ(static_cast<int>(U32(ico, offset + 8)), 2 * s);
    CHECK_EQ(U16(ico, offset + 14), 32);
    // Black ink on a transparent ground: the corners are clear, the middle
    // row crosses the outline, and every pixel is black.
    auto alpha = [&](int x, int y) {  // rows are bottom-up
      return ico[offset + 40 + static_cast<std::size_t>(((s - 1 - y) * s + x) * 4 + 3)];
    };
    CHECK_EQ(int{alpha(0, 0)}, 0);
    CHECK_EQ(int{alpha(s - 1, 0)}, 0);
    int opaque = 0;
    for (int x = 0; x < s; ++x) opaque += alpha(x, s * 4 / 10) > 64 ? 1 : 0;
    CHECK(opaque >= 2);
    bool black = true;
    for (int p = 0; p < s * s; ++p) {
      const std::size_t at = offset + 40 + static_cast<std::size_t>(p) * 4;
      black = black && ico[at] == 0 && ico[at + 1] == 0 && ico[at + 2] == 0;
    }
    CHECK(black);
    offset += bytes;
  }
  CHECK_EQ(offset, ico.size());
}

TEST(IconRuleTakesTheLastEntryWhenNoneQualifies) {
  std::vector<std::uint8_t> ico = corpus::ReadFile("resources/verandel.ico");
  const std::size_t lastOffset = U32(ico, 6 + 4 * 16 + 12);
  for (int width : {32, 16}) {
    CHECK_CONTEXT("width " + std::to_string(width));
    auto chosen = ChooseIconForWidth(ico, width);
    CHECK(chosen.has_value());
    if (!chosen) continue;
    CHECK_EQ(chosen->offset, lastOffset);
    CHECK_EQ(chosen->width, 16);
    CHECK_EQ(chosen->height, 16);
    HICON icon = MakeIconForWidth(ico, width);
    CHECK(icon != nullptr);
    ICONINFO info = {};
    if (icon != nullptr && GetIconInfo(icon, &info)) {
      BITMAP bitmap = {};
      GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
      CHECK_EQ(bitmap.bmWidth, 16L);
      if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
      if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    }
    if (icon != nullptr) DestroyIcon(icon);
  }

  // An entry of width 32 with a colour count of 16 or more is taken for the
  // large icon; the small one still falls to the last entry.
  std::vector<std::uint8_t> counted = ico;
  counted[6 + 1 * 16 + 2] = 16;
  auto large = ChooseIconForWidth(counted, 32);
  CHECK(large.has_value());
  if (large) CHECK_EQ(large->width, 32);
  auto small = ChooseIconForWidth(counted, 16);
  CHECK(small.has_value());
  if (small) CHECK_EQ(small->width, 16);

  struct Bad {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<std::uint8_t> beyond = ico;
  beyond[6 + 4 * 16 + 13] = 0x7F;  // the last image's offset past the end
  std::vector<std::uint8_t> none = ico;
  none[4] = 0;
  const Bad bad[] = {
      {"empty", {}},
      {"directory cut short", std::vector<std::uint8_t>(ico.begin(), ico.begin() + 40)},
      {"image cut short", std::vector<std::uint8_t>(ico.begin(), ico.end() - 1)},
      {"image past the end", beyond},
      {"no entries", none},
  };
  for (const Bad& row : bad) {
    CHECK_CONTEXT(row.name);
    CHECK(!ChooseIconForWidth(row.bytes, 16).has_value());
    CHECK(MakeIconForWidth(row.bytes, 16) == nullptr);
  }
}

TEST(FilterSeparatorsBecomeNuls) {
  struct Row {
    std::string filter;
    std::string expected;
  };
  using namespace std::string_literals;
  const Row rows[] = {
      {SaveFileDialog::kFilter, "图片文件（*.jpg）\0*.jpg\0图片文件（*.png）\0*.png\0\0"s},
      {"a|b||", "a\0b\0\0"s},
      {"", ""},
      // 0x81 0x7C is one double-byte character: its trail byte is no separator.
      {"\x81\x7C|*.x", "\x81\x7C\0*.x\0\0"s},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.filter);
    CHECK_EQ(SaveFileDialog::FilterForDialog(row.filter), row.expected);
  }
}

namespace {

struct DialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<DialogSearch*>(lparam);
  if (ClassName(hwnd) == "#32770" && GetWindow(hwnd, GW_OWNER) == search->owner &&
      IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForDialogOwnedBy(HWND owner) {
  for (int tries = 0; tries < 500; ++tries) {
    DialogSearch search = {owner, nullptr};
    EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(10);
  }
  return nullptr;
}

// What the user does in the Save As dialog, done from another thread while
// the dialog runs its modal loop on this one.
struct User {
  enum Action { kCancel, kConfirm };
  User(Action what = kCancel, std::string name = {}, bool replace = false)
      : action(what), typed(std::move(name)), answerOverwrite(replace) {}

  Action action;
  std::string typed;      // the name typed before OK
  bool answerOverwrite;   // a prompt is expected and answered Yes
  std::string prefilled;  // what the name box held when the dialog came up
  bool sawOverwritePrompt = false;
  int fileType = 0;  // the entry picked in the type list before OK
};

// Starts the user's side: waits for the dialog over owner and acts in it.
std::thread Drive(HWND owner, User& user) {
  return std::thread([owner, &user] {
    HWND box = WaitForDialogOwnedBy(owner);
    if (box == nullptr) return;
    Sleep(50);
    HWND name = GetDlgItem(box, 1148);
    user.prefilled = WindowText(name);
    if (user.action == User::kCancel) {
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    if (user.fileType != 0) {
      HWND types = GetDlgItem(box, 1136);
      SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(user.fileType), 0);
      SendMessageA(box, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK),
                   reinterpret_cast<LPARAM>(types));
    }
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(user.typed.c_str()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    if (user.answerOverwrite) {
      HWND prompt = WaitForDialogOwnedBy(box);
      user.sawOverwritePrompt = prompt != nullptr;
      if (prompt != nullptr) PostMessageA(prompt, WM_COMMAND, IDYES, 0);
    }
  });
}

bool OpenWith(SaveFileDialog& dialog, HWND owner, User& user) {
  std::thread driver = Drive(owner, user);
  bool confirmed = dialog.Open();
  driver.join();
  return confirmed;
}

}  // namespace

TEST(SaveAsDialogKeepsTheLastConfirmedName) {
  RunningWindow running(PlaceholderOnly());
  SaveFileDialog& dialog = running.window.通用对话框1;
  HWND owner = running.window.hwnd();
  TempFolder folder("dialog");

  User cancel;
  CHECK(!OpenWith(dialog, owner, cancel));
  CHECK_EQ(dialog.FileName(), std::string());
  CHECK_EQ(cancel.prefilled, std::string());

  // A new name without extension gets the selected type's.
  User confirm{User::kConfirm, folder / "saved"};
  CHECK(OpenWith(dialog, owner, confirm));
  CHECK_EQ(dialog.FileName(), folder / "saved.jpg");

  User cancelAgain;
  CHECK(!OpenWith(dialog, owner, cancelAgain));
  // The dialog opens in the folder of the name it is given and shows the
  // name itself in its box.
  CHECK_EQ(cancelAgain.prefilled, std::string("saved.jpg"));
  CHECK_EQ(dialog.FileName(), folder / "saved.jpg");

  // With the PNG type picked, a name without extension gets ".png".
  User png{User::kConfirm, folder / "other"};
  png.fileType = 1;
  CHECK(OpenWith(dialog, owner, png));
  CHECK_EQ(dialog.FileName(), folder / "other.png");

  // An existing file is only taken after the user agrees to replace it.
  CHECK(PutFile(folder / "old.png", {1, 2, 3}));
  User replace{User::kConfirm, folder / "old.png", true};
  CHECK(OpenWith(dialog, owner, replace));
  CHECK(replace.sawOverwritePrompt);
  CHECK_EQ(dialog.FileName(), folder / "old.png");
}

TEST(SaveWritesTheShownBytesAndNothingWithoutAPicture) {
  TempFolder folder("save");
  {
    RunningWindow running(ThreePictures());
    MainWindow& w = running.window;
    User copy{User::kConfirm, folder / "copy.png"};
    std::thread driver = Drive(w.hwnd(), copy);
    w.OnSavePictureClicked();
    driver.join();
    // The shown file's bytes, unchanged (JPEG data under a .png name).
    CHECK(FileBytes(folder / "copy.png") == CorpusBytes(kFlower));
  }
  {
    RunningWindow running(PlaceholderOnly());
    MainWindow& w = running.window;
    const std::vector<std::uint8_t> kept = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    CHECK(PutFile(folder / "keep.jpg", kept));
    struct Row {
      const char* name;
      User user;
    };
    const Row rows[] = {
        {"existing file", {User::kConfirm, folder / "keep.jpg", true}},
        {"new name", {User::kConfirm, folder / "nothing.jpg"}},
        {"cancelled", {}},
    };
    for (const Row& row : rows) {
      CHECK_CONTEXT(row.name);
      User user = row.user;
      std::thread driver = Drive(w.hwnd(), user);
      w.OnSavePictureClicked();
      driver.join();
      CHECK(FileBytes(folder / "keep.jpg") == kept);
      bool exists = true;
      FileBytes(folder / "nothing.jpg", &exists);
      CHECK(!exists);
    }
  }
}
