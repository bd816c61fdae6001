#pragma once
// Writing a whole file so that readers, a killed process or a full disk
// never see a part of it.
#include <filesystem>
#include <string_view>

#include "quillon/export.h"

namespace quillon {

/// Writes `content` under a temporary name in the file's folder, syncs it and
/// renames it over `file`. Throws quillon::Error with the reason; the old file
/// is then untouched.
QUILLON_API void writeFileAtomically(const std::filesystem::path& file, std::string_view content);

/// Renames a finished file over `to` and makes the rename survive a power
/// failure. Throws quillon::Error with the reason.
QUILLON_API void renameDurably(const std::filesystem::path& from, const std::filesystem::path& to);

/// Temporary files and folders carry the number of the process that made
/// them, so that what a killed process left can be told from what a running
/// one is still writing. This removes, from `folder`, what processes that are
/// gone left under names "<prefix><pid><suffix>" (a suffix ending in "-" may
/// be followed by more). Nothing else is touched; failures are ignored, as
/// the next caller tries again. Process numbers are those of this machine: a
/// folder shared with other machines keeps their leftovers.
QUILLON_API void removeLeftovers(const std::filesystem::path& folder, std::string_view prefix,
                                 std::string_view suffix);

}  // namespace quillon
