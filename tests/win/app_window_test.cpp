// MainWindow as the layout gives it: the window, its controls, their order,
// the status bar parts, the picture box's bytes, the keyboard, and the clicks
// through the handlers.
#include "tests/win/app_test_support.h"

#include <psapi.h>

#include "services/date.h"
#include "tests/support/check.h"

using namespace app_test;

TEST(WindowHasItsCaptionStylesSizeAndPlace) {
  RunningWindow running(ThreePictures());
  CHECK(running.created);
  HWND hwnd = running.window.hwnd();
  CHECK_EQ(WindowText(hwnd), std::string("Verandel"));
  auto style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  DWORD wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  CHECK_EQ(style & wanted, wanted);
  CHECK_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP), DWORD{0});
  // The system adds the edge of a captioned window; nothing else is asked for.
  CHECK_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)) & ~DWORD{WS_EX_WINDOWEDGE},
           DWORD{0});
  CHECK(GetWindow(hwnd, GW_OWNER) == nullptr);

  RECT outer;
  GetWindowRect(hwnd, &outer);
  CHECK_EQ(outer.right - outer.left, 596L);
  CHECK_EQ(outer.bottom - outer.top, 434L);
  CHECK_EQ(outer.left, static_cast<LONG>((GetSystemMetrics(SM_CXSCREEN) - 596) / 2));
  CHECK_EQ(outer.top, static_cast<LONG>((GetSystemMetrics(SM_CYSCREEN) - 434) / 2));

  CHECK(!IsWindowVisible(hwnd));  // still hidden after the created event
  CHECK(SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0) != 0);
  CHECK(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0) != 0);
  CHECK_EQ(SendMessageA(hwnd, WM_GETFONT, 0, 0),
           reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
  CHECK_EQ(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND),
           reinterpret_cast<ULONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
}

TEST(ControlsFollowTheLayoutInTheirZOrder) {
  RunningWindow running(ThreePictures());
  MainWindow& w = running.window;
  constexpr DWORD kButton = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | WS_CHILD |
                            WS_CLIPSIBLINGS | WS_TABSTOP | WS_VISIBLE;
  struct Row {
    const char* name;
    HWND hwnd;
    const char* className;
    RECT rect;
    const char* text;
    DWORD style;
  };
  // Top of the z-order first, which is also the order of creation.
  const Row rows[] = {
      {"按钮5", w.按钮5.hwnd(), "Button", {488, 336, 568, 368}, "保存图片", kButton},
      {"按钮4", w.按钮4.hwnd(), "Button", {368, 336, 488, 368}, "设置桌面壁纸", kButton},
      {"按钮3", w.按钮3.hwnd(), "Button", {248, 336, 368, 368}, "取下一次推送", kButton},
      {"状态条1",
       w.状态条1.hwnd(),
       "msctls_statusbar32",
       {},
       nullptr,
       WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBT_TOOLTIPS},
      {"按钮2", w.按钮2.hwnd(), "Button", {128, 336, 248, 368}, "取上一次推送", kButton},
      {"图片框1",
       w.图片框1.hwnd(),
       PictureBox::kClassName,
       {8, 8, 584, 332},
       "",
       WS_CHILD | WS_VISIBLE | WS_BORDER},
      {"按钮1", w.按钮1.hwnd(), "Button", {8, 336, 128, 368}, "取最近推送", kButton},
  };
  HWND child = GetWindow(w.hwnd(), GW_CHILD);
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    CHECK(child == row.hwnd);
    child = GetWindow(child, GW_HWNDNEXT);
    CHECK_EQ(ClassName(row.hwnd), std::string(row.className));
    auto style = static_cast<DWORD>(GetWindowLongA(row.hwnd, GWL_STYLE));
    CHECK_EQ(style & row.style, row.style);
    CHECK_EQ(style & DWORD{WS_DISABLED}, DWORD{0});
    if (row.hwnd == w.状态条1.hwnd()) {
      CHECK_EQ(style & DWORD{SBARS_SIZEGRIP}, DWORD{0});
    } else if (std::string(row.className) == "Button") {
      CHECK_EQ(style & DWORD{BS_TYPEMASK}, DWORD{BS_PUSHBUTTON});  // none is a default button
    }
    CHECK_EQ(SendMessageA(row.hwnd, WM_GETFONT, 0, 0),
             row.hwnd == w.图片框1.hwnd()
                 ? LRESULT{0}
                 : reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
    if (row.text != nullptr) CHECK_EQ(WindowText(row.hwnd), std::string(row.text));
    if (row.hwnd == w.状态条1.hwnd()) continue;
    RECT rect = ChildRect(row.hwnd);
    CHECK_EQ(rect.left, row.rect.left);
    CHECK_EQ(rect.top, row.rect.top);
    CHECK_EQ(rect.right, row.rect.right);
    CHECK_EQ(rect.bottom, row.rect.bottom);
  }
  CHECK(child == nullptr);  // nothing else: the file dialog has no window

  // The status bar is docked along the bottom, the client's full width.
  RECT client, bar = ChildRect(w.状态条1.hwnd());
  GetClientRect(w.hwnd(), &client);
  CHECK_EQ(bar.left, 0L);
  CHECK_EQ(bar.right, client.right);
  CHECK_EQ(bar.bottom, client.bottom);
  int edges[4] = {};
  CHECK_EQ(SendMessageA(w.状态条1.hwnd(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)),
           LRESULT{2});
  CHECK_EQ(edges[0], 100);
  CHECK_EQ(edges[1], -1);

  // The picture box shows its picture inside a one-pixel border.
  RECT inside;
  GetClientRect(w.图片框1.hwnd(), &inside);
  CHECK_EQ(inside.right, 574L);
  CHECK_EQ(inside.bottom, 322L);
}

TEST(CreatedEventShowsTheNewestBeforeTheWindowIsSeen) {
  RunningWindow running(ThreePictures());
  MainWindow& w = running.window;
  CHECK(!IsWindowVisible(w.hwnd()));
  CHECK_EQ(PartText(w.状态条1.hwnd(), 0), std::string("推送总数：3"));
  CHECK_EQ(PartText(w.状态条1.hwnd(), 1), "推送日期：" + DateToText(43893.25));
  CHECK_EQ(PartText(w.状态条1.hwnd(), 1), std::string("推送日期：2020年3月3日6时"));
  CHECK(BufferBytes(w.图片框1.GetPicture()) == CorpusBytes(kFlower));
  CHECK_EQ(g_current->path, std::string(kFlower));
  CHECK_EQ(g_catalog->cursor(), 3);
}

TEST(PlaceholderLeavesTheBoxEmpty) {
  RunningWindow running(PlaceholderOnly());
  MainWindow& w = running.window;
  CHECK_EQ(PartText(w.状态条1.hwnd(), 0), std::string("推送总数：1"));
  CHECK_EQ(PartText(w.状态条1.hwnd(), 1), std::string("推送日期：1899年12月30日"));
  CHECK(w.图片框1.GetPicture().empty());
  // Stepping keeps showing the one entry.
  SendMessageA(w.按钮2.hwnd(), BM_CLICK, 0, 0);
  SendMessageA(w.按钮3.hwnd(), BM_CLICK, 0, 0);
  CHECK_EQ(g_catalog->cursor(), 1);
  CHECK_EQ(g_current->path, std::string("未搜索到推送"));
}

TEST(SetPartTextIgnoresIndexesOutsideTheParts) {
  RunningWindow running(PlaceholderOnly());
  StatusBar& bar = running.window.状态条1;
  bar.SetPartText(0, "a");
  bar.SetPartText(1, "b");
  struct Row {
    int index;
    const char* text;
    const char* part0;
    const char* part1;
  };
  const Row rows[] = {
      {2, "x", "a", "b"},
      {-1, "x", "a", "b"},
      {100, "x", "a", "b"},
      {1, "", "a", ""},
      {0, "推送总数：7", "推送总数：7", ""},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT("index " + std::to_string(row.index));
    bar.SetPartText(row.index, row.text);
    CHECK_EQ(PartText(bar.hwnd(), 0), std::string(row.part0));
    CHECK_EQ(PartText(bar.hwnd(), 1), std::string(row.part1));
    CHECK_EQ(bar.PartText(0), std::string(row.part0));
    CHECK_EQ(bar.PartText(1), std::string(row.part1));
  }
}

TEST(PictureBoxGivesBackExactlyItsBytes) {
  RunningWindow running(PlaceholderOnly());
  PictureBox box;
  CHECK(box.Create(running.window.hwnd(), 999, 0, 0, 40, 30));
  CHECK(box.GetPicture().empty());

  const std::string text = "not a picture, only text\r\n";
  const std::vector<std::uint8_t> textBytes(text.begin(), text.end());
  std::vector<std::uint8_t> flower = CorpusBytes(kFlower);
  struct Row {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Row rows[] = {
      {"text", textBytes}, {"jpeg", flower}, {"empty", {}}, {"text again", textBytes}};
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    ByteBuffer given = ByteBuffer::FromBytes(row.bytes);
    box.SetPicture(given);
    given = ByteBuffer();  // the box keeps its own copy
    ShowWindow(box.hwnd(), SW_SHOWNA);
    UpdateWindow(box.hwnd());
    CHECK(BufferBytes(box.GetPicture()) == row.bytes);
    CHECK(!box.IsAnimating());
  }
}

TEST(ButtonsStepThroughTheCatalogue) {
  RunningWindow running(ThreePictures());
  MainWindow& w = running.window;
  struct Row {
    HWND button;
    const char* path;
    DateValue date;
    int cursor;
  };
  const Row rows[] = {
      {w.按钮2.hwnd(), kAnimated, 43892.5, 2}, {w.按钮2.hwnd(), kPng, 43891.0, 1},
      {w.按钮2.hwnd(), kFlower, 43893.25, 3},  {w.按钮3.hwnd(), kPng, 43891.0, 1},
      {w.按钮3.hwnd(), kAnimated, 43892.5, 2}, {w.按钮1.hwnd(), kFlower, 43893.25, 3},
  };
  int step = 0;
  for (const Row& row : rows) {
    CHECK_CONTEXT("click " + std::to_string(++step));
    SendMessageA(row.button, BM_CLICK, 0, 0);
    CHECK_EQ(g_catalog->cursor(), row.cursor);
    CHECK_EQ(g_current->path, std::string(row.path));
    CHECK(BufferBytes(w.图片框1.GetPicture()) == CorpusBytes(row.path));
    CHECK_EQ(PartText(w.状态条1.hwnd(), 1), "推送日期：" + DateToText(row.date));
    CHECK_EQ(PartText(w.状态条1.hwnd(), 0), std::string("推送总数：3"));  // set once
  }
}

TEST(AnimatedGifPlaysOnTheGuiThread) {
  RunningWindow running(ThreePictures());
  MainWindow& w = running.window;
  SendMessageA(w.按钮2.hwnd(), BM_CLICK, 0, 0);  // chi.gif, 31 frames
  CHECK(w.图片框1.IsAnimating());
  std::size_t before = w.图片框1.FramesShown();
  Pump(&w, 600);
  CHECK(w.图片框1.FramesShown() > before + 2);
  SendMessageA(w.按钮2.hwnd(), BM_CLICK, 0, 0);  // a PNG stops the player
  CHECK(!w.图片框1.IsAnimating());
  std::size_t stopped = w.图片框1.FramesShown();
  Pump(&w, 200);
  CHECK_EQ(w.图片框1.FramesShown(), stopped);

  // A GIF of a single image is a still picture.
  ByteBuffer still =
      ByteBuffer::FromBytes(CorpusBytes("..\\shared\\corpora\\gif\\pillow\\hopper.gif"));
  w.图片框1.SetPicture(still);
  CHECK(!w.图片框1.IsAnimating());
}

TEST(KeyboardMovesTheFocusAndEscCloses) {
  RunningWindow running(ThreePictures());
  MainWindow& w = running.window;
  w.Show();
  Pump(&w, 50);
  CHECK(GetFocus() == w.按钮1.hwnd());

  BYTE keys[256] = {};
  auto press = [&](WPARAM key, bool shift, bool control) {
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = control ? 0x80 : 0;
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    MSG message = {};
    message.hwnd = GetFocus();
    message.message = WM_KEYDOWN;
    message.wParam = key;
    bool handled = w.PreTranslateMessage(message);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    return handled;
  };
  struct Row {
    const char* name;
    int from;
    WPARAM key;
    bool shift, control;
    bool handled;
    int to;
  };
  const Row rows[] = {
      {"Tab", 0, VK_TAB, false, false, true, 1},
      {"Tab wraps", 4, VK_TAB, false, false, true, 0},
      {"Shift+Tab", 2, VK_TAB, true, false, true, 1},
      {"Shift+Tab wraps", 0, VK_TAB, true, false, true, 4},
      {"Ctrl+Tab is not ours", 1, VK_TAB, false, true, false, 1},
      {"Enter does nothing", 3, VK_RETURN, false, false, true, 3},
      {"F1 does nothing", 3, VK_F1, false, false, true, 3},
      {"Shift+Esc is not ours", 2, VK_ESCAPE, true, false, false, 2},
      {"Ctrl+Esc is not ours", 2, VK_ESCAPE, false, true, false, 2},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    SetFocus(w.FocusOrder(row.from));
    int cursor = g_catalog->cursor();
    CHECK_EQ(press(row.key, row.shift, row.control), row.handled);
    CHECK(GetFocus() == w.FocusOrder(row.to));
    CHECK_EQ(g_catalog->cursor(), cursor);  // no key clicked a button
    CHECK(IsWindow(w.hwnd()));
  }
  SetFocus(w.按钮3.hwnd());
  CHECK(press(VK_ESCAPE, false, false));
  CHECK(!IsWindow(w.hwnd()) || w.hwnd() == nullptr);
}

namespace {

// Keys through the system's input queue, as typed, then handled by the loop.
void Type(MainWindow& window, WORD key, bool shift = false) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (shift) add(VK_SHIFT, false);
  add(key, false);
  add(key, true);
  if (shift) add(VK_SHIFT, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump(&window, 100);
}

}  // namespace

TEST(TypedKeysMoveTheFocusPressButtonsAndClose) {
  RunningWindow running(ThreePictures());
  MainWindow& w = running.window;
  w.Show();
  Pump(&w, 100);
  CHECK(GetFocus() == w.按钮1.hwnd());
  Type(w, VK_TAB);
  Type(w, VK_TAB);
  CHECK(GetFocus() == w.按钮3.hwnd());
  Type(w, VK_SPACE);  // 按钮3: from the newest, wrapping to the oldest
  CHECK_EQ(g_catalog->cursor(), 1);
  Type(w, VK_TAB, true);
  CHECK(GetFocus() == w.按钮2.hwnd());
  Type(w, VK_RETURN);  // no default button: nothing is pressed
  CHECK_EQ(g_catalog->cursor(), 1);
  Type(w, VK_ESCAPE, true);
  CHECK(w.hwnd() != nullptr);
  Type(w, VK_ESCAPE);
  CHECK(w.hwnd() == nullptr);
}

TEST(TwoHundredClicksLeaveGdiObjectsAndMemoryAsTheyWere) {
  RunningWindow running(ThreePictures());
  MainWindow& w = running.window;
  w.Show();
  const HWND buttons[] = {w.按钮1.hwnd(), w.按钮2.hwnd(), w.按钮3.hwnd(), w.按钮2.hwnd(),
                          w.按钮4.hwnd()};
  auto clicks = [&](int count) {
    for (int i = 0; i < count; ++i) {
      SendMessageA(buttons[i % 5], BM_CLICK, 0, 0);
      UpdateWindow(w.图片框1.hwnd());  // every picture is drawn
      Pump(&w);
    }
  };
  // A first round brings the heap and the system's caches to their steady
  // size; the second must not add to it. Counting the GDI slots fills the
  // handle table once, which grows the heap: it comes before the first
  // memory reading and after the last.
  clicks(200);
  std::size_t slotsBefore = FreeGdiSlots();
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  SIZE_T committedBefore = memory.PagefileUsage;
  SIZE_T workingSetBefore = memory.WorkingSetSize;

  DWORD started = GetTickCount();
  clicks(200);
  DWORD elapsed = GetTickCount() - started;

  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  std::size_t slotsAfter = FreeGdiSlots();
  CHECK(slotsBefore > 1000);
  CHECK_EQ(slotsAfter, slotsBefore);
  // 200 pictures of up to 480 x 360 went through: a leak of one of them per
  // click would be tens of megabytes.
  auto growth = [](SIZE_T after, SIZE_T before) {
    return static_cast<long long>(after) - static_cast<long long>(before);
  };
  long long committedGrown = growth(memory.PagefileUsage, committedBefore);
  long long workingSetGrown = growth(memory.WorkingSetSize, workingSetBefore);
  std::printf("  200 clicks with their paints in %lu ms\n", static_cast<unsigned long>(elapsed));
  std::printf("  GDI slots %zu -> %zu; committed bytes %+lld, working set %+lld (of %zu)\n",
              slotsBefore, slotsAfter, committedGrown, workingSetGrown,
              static_cast<std::size_t>(memory.WorkingSetSize));
  CHECK(committedGrown < 2 * 1024 * 1024);
  CHECK(workingSetGrown < 2 * 1024 * 1024);
}
