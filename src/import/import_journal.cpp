#include "import/import_journal.h"

#include <fmt/format.h>

#include <array>
#include <sstream>
#include <system_error>

#include "db/tables.h"
#include "engine/transaction.h"
#include "quillon/error.h"

namespace quillon::importing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTable = "QUILLON_IMPORT_JOURNAL";

}  // namespace

void ImportJournal::record(const ImportJournalEntry& entry) {
  auto& db = session_.database();
  db.execute(fmt::format(
      "create table if not exists {} (STAGING TEXT, ROOT TEXT, FOLDERS TEXT, FIRST_OWNER INTEGER)", kTable));
  std::string folders;
  for (const auto& name : entry.folders) folders += name + "\n";
  db.execute(fmt::format("insert into {} (STAGING, ROOT, FOLDERS, FIRST_OWNER) values (?, ?, ?, ?)", kTable),
             std::array<Value, 4>{Value(entry.staging.string()), Value(entry.root.string()), Value(folders),
                                  Value(entry.firstOwner)});
}

// The rows an import added, children before their parents: everything with
// a project number from its reservation on.
void ImportJournal::removeRows(std::int32_t firstOwner) {
  const db::Side& side = db::kProjectSide;
  auto& db = session_.database();
  const Value first(firstOwner);
  const std::string items = fmt::format("select GRADE_ITEM_ID from {} where PROJECT_ID>=?", side.items);
  const std::string factors =
      fmt::format("select INGREDIENT_ID from {} where GRADE_ITEM_ID in ({})", side.factors, items);
  db.execute(fmt::format("delete from {} where INGREDIENT_ID in ({})", side.rules, factors),
             std::span<const Value>(&first, 1));
  db.execute(fmt::format("delete from {} where GRADE_ITEM_ID in ({})", side.factors, items),
             std::span<const Value>(&first, 1));
  for (const std::string_view table : {side.items, side.checks, side.openBid, side.record, side.tree})
    db.execute(fmt::format("delete from {} where PROJECT_ID>=?", table), std::span<const Value>(&first, 1));
}

void ImportJournal::forget(const ImportJournalEntry& entry) {
  const Value staging(entry.staging.string());
  session_.database().execute(fmt::format("delete from {} where STAGING=?", kTable),
                              std::span<const Value>(&staging, 1));
}

void ImportJournal::finish(const ImportJournalEntry& entry) {
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
      engine::Transaction undo(session_.database());
      removeRows(entry.firstOwner);
      forget(entry);
      undo.commit();
      fs::remove_all(entry.staging, ec);
      throw Error(ErrorKind::IO, why + "; nothing was imported");
    }
    moved.push_back(name);
  }
  forget(entry);
  fs::remove_all(entry.staging, ec);
}

void ImportJournal::recover() {
  std::vector<ImportJournalEntry> open;
  {
    Recordset rs;
    // Without the table there is nothing to recover.
    try {
      rs = session_.database().openRecordset(
          fmt::format("select STAGING, ROOT, FOLDERS, FIRST_OWNER from {}", kTable));
    } catch (const Error&) {
      return;
    }
    for (; !rs.atEnd(); rs.moveNext()) {
      ImportJournalEntry entry{rs.value(0).toText(), rs.value(1).toText(), {}, rs.value(3).toInt32()};
      std::istringstream names(rs.value(2).toText());
      for (std::string name; std::getline(names, name);)
        if (!name.empty()) entry.folders.push_back(name);
      open.push_back(std::move(entry));
    }
  }
  for (const auto& entry : open) finish(entry);
}

}  // namespace quillon::importing
