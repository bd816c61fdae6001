#pragma once
// Copying one file so that the target is the old file or the whole copy,
// never a part: the copy is written beside the target and renamed.
#include <filesystem>

#include "fileutil/open_file.h"

namespace quillon::pub {

enum class IfTargetExists { Fail, Replace };

// Copies the regular file `from` to `to`. True when copied; false, with
// nothing written, when `from` is no regular file reached without a link
// (missing, a link, a pipe, a device) or when `to` exists and `mode` is
// Fail. Throws quillon::Error when the copy itself fails (reading, writing,
// a full disk, the rename). The copy's permissions never exceed the source's.
bool CopyWholeFile(const std::filesystem::path& from, const std::filesystem::path& to, IfTargetExists mode);
// The same from a source already opened (`from` names it in errors): a
// walk that has looked at what the descriptor is copies that very file.
bool CopyOpenedFile(const OpenFile& source, const std::filesystem::path& from,
                    const std::filesystem::path& to, IfTargetExists mode);

}  // namespace quillon::pub
