// Shows the progress window and stops itself at once, so that a test can look at what the
// repaint left on screen while the program runs nothing else (as during the build).
#include <csignal>

#include "driver/progress_window.h"

int main() {
  auto window = compactor::open_progress_window();
  window->show_and_repaint();
  std::raise(SIGSTOP);
  return 0;
}
