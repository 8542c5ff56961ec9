// Shows the progress window and then does nothing for a minute, so that a test can look at
// what the repaint left on screen while the program runs nothing else (as during the build).
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "driver/progress_window.h"

int main() {
  auto window = compactor::open_progress_window();
  window->show_and_repaint();
  Sleep(60000);
  return 0;
}
