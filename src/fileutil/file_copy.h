#pragma once
// Copying one file so that the target is the old file or the whole copy,
// never a part: the copy is written beside the target and renamed.
#include <filesystem>

namespace quillon::pub {

enum class IfTargetExists { Fail, Replace };

// Copies the regular file `from` (a link, a pipe or a device is refused) to
// `to`. True on success; never throws.
bool CopyWholeFile(const std::filesystem::path& from, const std::filesystem::path& to, IfTargetExists mode);

}  // namespace quillon::pub
