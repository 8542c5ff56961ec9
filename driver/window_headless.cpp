#include <cstdio>

#include "driver/progress_window.h"

namespace compactor {

void HeadlessWindow::message_box(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

#ifndef COMPACTOR_HAVE_WINDOW
std::unique_ptr<ProgressWindow> open_progress_window() { return std::make_unique<HeadlessWindow>(); }
#endif

}  // namespace compactor
