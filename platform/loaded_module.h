#pragma once
// A shared object the program carries inside its own file, loaded only when a run needs it:
// the program stays one file, and a run that does not need the object maps none of the
// libraries it depends on. POSIX only (loaded_module_posix.cpp); a Windows program links
// what it uses.

#include <span>
#include <string>

namespace compactor {

// Loads the shared object whose bytes are `bytes` from memory, without writing it to any
// folder, and returns the address of its symbol `symbol`. Returns nullptr, with the reason
// in `why`, when it cannot be loaded (a library it needs is missing, for example). A loaded
// object stays loaded until the program ends.
void* load_carried_module(std::span<const unsigned char> bytes, const char* name, const char* symbol,
                          std::string& why);

}  // namespace compactor
