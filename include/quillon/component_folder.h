#pragma once
// Where an installation is: the folder that holds its database, style sheet
// and settings.
#include <filesystem>
#include <string>

#include "quillon/export.h"

namespace quillon {

/// The component folder an object given `given` uses: `given` when not
/// empty, else $QUILLON_HOME when set and not empty, else the folder of the
/// library's own file.
QUILLON_API std::filesystem::path resolveComponentFolder(const std::filesystem::path& given);

/// The folder a bid import makes its document folders in: ProjectPath of the
/// folder's SysUser.ini, "" when none is set.
QUILLON_API std::string projectPathOf(const std::filesystem::path& componentFolder);

}  // namespace quillon
