#pragma once
// Which database an installation works in: the server its settings name,
// else its own file, Data/zbs.mdb.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/database.h"

namespace quillon::db {

// QUILLON_DATABASE_URL when set, else Url of [Database] in the settings
// file; none when neither names a server.
std::optional<std::string> serverUrl(const std::filesystem::path& home);

// Who the installation is on a server: Desk of [Database] in the settings
// file, else this machine's name and the installation's folder.
std::string deskName(const std::filesystem::path& home);

// Opens the installation's database. Throws quillon::Error.
std::shared_ptr<engine::Database> openDatabase(const std::filesystem::path& home);

// The table and column names of the installation's schema as it writes them.
std::vector<std::string> schemaNames();

}  // namespace quillon::db
