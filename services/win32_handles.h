// Owners of Win32 handles: each closes, deletes or releases its handle when it
// goes out of scope. Move-only; copying is deleted so a handle has one owner.
#pragma once

#include <windows.h>

#include <utility>

// A handle owned through Traits: Traits::Empty() is the no-handle value,
// Traits::IsEmpty(h) tells it apart, Traits::Close(h) gives the handle back.
template <typename Traits>
class UniqueWin32 {
 public:
  using Handle = typename Traits::Handle;

  UniqueWin32() = default;
  explicit UniqueWin32(Handle handle) : handle_(handle) {}
  ~UniqueWin32() { reset(); }
  UniqueWin32(UniqueWin32&& other) noexcept : handle_(other.release()) {}
  UniqueWin32& operator=(UniqueWin32&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueWin32(const UniqueWin32&) = delete;
  UniqueWin32& operator=(const UniqueWin32&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return !Traits::IsEmpty(handle_); }
  // Gives up ownership without closing.
  Handle release() { return std::exchange(handle_, Traits::Empty()); }
  void reset(Handle handle = Traits::Empty()) {
    Handle old = std::exchange(handle_, handle);
    if (!Traits::IsEmpty(old)) Traits::Close(old);
  }

 private:
  Handle handle_ = Traits::Empty();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  // CreateFileA fails with INVALID_HANDLE_VALUE, most others with NULL.
  static bool IsEmpty(Handle h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
using UniqueHandle = UniqueWin32<KernelHandleTraits>;

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsEmpty(Handle h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};
using UniqueFindHandle = UniqueWin32<FindHandleTraits>;

template <typename GdiHandle>
struct GdiObjectTraits {
  using Handle = GdiHandle;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
using UniqueBitmap = UniqueWin32<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueWin32<GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueWin32<GdiObjectTraits<HFONT>>;

struct IconTraits {
  using Handle = HICON;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};
using UniqueIcon = UniqueWin32<IconTraits>;

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
using UniqueRegistryKey = UniqueWin32<RegistryKeyTraits>;

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};
using MemoryDc = UniqueWin32<MemoryDcTraits>;

// The device context of a window (the screen for no window) from GetDC,
// given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(WindowDc&& other) noexcept
      : hwnd_(other.hwnd_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&&) = delete;
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// An object selected into a device context for the scope; the one it replaced
// is selected back at the end, so the object can then be deleted.
class SelectedObject {
  // HGDI_ERROR, without the macro's sign-changing cast.
  static HGDIOBJ Error() { return reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1)); }

 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (old_ != nullptr && old_ != Error()) SelectObject(dc_, old_);
  }
  SelectedObject(SelectedObject&& other) noexcept
      : dc_(other.dc_), old_(std::exchange(other.old_, nullptr)) {}
  SelectedObject& operator=(SelectedObject&&) = delete;
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

  // False when the selection failed.
  explicit operator bool() const { return old_ != nullptr && old_ != Error(); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};
