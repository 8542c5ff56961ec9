#pragma once
// UTF-8 text as the wide characters of the Windows API, for the Windows halves of the
// program, its window and its tests. Defined in env_win32.cpp.

#include <string>

namespace compactor {

std::wstring widen(const std::string& s);

}  // namespace compactor
