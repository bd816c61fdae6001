#include "core/installation_layout.h"
#include "fileutil/path_helpers.h"
#include "fileutil/settings_file.h"
#include "quillon/component_folder.h"

namespace quillon {

std::string projectPathOf(const std::filesystem::path& componentFolder) {
  return pub::SlashSeparated(pub::ProjectPathIn(layout::settingsFile(componentFolder).string()));
}

}  // namespace quillon
