#include "core/installation_layout.h"
#include "fileutil/settings_file.h"
#include "quillon/component_folder.h"

namespace quillon {

std::string projectPathOf(const std::filesystem::path& componentFolder) {
  return pub::ProjectPathIn(layout::settingsFile(componentFolder).string());
}

}  // namespace quillon
