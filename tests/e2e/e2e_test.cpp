// The whole program seen from outside: Verandel.exe started on an asset
// folder of small pictures with known colours and dates, its window read,
// its buttons pressed, its Save As dialog filled in and its keys typed.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/support/check.h"

using namespace e2e;

namespace {

// The program built beside the tests, or the one VERANDEL_EXE names.
std::string Exe() {
  char other[MAX_PATH] = {};
  if (GetEnvironmentVariableA("VERANDEL_EXE", other, MAX_PATH) > 0) return WindowsPath(other);
  return WindowsPath(VERANDEL_EXE);
}

// The three landscape pictures of the usual folder, oldest first, and what the
// status bar shows for each (the program runs with TZ=UTC).
struct Shot {
  const char* name;
  Rgb left, right;
  FILETIME written;
  const char* date_text;
};

const Rgb kRed{220, 30, 30}, kYellow{230, 200, 20}, kGreen{30, 160, 60}, kOrange{240, 130, 20},
    kBlue{30, 60, 200}, kMagenta{200, 40, 200};

const Shot kOldest{"9f3c0d6e1b2a4c5d8e7f6a5b4c3d2e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d", kRed,
                   kYellow, UtcFileTime(2024, 3, 1, 6, 5, 0), "推送日期：2024年3月1日6时5分"};
const Shot kMiddle{"0b1c2d3e4f5a6b7c8d9e0f1a2b3c4d5e6f7a8b9c0d1e2f3a4b5c6d7e8f9a0b1c", kGreen,
                   kOrange, UtcFileTime(2024, 4, 15, 12, 0, 0), "推送日期：2024年4月15日12时"};
const Shot kNewest{"5e6f7a8b9c0d1e2f3a4b5c6d7e8f9a0b1c2d3e4f5a6b7c8d9e0f1a2b3c4d5e6f", kBlue,
                   kMagenta, UtcFileTime(2024, 5, 20, 23, 59, 59),
                   "推送日期：2024年5月20日23时59分59秒"};

// Three landscape pictures, and beside them what the scan must pass over: a
// newer portrait picture, a newer square tile and a file that is no picture.
void FillUsualFolder(const Fixture& fx) {
  for (const Shot* s : {&kMiddle, &kNewest, &kOldest})
    fx.Add(s->name, SplitBmp(64, 36, s->left, s->right), s->written);
  fx.Add("c0ffee0000000000000000000000000000000000000000000000000000000001",
         SplitBmp(36, 64, kGreen, kBlue), UtcFileTime(2024, 6, 1, 8, 0, 0));
  fx.Add("c0ffee0000000000000000000000000000000000000000000000000000000002",
         SplitBmp(40, 40, kRed, kBlue), UtcFileTime(2024, 6, 2, 8, 0, 0));
  const std::string note = "no picture here\r\n";
  fx.Add("c0ffee0000000000000000000000000000000000000000000000000000000003",
         Bytes(note.begin(), note.end()), UtcFileTime(2024, 6, 3, 8, 0, 0));
}

// Describes the colours the picture box shows where each half of a split
// picture lands, corners included (the stretch fills the box edge to edge).
std::string BoxHalves(const Pixels& box, Rgb left, Rgb right) {
  std::string wrong;
  const double xs[] = {0.01, 0.25, 0.45, 0.55, 0.75, 0.99};
  const double ys[] = {0.01, 0.5, 0.99};
  for (double fx : xs) {
    for (double fy : ys) {
      int x = static_cast<int>(fx * (box.width - 1));
      int y = static_cast<int>(fy * (box.height - 1));
      Rgb want = fx < 0.5 ? left : right;
      Rgb got = box.At(x, y);
      if (!Near(got, want))
        wrong += " (" + std::to_string(x) + "," + std::to_string(y) + ")=" + Show(got) + " want " +
                 Show(want);
    }
  }
  return wrong;
}

// Waits for the box to show the split picture; gives what was wrong, or "".
std::string WaitForPicture(const Program& app, Rgb left, Rgb right) {
  std::string wrong = "no picture box";
  HWND box = app.PictureBox();
  if (!box) return wrong;
  WaitFor([&] { return (wrong = BoxHalves(CaptureClient(box), left, right)).empty(); }, 5000);
  return wrong;
}

std::string WaitForStatus(const Program& app, int part, const std::string& want) {
  std::string got;
  WaitFor([&] { return (got = StatusText(app.StatusBar(), part)) == want; }, 5000);
  return got;
}

bool Press(const Program& app, const char* button) {
  HWND hwnd = app.Button(button);
  return hwnd && PostMessageA(hwnd, BM_CLICK, 0, 0);
}

bool SameBytes(const std::string& a, const std::string& b) {
  Bytes x, y;
  return ReadFileBytes(a, x) && ReadFileBytes(b, y) && x == y;
}

// Saves the picture on show under a new name through the Save As dialog.
bool SaveAs(const Program& app, const std::string& path) {
  HWND dialog = nullptr;
  if (!Press(app, "保存图片") ||
      !WaitFor([&] { return (dialog = DialogOwnedBy(app.main())) != nullptr; }, 10000))
    return false;
  SendMessageA(GetDlgItem(dialog, 1148), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  return WaitFor([&] { return !IsWindow(dialog); }, 10000);
}

// How many different colours a 16 x 16 grid over the box finds, and how many
// of its points show the box's background.
void GridColours(const Pixels& box, Rgb background, int& distinct, int& on_background) {
  std::vector<Rgb> seen;
  on_background = 0;
  for (int gy = 0; gy < 16; ++gy) {
    for (int gx = 0; gx < 16; ++gx) {
      Rgb c = box.At((2 * gx + 1) * box.width / 32, (2 * gy + 1) * box.height / 32);
      if (c == background) ++on_background;
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
  }
  distinct = static_cast<int>(seen.size());
}

}  // namespace

TEST(window_and_controls_are_laid_out_as_designed) {
  Fixture fx("layout");
  FillUsualFolder(fx);
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  HWND main = app.main();
  if (!main) return;

  RECT outer;
  GetWindowRect(main, &outer);
  CHECK_EQ(outer.left, 662L);
  CHECK_EQ(outer.top, 323L);
  CHECK_EQ(outer.right - outer.left, 596L);
  CHECK_EQ(outer.bottom - outer.top, 434L);
  CHECK_EQ(TextOf(main), std::string("Verandel"));
  CHECK(OwnerOf(main) == nullptr);
  const LONG_PTR style = GetWindowLongPtrA(main, GWL_STYLE);
  for (LONG_PTR bit : {WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX, WS_CLIPCHILDREN}) {
    CHECK_CONTEXT("style bit " + std::to_string(bit));
    CHECK((style & bit) == bit);
  }
  CHECK((style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) == 0);
  CHECK_EQ(GetWindowLongPtrA(main, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_WINDOWEDGE),
           static_cast<LONG_PTR>(0));

  RECT client;
  GetClientRect(main, &client);
  struct Control {
    const char* what;
    const char* text;  // nullptr: the picture box, found by elimination
    RECT rect;         // in the main window's client area
  };
  const Control controls[] = {
      {"按钮1", "取最近推送", {8, 336, 128, 368}},
      {"按钮2", "取上一次推送", {128, 336, 248, 368}},
      {"按钮3", "取下一次推送", {248, 336, 368, 368}},
      {"按钮4", "设置桌面壁纸", {368, 336, 488, 368}},
      {"按钮5", "保存图片", {488, 336, 568, 368}},
      {"图片框1", nullptr, {8, 8, 584, 332}},
  };
  for (const Control& c : controls) {
    CHECK_CONTEXT(c.what);
    HWND hwnd = c.text ? app.Button(c.text) : app.PictureBox();
    CHECK(hwnd != nullptr);
    if (!hwnd) continue;
    RECT r = RectInParent(hwnd);
    CHECK_EQ(r.left, c.rect.left);
    CHECK_EQ(r.top, c.rect.top);
    CHECK_EQ(r.right, c.rect.right);
    CHECK_EQ(r.bottom, c.rect.bottom);
    CHECK(IsWindowVisible(hwnd) && IsWindowEnabled(hwnd));
    const LONG_PTR s = GetWindowLongPtrA(hwnd, GWL_STYLE);
    if (c.text) {
      CHECK_EQ(_stricmp(ClassOf(hwnd).c_str(), "Button"), 0);
      CHECK_EQ(s & BS_TYPEMASK, static_cast<LONG_PTR>(BS_PUSHBUTTON));
      CHECK((s & WS_TABSTOP) != 0);
    } else {
      CHECK_EQ(TextOf(hwnd), std::string());
      CHECK((s & WS_BORDER) != 0);
      CHECK((s & WS_TABSTOP) == 0);
    }
  }

  HWND bar = app.StatusBar();
  CHECK(bar != nullptr);
  if (bar) {
    RECT r = RectInParent(bar);
    CHECK_EQ(r.left, 0L);
    CHECK_EQ(r.right, client.right);
    CHECK_EQ(r.bottom, client.bottom);
    CHECK(r.bottom - r.top > 10 && r.bottom - r.top < 40);
    CHECK(IsWindowVisible(bar));
    CHECK((GetWindowLongPtrA(bar, GWL_STYLE) & WS_TABSTOP) == 0);
    // Part 0 is 100 pixels wide, part 1 reaches the end of the bar.
    CHECK(StatusParts(bar) == (std::vector<int>{100, -1}));
  }

  // Seven visible controls, in the z-order they were made in.
  std::vector<std::string> order;
  for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    if (child == bar) {
      order.push_back("状态条1");
    } else if (child == app.PictureBox()) {
      order.push_back("图片框1");
    } else {
      order.push_back(TextOf(child));
    }
  }
  const std::vector<std::string> made = {"保存图片",     "设置桌面壁纸", "取下一次推送", "状态条1",
                                         "取上一次推送", "图片框1",      "取最近推送"};
  CHECK(order == made);

  PostMessageA(main, WM_CLOSE, 0, 0);
  CHECK_EQ(app.WaitExit(10000), 0UL);
}

TEST(newest_picture_at_first_sight_and_buttons_step_with_wrap) {
  Fixture fx("steps");
  FillUsualFolder(fx);
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  if (!app.main()) return;

  // Read at once: the window is never seen before both parts are filled.
  CHECK_EQ(StatusText(app.StatusBar(), 0), std::string("推送总数：3"));
  CHECK_EQ(StatusText(app.StatusBar(), 1), std::string(kNewest.date_text));
  CHECK_EQ(WaitForPicture(app, kNewest.left, kNewest.right), std::string());

  struct Step {
    const char* button;
    const Shot* shows;
  };
  const Step steps[] = {
      {"取上一次推送", &kMiddle}, {"取上一次推送", &kOldest}, {"取上一次推送", &kNewest},
      {"取下一次推送", &kOldest}, {"取下一次推送", &kMiddle}, {"取最近推送", &kNewest},
      {"取下一次推送", &kOldest}, {"取最近推送", &kNewest},   {"取下一次推送", &kOldest},
  };
  int n = 0;
  for (const Step& s : steps) {
    CHECK_CONTEXT("step " + std::to_string(++n) + " " + s.button);
    CHECK(Press(app, s.button));
    const std::string shown = WaitForStatus(app, 1, s.shows->date_text);
    CHECK_EQ(shown, std::string(s.shows->date_text));
    CHECK_EQ(WaitForPicture(app, s.shows->left, s.shows->right), std::string());
    if (shown != s.shows->date_text) break;  // the rest of the walk would only repeat it
  }
  CHECK_EQ(StatusText(app.StatusBar(), 0), std::string("推送总数：3"));
}

TEST(wallpaper_button_records_the_picture_on_show) {
  const char* key = "Control Panel\\Desktop";
  auto read = [&](const char* name, DWORD* type = nullptr) {
    char value[1024] = {};
    DWORD size = sizeof value;
    DWORD kind = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &kind, value, &size) !=
        ERROR_SUCCESS)
      return std::string("<none>");
    if (type) *type = kind;
    return std::string(value);
  };
  auto write = [&](const char* name, const std::string& value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>(value.size() + 1));
  };
  const char* names[] = {"Wallpaper", "WallpaperStyle", "TileWallpaper"};
  std::string before[3];
  for (int i = 0; i < 3; ++i) before[i] = read(names[i]);
  for (const char* name : names) write(name, "untouched");

  Fixture fx("wallpaper");
  FillUsualFolder(fx);
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  if (app.main()) {
    struct Case {
      const char* step;  // pressed before 按钮4, or nullptr
      const Shot* shows;
    };
    for (const Case& c : {Case{nullptr, &kNewest}, Case{"取上一次推送", &kMiddle},
                          Case{"取上一次推送", &kOldest}}) {
      CHECK_CONTEXT(c.shows->date_text);
      if (c.step) {
        CHECK(Press(app, c.step));
        const std::string shown = WaitForStatus(app, 1, c.shows->date_text);
        CHECK_EQ(shown, std::string(c.shows->date_text));
        if (shown != c.shows->date_text) break;
      }
      const std::string path = fx.assets() + "\\" + c.shows->name;
      CHECK(Press(app, "设置桌面壁纸"));
      WaitFor([&] { return read("TileWallpaper") == "0" && read("Wallpaper") == path; }, 5000);
      DWORD type = 0;
      CHECK_EQ(read("Wallpaper", &type), path);
      CHECK_EQ(type, static_cast<DWORD>(REG_SZ));
      CHECK_EQ(read("WallpaperStyle", &type), std::string("0"));
      CHECK_EQ(type, static_cast<DWORD>(REG_SZ));
      CHECK_EQ(read("TileWallpaper", &type), std::string("0"));
      CHECK_EQ(type, static_cast<DWORD>(REG_SZ));
      for (const char* name : {"WallpaperStyle", "TileWallpaper"}) write(name, "untouched");
    }
  }
  for (int i = 0; i < 3; ++i)
    if (before[i] != "<none>") write(names[i], before[i]);
}

TEST(save_button_writes_the_shown_bytes_through_the_dialog) {
  Fixture fx("save");
  FillUsualFolder(fx);
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  HWND main = app.main();
  if (!main) return;
  const std::string newest = fx.assets() + "\\" + kNewest.name;
  const std::string middle = fx.assets() + "\\" + kMiddle.name;
  const std::string saved = fx.root() + "copy.png";  // the file type picked does not matter
  const std::string never = fx.root() + "never.jpg";

  auto open_dialog = [&]() -> HWND {
    HWND dialog = nullptr;
    if (Press(app, "保存图片"))
      WaitFor([&] { return (dialog = DialogOwnedBy(main)) != nullptr; }, 10000);
    return dialog;
  };
  auto confirm = [&](HWND dialog, const std::string& path) {
    SendMessageA(GetDlgItem(dialog, 1148), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  };
  auto gone = [&](HWND dialog) { return WaitFor([&] { return !IsWindow(dialog); }, 10000); };

  // A new name: a byte-for-byte copy of the picture on show.
  HWND dialog = open_dialog();
  CHECK(dialog != nullptr);
  if (!dialog) return;
  confirm(dialog, saved);
  CHECK(gone(dialog));
  CHECK(WaitFor([&] { return SameBytes(saved, newest); }, 5000));

  // The same name again, for another picture: the dialog asks first. No keeps
  // the file and the dialog; cancelling the dialog then writes nothing.
  CHECK(Press(app, "取上一次推送"));
  CHECK_EQ(WaitForStatus(app, 1, kMiddle.date_text), std::string(kMiddle.date_text));
  dialog = open_dialog();
  CHECK(dialog != nullptr);
  if (!dialog) return;
  CHECK(TextOf(GetDlgItem(dialog, 1148)).find("copy.png") != std::string::npos);
  confirm(dialog, saved);
  HWND prompt = nullptr;
  CHECK(WaitFor([&] { return (prompt = DialogOwnedBy(dialog)) != nullptr; }, 5000));
  if (!prompt) return;
  PostMessageA(prompt, WM_COMMAND, IDNO, 0);
  CHECK(gone(prompt));
  Sleep(300);
  CHECK(IsWindow(dialog));
  CHECK(SameBytes(saved, newest));
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  CHECK(gone(dialog));
  Sleep(300);
  CHECK(SameBytes(saved, newest));

  // Yes replaces it with the picture now on show.
  dialog = open_dialog();
  CHECK(dialog != nullptr);
  if (!dialog) return;
  confirm(dialog, saved);
  prompt = nullptr;
  CHECK(WaitFor([&] { return (prompt = DialogOwnedBy(dialog)) != nullptr; }, 5000));
  if (!prompt) return;
  PostMessageA(prompt, WM_COMMAND, IDYES, 0);
  CHECK(gone(dialog));
  CHECK(WaitFor([&] { return SameBytes(saved, middle); }, 5000));

  // A name typed and then cancelled is never written, after a confirmed save too.
  dialog = open_dialog();
  CHECK(dialog != nullptr);
  if (!dialog) return;
  SendMessageA(GetDlgItem(dialog, 1148), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(never.c_str()));
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  CHECK(gone(dialog));
  Sleep(500);
  CHECK(!FileExists(never));
  CHECK(SameBytes(saved, middle));
  CHECK(!app.Exited());
}

TEST(tab_and_shift_tab_cycle_space_presses_and_esc_closes) {
  Fixture fx("keys");
  FillUsualFolder(fx);
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  HWND main = app.main();
  if (!main) return;
  SetForegroundWindow(main);

  const char* order[] = {"取最近推送", "取上一次推送", "取下一次推送", "设置桌面壁纸", "保存图片"};
  auto focus_is = [&](int i) {
    HWND want = app.Button(order[((i % 5) + 5) % 5]);
    return WaitFor([&] { return app.Focus() == want; }, 3000);
  };
  CHECK(focus_is(0));
  for (int i = 1; i <= 6; ++i) {
    CHECK_CONTEXT(std::string("Tab to ") + order[i % 5]);
    Type({VK_TAB});
    CHECK(focus_is(i));
  }
  // The focus is on 按钮2 now; back through the wrap.
  for (int i = 0; i >= -6; --i) {
    CHECK_CONTEXT(std::string("Shift+Tab to ") + order[((i % 5) + 5) % 5]);
    Type({VK_TAB}, true);
    CHECK(focus_is(i));
  }
  // The focus is on 按钮5; two Tabs bring it to 按钮2, whose Space steps back.
  Type({VK_TAB, VK_TAB});
  CHECK(focus_is(1));
  Type({VK_SPACE});
  CHECK_EQ(WaitForStatus(app, 1, kMiddle.date_text), std::string(kMiddle.date_text));

  Type({VK_ESCAPE}, true);
  Sleep(500);
  CHECK(!app.Exited());
  Type({VK_ESCAPE});
  CHECK_EQ(app.WaitExit(10000), 0UL);
}

TEST(empty_folder_shows_the_placeholder) {
  Fixture fx("empty");
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  if (!app.main()) return;
  const std::string no_date = "推送日期：1899年12月30日";
  CHECK_EQ(StatusText(app.StatusBar(), 0), std::string("推送总数：1"));
  CHECK_EQ(StatusText(app.StatusBar(), 1), no_date);

  const DWORD face = GetSysColor(COLOR_BTNFACE);
  const Rgb background{GetRValue(face), GetGValue(face), GetBValue(face)};
  CHECK_EQ(WaitForPicture(app, background, background), std::string());
  Pixels box = CaptureClient(app.PictureBox());
  int other = 0;
  for (int y = 0; y < box.height; ++y)
    for (int x = 0; x < box.width; ++x) other += box.At(x, y) == background ? 0 : 1;
  CHECK_EQ(other, 0);

  for (const char* button : {"取上一次推送", "取下一次推送", "取最近推送"}) {
    CHECK_CONTEXT(button);
    CHECK(Press(app, button));
    Sleep(200);
    CHECK_EQ(StatusText(app.StatusBar(), 1), no_date);
    CHECK_EQ(StatusText(app.StatusBar(), 0), std::string("推送总数：1"));
  }
  PostMessageA(app.main(), WM_CLOSE, 0, 0);
  CHECK_EQ(app.WaitExit(10000), 0UL);
}

TEST(one_picture_stays_on_every_step) {
  Fixture fx("single");
  fx.Add(kMiddle.name, SplitBmp(64, 36, kMiddle.left, kMiddle.right), kMiddle.written);
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  if (!app.main()) return;
  CHECK_EQ(StatusText(app.StatusBar(), 0), std::string("推送总数：1"));
  for (const char* button : {"", "取上一次推送", "取下一次推送", "取下一次推送", "取最近推送"}) {
    CHECK_CONTEXT(button);
    if (*button) CHECK(Press(app, button));
    Sleep(100);
    CHECK_EQ(WaitForStatus(app, 1, kMiddle.date_text), std::string(kMiddle.date_text));
    CHECK_EQ(WaitForPicture(app, kMiddle.left, kMiddle.right), std::string());
  }
}

TEST(two_copies_run_side_by_side) {
  Fixture three("three");
  FillUsualFolder(three);
  Fixture none("none");
  Program first, second;
  CHECK(first.Start(Exe(), three.tmp(), three.root()));
  CHECK(second.Start(Exe(), none.tmp(), none.root()));
  if (!first.main() || !second.main()) return;
  CHECK(first.main() != second.main());
  CHECK_EQ(StatusText(first.StatusBar(), 0), std::string("推送总数：3"));
  CHECK_EQ(StatusText(second.StatusBar(), 0), std::string("推送总数：1"));
  PostMessageA(second.main(), WM_CLOSE, 0, 0);
  CHECK_EQ(second.WaitExit(10000), 0UL);
  CHECK(Press(first, "取上一次推送"));
  CHECK_EQ(WaitForStatus(first, 1, kMiddle.date_text), std::string(kMiddle.date_text));
  PostMessageA(first.main(), WM_CLOSE, 0, 0);
  CHECK_EQ(first.WaitExit(10000), 0UL);
}

TEST(jpeg_and_png_pictures_show_and_save_unchanged) {
  struct File {
    const char* corpus;
    const char* name;
    FILETIME written;
    const char* date_text;
  };
  const File files[] = {
      {"../shared/corpora/jpeg/libjpeg-turbo/testorig.jpg",
       "7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a",
       UtcFileTime(2025, 1, 2, 3, 4, 5), "推送日期：2025年1月2日3时4分5秒"},
      {"../shared/corpora/bmp/bmpsuite/html/rgb24.png",
       "1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b1b",
       UtcFileTime(2024, 12, 31, 0, 0, 0), "推送日期：2024年12月31日"},
  };
  Fixture fx("formats");
  for (const File& f : files) {
    Bytes bytes;
    CHECK(ReadFileBytes(f.corpus, bytes));
    fx.Add(f.name, bytes, f.written);
  }
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  if (!app.main()) return;
  CHECK_EQ(StatusText(app.StatusBar(), 0), std::string("推送总数：2"));

  const DWORD face = GetSysColor(COLOR_BTNFACE);
  const Rgb background{GetRValue(face), GetGValue(face), GetBValue(face)};
  int n = 0;
  for (const File& f : files) {
    CHECK_CONTEXT(f.corpus);
    if (n++ > 0) CHECK(Press(app, "取上一次推送"));
    CHECK_EQ(WaitForStatus(app, 1, f.date_text), std::string(f.date_text));
    // A photograph or a colour pattern fills the box: many colours, no background.
    int distinct = 0, on_background = 0;
    WaitFor(
        [&] {
          GridColours(CaptureClient(app.PictureBox()), background, distinct, on_background);
          return distinct >= 20 && on_background == 0;
        },
        5000);
    CHECK(distinct >= 20);
    CHECK_EQ(on_background, 0);
    const std::string copy = fx.root() + "copy-" + std::to_string(n) + ".jpg";
    CHECK(SaveAs(app, copy));
    CHECK(WaitFor([&] { return SameBytes(copy, f.corpus); }, 5000));
  }
}

TEST(animated_gif_plays_in_the_picture_box) {
  Fixture fx("gif");
  fx.Add("a11a11a11a11a11a11a11a11a11a11a11a11a11a11a11a11a11a11a11a11a11a",
         SolidFramesGif(64, 36, {kRed, kBlue}, 20), UtcFileTime(2024, 7, 1, 10, 0, 0));
  Program app;
  CHECK(app.Start(Exe(), fx.tmp(), fx.root()));
  if (!app.main()) return;
  CHECK_EQ(StatusText(app.StatusBar(), 0), std::string("推送总数：1"));
  CHECK_EQ(StatusText(app.StatusBar(), 1), std::string("推送日期：2024年7月1日10时"));

  HWND box = app.PictureBox();
  bool red = false, blue = false;
  std::vector<Pixels> shots;
  WaitFor(
      [&] {
        Pixels shot = CaptureClient(box);
        Rgb middle = shot.At(shot.width / 2, shot.height / 2);
        red = red || Near(middle, kRed);
        blue = blue || Near(middle, kBlue);
        if (shots.empty() || !(shots.back() == shot)) shots.push_back(std::move(shot));
        return red && blue;
      },
      4000);
  CHECK(red);
  CHECK(blue);
  CHECK(shots.size() >= 2);
}
