#pragma once
// Writing a whole file so that readers, a killed process or a full disk
// never see a part of it.
#include <filesystem>
#include <string_view>

#include "quillon/export.h"

namespace quillon {

// Writes `content` under a temporary name in the file's folder, syncs it and
// renames it over `file`. Throws quillon::Error with the reason; the old file
// is then untouched.
QUILLON_API void writeFileAtomically(const std::filesystem::path& file, std::string_view content);

}  // namespace quillon
