#pragma once
// Exit statuses of the program and of its companion tools.

namespace compactor {

inline constexpr int kExitBuilt = 0;      // built (conflicts of the pass are only warnings)
inline constexpr int kExitErrore = 1;     // errore: reserved place 1250 / 1251 taken
inline constexpr int kExitFileError = 2;  // a file that cannot be read or written; usage errors of the tools
inline constexpr int kExitCompilerFault = 3;  // a compiler fault
inline constexpr int kExitUsage = 2;          // a wrong command line: nothing written

}  // namespace compactor
