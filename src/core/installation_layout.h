#pragma once
// Where an installation keeps its files, relative to its component folder.
// Everything that opens, creates or names these files asks here.
#include <filesystem>

namespace quillon::layout {

inline std::filesystem::path databaseFile(const std::filesystem::path& home) {
  return home / "Data" / "zbs.mdb";
}
inline std::filesystem::path styleSheetFile(const std::filesystem::path& home) {
  return home / "Conf" / "AccordedCheck.xsl";
}
inline std::filesystem::path settingsFile(const std::filesystem::path& home) { return home / "SysUser.ini"; }

}  // namespace quillon::layout
