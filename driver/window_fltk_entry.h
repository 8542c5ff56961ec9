#pragma once
// The entry point of the FLTK window module, which the program loads at run time.

#include "driver/progress_window.h"

// Opens the X display display_name and a progress window on it, whose message box carries
// title; null when the display cannot be opened. The caller owns the window.
extern "C" compactor::ProgressWindow* compactor_open_fltk_window(const char* display_name, const char* title);
using OpenFltkWindow = decltype(&compactor_open_fltk_window);
inline constexpr const char* kOpenFltkWindowSymbol = "compactor_open_fltk_window";
