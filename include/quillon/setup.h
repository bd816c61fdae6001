#pragma once
// Creating an installation folder: Data/zbs.mdb with the schema (and, on
// request, a demo template library), Conf/AccordedCheck.xsl and SysUser.ini.
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "quillon/export.h"

namespace quillon {

struct InitOptions {
  bool demo = false;     ///< add the demo library and project (implies library)
  bool force = false;    ///< replace an existing database
  bool library = false;  ///< the look-up tables, the library root and categories, templates 1-20 reserved
  /// A PostgreSQL connection URL: the installation's tables live on that
  /// server, made there when it has none; this folder becomes one desk of it.
  std::string server;
};

struct InitResult {
  std::filesystem::path database;
  std::filesystem::path styleSheet;
  std::filesystem::path settings;
  bool styleSheetWritten = false;  ///< an existing style sheet is kept
  bool settingsWritten = false;    ///< an existing settings file is kept
  bool serverCreated = false;      ///< with a server: its tables were made now
};

/// Throws quillon::Error when the database exists and `force` is not set, or
/// when the database is in use by another program. With a server, the rows
/// a server holds are never touched: `force` does not apply, and the tables
/// are made only where there are none.
QUILLON_API InitResult initializeHome(const std::filesystem::path& home, const InitOptions& options);

/// What a move to a server copied.
struct MigrationReport {
  std::vector<std::pair<std::string, std::int64_t>> rows;  ///< table, rows copied
  std::int64_t textsReplaced = 0;                          ///< texts whose ill-formed bytes became U+FFFD
};

/// Moves the installation of `home` from its file to the empty database `url`
/// names, in one transaction: the schema, then every row of every table,
/// counted on both sides; then its settings name the server. Refuses, having
/// written nothing, a server database that holds tables already and a value
/// the server would not store as it is (a text in a number column), naming
/// each. The file is left as it was. Throws quillon::Error.
QUILLON_API MigrationReport migrateToServer(const std::filesystem::path& home, const std::string& url);

/// For an administrator: frees `desk` of the installation on the server that
/// the settings of `home` name, ending the program that holds it (one that
/// hangs, or a machine that is gone). Returns how many programs held it.
/// Throws quillon::Error when the installation is not on a server or the
/// server refuses (ending another user's program takes the rights to).
QUILLON_API int unlockDesk(const std::filesystem::path& home, const std::string& desk);

}  // namespace quillon
