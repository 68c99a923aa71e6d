#include "app/picture_box.h"

#include "services/picture/format.h"

namespace {

constexpr UINT_PTR kAnimationTimer = 1;

bool RegisterPictureBoxClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXA windowClass = {};
  if (GetClassInfoExA(instance, PictureBox::kClassName, &windowClass)) return true;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.lpszClassName = PictureBox::kClassName;
  return RegisterClassExA(&windowClass) != 0;
}

}  // namespace

PictureBox::~PictureBox() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  ClearPicture();
  if (backgroundBrush_ != nullptr) DeleteObject(backgroundBrush_);
}

bool PictureBox::Create(HWND parent, int id, int x, int y, int width, int height) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterPictureBoxClass(instance, WindowProc)) return false;
  HWND created = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_BORDER | WS_CLIPSIBLINGS, x, y,
                                 width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
  return created != nullptr;
}

void PictureBox::ClearPicture() {
  if (hwnd_ != nullptr) KillTimer(hwnd_, kAnimationTimer);
  animation_.reset();
  frame_ = DecodedPicture();
  framesShown_ = 0;
  FreeDecodedPicture(decoded_);
  decoded_ = nullptr;
}

void PictureBox::SetPicture(const ByteBuffer& bytes) {
  ClearPicture();  // the animation reads the stored bytes: stop it before they go
  bytes_ = bytes.Copy();
  if (!StartAnimation()) decoded_ = DecodePicture(bytes_.data(), bytes_.size());
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

ByteBuffer PictureBox::GetPicture() const { return bytes_.Copy(); }

bool PictureBox::StartAnimation() {
  if (DetectPictureFormat(bytes_.bytes()) != PictureFormat::Gif) return false;
  animation_ = GifAnimation::Open(bytes_.bytes());
  // A single image is a still picture, drawn like any other.
  if (!animation_ || animation_->FrameCount() < 2) {
    animation_.reset();
    return false;
  }
  std::optional<Image> canvas = AllocateImage(animation_->width(), animation_->height());
  if (!canvas) {
    animation_.reset();
    return false;
  }
  // The composed frame carries transparency: drawn with the rule that puts
  // transparent pixels over the background colour.
  frame_.format = PictureFormat::Png;
  frame_.width = canvas->width;
  frame_.height = canvas->height;
  frame_.image = std::move(*canvas);
  ShowNextFrame();
  return true;
}

void PictureBox::ShowNextFrame() {
  std::size_t shown = animation_->ShowNext(frame_.image);
  ++framesShown_;
  if (hwnd_ == nullptr) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  if (animation_->Finished()) {
    KillTimer(hwnd_, kAnimationTimer);
  } else {
    SetTimer(hwnd_, kAnimationTimer, animation_->Frame(shown).delayMs, nullptr);
  }
}

LRESULT CALLBACK PictureBox::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    auto* self = static_cast<PictureBox*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PictureBox*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  return self->HandleMessage(message, wparam, lparam);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_ERASEBKGND:
      return 1;  // the paint fills the whole box itself
    case WM_PAINT:
      return OnPaint();
    case WM_TIMER:
      return OnTimer(wparam);
    case WM_DESTROY:
      return OnDestroy();
    default:
      return DefWindowProcA(hwnd_, message, wparam, lparam);
  }
}

LRESULT PictureBox::OnCreate() {
  background_ = GetSysColor(COLOR_BTNFACE);
  if (backgroundBrush_ == nullptr) backgroundBrush_ = CreateSolidBrush(background_);
  return 0;
}

LRESULT PictureBox::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  RECT client;
  GetClientRect(hwnd_, &client);
  HGDIOBJ previous = SelectObject(dc, backgroundBrush_);
  PatBlt(dc, 0, 0, client.right, client.bottom, PATCOPY);
  SelectObject(dc, previous);
  const DecodedPicture* shown = animation_ ? &frame_ : decoded_;
  if (shown != nullptr) DrawPicture(dc, shown, background_, 0, 0, client.right, client.bottom);
  EndPaint(hwnd_, &paint);
  return 0;
}

LRESULT PictureBox::OnTimer(WPARAM id) {
  if (id == kAnimationTimer && animation_) ShowNextFrame();
  return 0;
}

LRESULT PictureBox::OnDestroy() {
  KillTimer(hwnd_, kAnimationTimer);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  return 0;
}
