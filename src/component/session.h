#pragma once
// What one DBFunc object holds: its host, its component folder and its
// connection. Every subsystem works through a Session.
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/database.h"
#include "quillon/host.h"

namespace quillon {

struct Session {
  Host& host;
  std::filesystem::path home;
  std::shared_ptr<platform::Database> db;  // null when the connection failed

  // The connection, or an Error describing its absence.
  platform::Database& database() const;
  // Groups the writes of one public operation into one commit.
  platform::Database::Batch batch() const { return platform::Database::Batch(db.get()); }

  std::filesystem::path databaseFile() const { return home / "Data" / "zbs.mdb"; }
  std::filesystem::path styleSheetFile() const { return home / "Conf" / "AccordedCheck.xsl"; }
  std::filesystem::path settingsFile() const { return home / "SysUser.ini"; }
};

// Description given when an operation needs the database and there is none.
inline constexpr const char* kNoConnection =
    "Object variable or With block variable not set (the object has no database connection)";

}  // namespace quillon

namespace quillon {
class DBFunc;
// The session of an object, for the command line's views that read the
// database directly (tree outlines and the like).
Session& sessionOf(DBFunc& object);
}  // namespace quillon
