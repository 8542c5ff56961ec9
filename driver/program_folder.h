#pragma once
// The program's folder: the folder that holds the executable, found at run time.

#include <filesystem>

namespace compactor {

std::filesystem::path program_folder();

}  // namespace compactor
