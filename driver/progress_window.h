#pragma once
// The progress window behind a small interface, so the core and the tests never
// see the toolkit: show and repaint once, a blocking message box, and the end.

#include <memory>
#include <string>

namespace compactor {

class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // Shows Form1 with "Attendere", not modal, and repaints it before returning.
  virtual void show_and_repaint() = 0;
  // A message box with a single OK button and no icon; blocks until it is closed.
  virtual void message_box(const std::string& text) = 0;
};

// Without a display: nothing is drawn and a message goes to standard error as one line.
class HeadlessWindow : public ProgressWindow {
 public:
  void show_and_repaint() override {}
  void message_box(const std::string& text) override;
};

// The window of the toolkit the program was built with when a display can be
// opened; the headless one otherwise.
std::unique_ptr<ProgressWindow> open_progress_window();

}  // namespace compactor
