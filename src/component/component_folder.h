#pragma once
#include <filesystem>

namespace quillon {

// The folder given, else $QUILLON_HOME, else the folder of the library's own
// file.
std::filesystem::path resolveComponentFolder(const std::filesystem::path& given);

}  // namespace quillon
