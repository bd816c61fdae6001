#pragma once
// The floors: the least work any implementation must do for the same result,
// written against the bare engine API and pugixml.
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace quillon::bench {

// Steps the rows an export writes and streams them into the package file as
// text through one buffer, then syncs and renames it: no document tree.
void floorProjectExport(sqlite3* db, std::int32_t project, const std::filesystem::path& file);
void floorLibraryExport(sqlite3* db, const std::filesystem::path& file);

// Parses the package and inserts its records with one prepared statement per
// table in one transaction, numbered past each table's largest numbers.
void floorImport(sqlite3* db, const std::filesystem::path& package);

// Reads the template's rows (tree and attached) and inserts them on the
// project side as a new project, in one transaction.
void floorTemplateCopy(sqlite3* db, std::int32_t resource);
// Reads the project's rows and inserts them on the library side as a new
// template, in one transaction.
void floorProjectSave(sqlite3* db, std::int32_t project);
// Deletes the node and everything below it with one statement.
void floorSubtreeDelete(sqlite3* db, std::int64_t node);

}  // namespace quillon::bench
