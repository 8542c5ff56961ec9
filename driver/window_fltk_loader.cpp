// The progress window on Linux: the FLTK module the program carries (its bytes are put into
// this object file when it is compiled) is loaded only when there is a display to show the
// window on. A run without one maps neither FLTK nor any X library, and starts as fast as a
// program that has no window at all.

#include <cstdlib>
#include <span>
#include <string>

#include "driver/progress_window.h"
#include "driver/window_fltk_entry.h"
#include "driver/window_fltk_module.h"
#include "platform/env.h"
#include "platform/loaded_module.h"

// The module's bytes, from the file the build names in COMPACTOR_FLTK_MODULE, with its
// digest beside them (so that new bytes make a new object file, cached or not).
static_assert(sizeof(COMPACTOR_FLTK_MODULE_SHA256) == 65, "the window module's digest");
asm(R"(
  .section .rodata
  .balign 64
  .type compactor_fltk_module_begin, @object
compactor_fltk_module_begin:
  .incbin ")" COMPACTOR_FLTK_MODULE R"("
compactor_fltk_module_end:
  .previous
)");
extern "C" const unsigned char compactor_fltk_module_begin[];
extern "C" const unsigned char compactor_fltk_module_end[];

namespace compactor {

std::unique_ptr<ProgressWindow> open_progress_window() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return std::make_unique<HeadlessWindow>();
  // A module that cannot be loaded (an X library missing, say) leaves the run headless,
  // as a display that cannot be opened does.
  std::string why;
  const std::span<const unsigned char> bytes(compactor_fltk_module_begin, compactor_fltk_module_end);
  auto* open = reinterpret_cast<OpenFltkWindow>(load_carried_module(bytes, "window_fltk", kOpenFltkWindowSymbol, why));
  ProgressWindow* window = open != nullptr ? open(display, program_name().c_str()) : nullptr;
  if (window == nullptr) return std::make_unique<HeadlessWindow>();
  return std::unique_ptr<ProgressWindow>(window);
}

}  // namespace compactor
