// The progress window Form1 and errore's message box, native Win32.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "driver/progress_window.h"
#include "platform/env.h"
#include "platform/wide_text_win32.h"

namespace compactor {
namespace {

// Form1 as laid out at 96 dpi: 15 twips to the pixel.
constexpr int kClientWidth = 280;
constexpr int kClientHeight = 179;
constexpr int kLabelLeft = 64;
constexpr int kLabelTop = 64;
constexpr int kLabelWidth = 177;
constexpr int kLabelHeight = 53;
// "MS Sans Serif", 24 points bold, character set 0: 32 pixels at 96 dpi.
constexpr int kLabelPixels = 32;
constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW;

constexpr wchar_t kClassName[] = L"CompactorForm1";

LRESULT CALLBACK form_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // The build never hands control back, so closing does nothing until the program ends.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

class Win32Window : public ProgressWindow {
 public:
  static std::unique_ptr<ProgressWindow> open() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = form_procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
    // Placed where the window system puts new windows.
    HWND form = CreateWindowExW(0, kClassName, L"Form1", kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                instance, nullptr);
    if (form == nullptr) return nullptr;
    HWND label = CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT, kLabelLeft,
                                 kLabelTop, kLabelWidth, kLabelHeight, form, nullptr, instance, nullptr);
    HFONT font =
        CreateFontW(-kLabelPixels, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    if (label != nullptr && font != nullptr)
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return std::unique_ptr<ProgressWindow>(new Win32Window(form, font));
  }

  ~Win32Window() override {
    DestroyWindow(form_);
    if (font_) DeleteObject(font_);
  }

  // Shows Form1, not modal and without owner, and paints it and its label before returning.
  void show_and_repaint() override {
    ShowWindow(form_, SW_SHOWNORMAL);
    RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
  }

  // A single OK button, no icon, the program's own title; blocks until it is closed.
  void message_box(const std::string& text) override {
    MessageBoxW(form_, widen(text).c_str(), widen(program_name()).c_str(), MB_OK);
  }

 private:
  Win32Window(HWND form, HFONT font) : form_(form), font_(font) {}

  HWND form_;
  HFONT font_;
};

}  // namespace

std::unique_ptr<ProgressWindow> open_progress_window() {
  if (auto window = Win32Window::open()) return window;
  return std::make_unique<HeadlessWindow>();
}

}  // namespace compactor
