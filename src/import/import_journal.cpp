#include "import/import_journal.h"

#include <fmt/format.h>

#include <array>
#include <sstream>
#include <system_error>

#include "core/numbering.h"
#include "db/connect.h"
#include "db/tables.h"
#include "engine/transaction.h"
#include "quillon/error.h"

namespace quillon::importing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTable = "QUILLON_IMPORT_JOURNAL";

// Journals made before desks shared a server lack the last two columns.
void addDeskColumns(engine::Database& db) {
  try {
    db.openRecordset(fmt::format("select DESK, LAST_OWNER from {} where 0=1", kTable));
  } catch (const Error&) {
    db.execute(fmt::format("alter table {} add column DESK TEXT", kTable));
    db.execute(fmt::format("alter table {} add column LAST_OWNER INTEGER", kTable));
  }
}

}  // namespace

void ImportJournal::record(const ImportJournalEntry& entry) {
  auto& db = session_.database();
  db.execute(
      fmt::format("create table if not exists {} (STAGING TEXT, ROOT TEXT, FOLDERS TEXT, FIRST_OWNER "
                  "INTEGER, DESK TEXT, LAST_OWNER INTEGER)",
                  kTable));
  addDeskColumns(db);
  std::string folders;
  for (const auto& name : entry.folders) folders += name + "\n";
  // The import's owners end with the largest the project side holds now:
  // the writers' lock keeps other desks from adding any until the commit.
  const db::Side& side = db::kProjectSide;
  const std::array<numbering::ColumnRef, 5> owners{{{side.tree, side.owner},
                                                    {side.record, side.owner},
                                                    {side.checks, side.owner},
                                                    {side.items, side.owner},
                                                    {side.openBid, side.owner}}};
  const auto last = numbering::largest(session_, owners);
  db.execute(fmt::format("insert into {} (STAGING, ROOT, FOLDERS, FIRST_OWNER, DESK, LAST_OWNER) values (?, "
                         "?, ?, ?, ?, ?)",
                         kTable),
             std::array<Value, 6>{Value(entry.staging.string()), Value(entry.root.string()), Value(folders),
                                  Value(entry.firstOwner), Value(db::deskName(session_.home)),
                                  last ? Value(*last) : Value::null()});
}

// The rows an import added, children before their parents: everything with
// a project number in its range (from its reservation on, in a journal made
// before ranges were noted).
void ImportJournal::removeRows(std::int32_t firstOwner, const Value& lastOwner) {
  const db::Side& side = db::kProjectSide;
  auto& db = session_.database();
  const std::string inRange = lastOwner.isNull() ? "PROJECT_ID>=?" : "PROJECT_ID between ? and ?";
  std::vector<Value> range{Value(firstOwner)};
  if (!lastOwner.isNull()) range.push_back(lastOwner);
  const std::string items = fmt::format("select GRADE_ITEM_ID from {} where {}", side.items, inRange);
  const std::string factors =
      fmt::format("select INGREDIENT_ID from {} where GRADE_ITEM_ID in ({})", side.factors, items);
  db.execute(fmt::format("delete from {} where INGREDIENT_ID in ({})", side.rules, factors), range);
  db.execute(fmt::format("delete from {} where GRADE_ITEM_ID in ({})", side.factors, items), range);
  for (const std::string_view table : {side.items, side.checks, side.openBid, side.record, side.tree})
    db.execute(fmt::format("delete from {} where {}", table, inRange), range);
}

Value ImportJournal::lastOwnerOf(const ImportJournalEntry& entry) {
  const Value staging(entry.staging.string());
  Recordset rs = session_.database().openRecordset(
      fmt::format("select LAST_OWNER from {} where STAGING=?", kTable), std::span<const Value>(&staging, 1));
  return rs.atEnd() ? Value::null() : rs.value(0);
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
      removeRows(entry.firstOwner, lastOwnerOf(entry));
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
    // Without the table there is nothing to recover. On a server, every desk
    // finishes only its own imports: another desk's may be under way, and
    // its folders are that desk's.
    const bool shared = db::serverUrl(session_.home).has_value();
    try {
      if (shared) {
        const Value desk(db::deskName(session_.home));
        rs = session_.database().openRecordset(
            fmt::format("select STAGING, ROOT, FOLDERS, FIRST_OWNER from {} where DESK=?", kTable),
            std::span<const Value>(&desk, 1));
      } else {
        rs = session_.database().openRecordset(
            fmt::format("select STAGING, ROOT, FOLDERS, FIRST_OWNER from {}", kTable));
      }
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
