#pragma once
// Creating an installation folder: Data/zbs.mdb with the schema (and, on
// request, a demo template library), Conf/AccordedCheck.xsl and SysUser.ini.
#include <filesystem>

#include "quillon/export.h"

namespace quillon {

struct InitOptions {
  bool demo = false;     ///< add the demo library and project (implies library)
  bool force = false;    ///< replace an existing database
  bool library = false;  ///< the look-up tables, the library root and categories, templates 1-20 reserved
};

struct InitResult {
  std::filesystem::path database;
  std::filesystem::path styleSheet;
  std::filesystem::path settings;
  bool styleSheetWritten = false;  ///< an existing style sheet is kept
  bool settingsWritten = false;    ///< an existing settings file is kept
};

/// Throws quillon::Error when the database exists and `force` is not set, or
/// when the database is in use by another program.
QUILLON_API InitResult initializeHome(const std::filesystem::path& home, const InitOptions& options);

}  // namespace quillon
