// The progress window Form1 and errore's message box, drawn with FLTK on X11: a module of
// its own, with FLTK linked into it, which the program carries and loads only when it has a
// display to show the window on (window_fltk_loader.cpp). Its one entry point opens the
// display and the window, or returns null when the display cannot be opened.

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <string>

#include "driver/progress_window.h"
#include "driver/window_fltk_entry.h"

namespace compactor {
namespace {

// Form1 as laid out at 96 dpi: 15 twips to the pixel.
constexpr int kClientWidth = 280;
constexpr int kClientHeight = 179;
constexpr int kLabelLeft = 64;
constexpr int kLabelTop = 64;
constexpr int kLabelWidth = 177;
constexpr int kLabelHeight = 53;
// The label's face: "MS Sans Serif" bold at 24 points, 24 * 96 / 72 = 32 pixels (FLTK sizes
// are pixels). Where that face is missing, fontconfig takes Helvetica or a face of Arial's
// widths (Nimbus Sans, Liberation Sans), in which "Attendere" fits the label as it does in
// MS Sans Serif; the generic bold sans-serif of FL_HELVETICA_BOLD is too wide for it.
constexpr Fl_Font kLabelFont = FL_FREE_FONT;
constexpr const char* kLabelFace = "BMS Sans Serif,Helvetica,Arial";  // 'B': bold
constexpr Fl_Fontsize kLabelSize = 32;

// The message box: the text above a single OK button, no icon.
constexpr int kBoxMargin = 20;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kBoxMinWidth = 180;

class FltkWindow : public ProgressWindow {
 public:
  explicit FltkWindow(const char* title) : form_(kClientWidth, kClientHeight, "Form1"), title_(title) {
    // A static text: no frame, default colours, left-aligned from the top-left corner,
    // wrapped at word ends and clipped to its rectangle.
    Fl::set_font(kLabelFont, kLabelFace);
    auto* label = new Fl_Box(FL_NO_BOX, kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight, "Attendere");
    label->labelfont(kLabelFont);
    label->labelsize(kLabelSize);
    label->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP);
    form_.end();  // form_ owns the label
  }

  // Shows Form1 where the window system places new windows and waits until it is exposed
  // and drawn; after this nothing hands control back to the window system.
  void show_and_repaint() override {
    form_.show();
    form_.wait_for_expose();
    Fl::flush();
    XSync(fl_display, False);
  }

  // A modal box with the text and a single OK button; Return, a click on OK, Escape or
  // closing the box ends it. Centred on the screen, as a box without an owner is.
  void message_box(const std::string& text) override {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int text_w = 0;
    int text_h = 0;
    fl_measure(text.c_str(), text_w, text_h, 0);
    const int w = std::max(kBoxMinWidth, text_w + 2 * kBoxMargin);
    const int h = kBoxMargin + text_h + kBoxMargin + kButtonHeight + kBoxMargin / 2;

    Fl_Window box(w, h, title_.c_str());
    Fl_Box message(FL_NO_BOX, kBoxMargin, kBoxMargin, w - 2 * kBoxMargin, text_h, text.c_str());
    message.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    Fl_Button ok((w - kButtonWidth) / 2, h - kBoxMargin / 2 - kButtonHeight, kButtonWidth, kButtonHeight,
                 "OK");
    ok.shortcut(FL_Enter);
    ok.callback([](Fl_Widget* button, void*) { button->window()->hide(); });
    box.end();
    box.set_modal();
    box.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
    box.show();
    while (box.shown()) Fl::wait();
  }

 private:
  Fl_Window form_;
  std::string title_;
};

}  // namespace
}  // namespace compactor

// Opens the display for FLTK only when X can open it: FLTK's own opening ends the
// program when it fails.
extern "C" compactor::ProgressWindow* compactor_open_fltk_window(const char* display_name, const char* title) {
  Display* display = XOpenDisplay(display_name);
  if (display == nullptr) return nullptr;
  fl_open_display(display);
  return new compactor::FltkWindow(title);
}
