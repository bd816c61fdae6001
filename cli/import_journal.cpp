#include "import_journal.h"

#include <fmt/format.h>

#include <sstream>
#include <stdexcept>
#include <system_error>

#include "quillon/recordset.h"
#include "quillon/transaction.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTable = "QUILLON_IMPORT_JOURNAL";

std::string sqlText(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

void run(DBFunc& object, const std::string& sql) {
  if (!object.ExecuteSql(sql)) throw std::runtime_error(fmt::format("{}: {}", sql, object.lastError()));
}

// The rows an import added, children before their parents: everything with
// a project number from its reservation on.
void removeRows(DBFunc& object, std::int32_t firstOwner) {
  const std::string items =
      fmt::format("select GRADE_ITEM_ID from T_GRADE_INGREDIENT where PROJECT_ID>={}", firstOwner);
  const std::string factors =
      fmt::format("select INGREDIENT_ID from T_GRADE_INGREDIENT_DETAIL where GRADE_ITEM_ID in ({})", items);
  run(object, fmt::format("delete from T_AUTO_GRADE_DETAILS where INGREDIENT_ID in ({})", factors));
  run(object, fmt::format("delete from T_GRADE_INGREDIENT_DETAIL where GRADE_ITEM_ID in ({})", items));
  for (const char* table : {"T_GRADE_INGREDIENT", "T_ACCORDED_CHECK", "TJ_OPEN_BID_DETAILS",
                            "TJ_PROCUREMENT_PROJECT", "T_PROJECT_TREE"})
    run(object, fmt::format("delete from {} where PROJECT_ID>={}", table, firstOwner));
}

void forget(DBFunc& object, const JournalEntry& entry) {
  run(object, fmt::format("delete from {} where STAGING={}", kTable, sqlText(entry.staging.string())));
}

}  // namespace

void recordImport(DBFunc& object, const JournalEntry& entry) {
  run(object,
      fmt::format(
          "create table if not exists {} (STAGING TEXT, ROOT TEXT, FOLDERS TEXT, FIRST_OWNER INTEGER)",
          kTable));
  std::string folders;
  for (const auto& name : entry.folders) folders += name + "\n";
  run(object, fmt::format("insert into {} (STAGING, ROOT, FOLDERS, FIRST_OWNER) values ({}, {}, {}, {})",
                          kTable, sqlText(entry.staging.string()), sqlText(entry.root.string()),
                          sqlText(folders), entry.firstOwner));
}

void finishImport(DBFunc& object, const JournalEntry& entry) {
  std::vector<std::string> moved;
  std::error_code ec;
  for (const auto& name : entry.folders) {
    const fs::path from = entry.staging / name, to = entry.root / name;
    // Moved already by the process that was killed.
    if (!fs::exists(fs::symlink_status(from, ec)) && fs::exists(fs::symlink_status(to, ec))) continue;
    if (fs::exists(fs::symlink_status(to, ec))) {
      ec = std::make_error_code(std::errc::file_exists);
    } else {
      fs::rename(from, to, ec);
    }
    if (ec) {
      const std::string why = fmt::format("cannot move {} into place: {}", to.string(), ec.message());
      for (const auto& back : moved) fs::rename(entry.root / back, entry.staging / back, ec);
      Transaction undo(object);
      removeRows(object, entry.firstOwner);
      forget(object, entry);
      undo.commit();
      fs::remove_all(entry.staging, ec);
      throw std::runtime_error(why + "; nothing was imported");
    }
    moved.push_back(name);
  }
  forget(object, entry);
  fs::remove_all(entry.staging, ec);
}

void recoverImports(DBFunc& object) {
  std::vector<JournalEntry> open;
  {
    Recordset rs;
    // Without the table there is nothing to recover; the object is not
    // strict yet, so its absence is only a failure value.
    if (!object.GetValue(fmt::format("select STAGING, ROOT, FOLDERS, FIRST_OWNER from {}", kTable), rs))
      return;
    for (; !rs.atEnd(); rs.moveNext()) {
      JournalEntry entry{rs.value(0).toText(), rs.value(1).toText(), {}, rs.value(3).toInt32()};
      std::istringstream names(rs.value(2).toText());
      for (std::string name; std::getline(names, name);)
        if (!name.empty()) entry.folders.push_back(name);
      open.push_back(std::move(entry));
    }
  }
  for (const auto& entry : open) finishImport(object, entry);
}

}  // namespace quillon::cli
