#include "driver/errore.h"

#include <cstdio>
#include <cstdlib>

#include "platform/env.h"

namespace compactor {

void errore(const std::string& a, ProgressWindow& window) {
  window.message_box(errore_message(a));
  std::fflush(nullptr);
  std::_Exit(kExitErrore);  // ends at once: no step after the call runs
}

}  // namespace compactor
