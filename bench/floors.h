#pragma once
// The floors: the least work any implementation must do for the same result,
// written against the bare engine API and pugixml.
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::bench {

// What the floors that write rows ask of an engine, on its bare API.
class FloorDb {
 public:
  virtual ~FloorDb() = default;
  virtual void begin() = 0;
  virtual void commit() = 0;
  virtual std::int64_t single(const std::string& sql) = 0;
  // The rows of `select`, as they are, into `table`'s `columns` (a list).
  virtual void copyRows(const std::string& select, std::string_view table, std::string_view columns) = 0;
  // Rows given a value at a time into `table`'s `columns`; a text stays
  // valid until its row ends.
  virtual void startRows(std::string_view table, const std::vector<std::string>& columns) = 0;
  virtual void number(std::int64_t value) = 0;
  virtual void text(std::string_view value) = 0;
  virtual void null() = 0;
  virtual void endRow() = 0;
  virtual void endRows() = 0;
};

std::unique_ptr<FloorDb> sqliteFloor(sqlite3* db);

// Steps the rows an export writes and streams them into the package file as
// text through one buffer, then syncs and renames it: no document tree.
void floorProjectExport(sqlite3* db, std::int32_t project, const std::filesystem::path& file);
void floorLibraryExport(sqlite3* db, const std::filesystem::path& file);

// Parses the package and appends its records, table by table, in one
// transaction, numbered past each table's largest numbers.
void floorImport(FloorDb& db, const std::filesystem::path& package);

// Reads the template's rows (tree and attached) and writes them on the
// project side as a new project, in one transaction.
void floorTemplateCopy(FloorDb& db, std::int32_t resource);
// Reads the project's rows and writes them on the library side as a new
// template, in one transaction.
void floorProjectSave(FloorDb& db, std::int32_t project);
// Deletes the node and everything below it with one statement.
void floorSubtreeDelete(sqlite3* db, std::int64_t node);

}  // namespace quillon::bench
