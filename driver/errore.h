#pragma once

#include <string>

#include "driver/progress_window.h"

namespace compactor {

// Shows " Errore n. " followed by a in a message box and ends the program (status 1).
[[noreturn]] void errore(const std::string& a, ProgressWindow& window);

// The message text of errore.
inline std::string errore_message(const std::string& a) { return " Errore n. " + a; }

}  // namespace compactor
