// An installation moved from its file to a server: one transaction on the
// server, nothing written there unless every row arrives.
#include <fmt/format.h>

#include <cctype>
#include <charconv>

#include "core/installation_layout.h"
#include "db/connect.h"
#include "db/embedded.h"
#include "engine/transaction.h"
#include "fileutil/settings_file.h"
#include "platform/utf8.h"
#include "quillon/error.h"
#include "quillon/progress.h"
#include "quillon/recordset.h"
#include "quillon/setup.h"

namespace quillon {
namespace {

// The text after each `statement` of the schema, to the end of the schema.
std::vector<std::string_view> schemaAfter(std::string_view statement) {
  std::vector<std::string_view> out;
  const std::string_view text = embedded::schema;
  for (std::size_t at = text.find(statement); at != std::string_view::npos; at = text.find(statement, at + 1))
    out.push_back(text.substr(at + statement.size()));
  return out;
}

// The installation's tables, as the schema makes them.
std::vector<std::string> schemaTables() {
  std::vector<std::string> tables;
  for (const std::string_view rest : schemaAfter("CREATE TABLE ")) {
    std::size_t end = 0;
    while (end < rest.size() && (std::isalnum(static_cast<unsigned char>(rest[end])) || rest[end] == '_'))
      ++end;
    tables.emplace_back(rest.substr(0, end));
  }
  return tables;
}

// The numbered columns: those the schema gives a unique index, as
// (table, column).
std::vector<std::pair<std::string, std::string>> uniqueColumns() {
  std::vector<std::pair<std::string, std::string>> out;
  for (const std::string_view rest : schemaAfter("CREATE UNIQUE INDEX ")) {
    const std::size_t on = rest.find(" ON ");
    const std::size_t open = rest.find(" (", on);
    const std::size_t close = rest.find(')', open);
    out.emplace_back(rest.substr(on + 4, open - on - 4), rest.substr(open + 2, close - open - 2));
  }
  return out;
}

// Whether the server takes `text` for a column of engine type `type` as the
// file holds it: a number column takes a number's text only.
bool fits(const std::string& text, int type) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (type == field_type::kLong || type == field_type::kInteger16 || type == field_type::kBigInt ||
      type == field_type::kByte) {
    std::int64_t n = 0;
    const auto [end, ec] = std::from_chars(first, last, n);
    return ec == std::errc() && end == last;
  }
  if (type == field_type::kDouble || type == field_type::kSingle) {
    double d = 0;
    const auto [end, ec] = std::from_chars(first, last, d);
    return ec == std::errc() && end == last;
  }
  return true;
}

std::int64_t countOf(engine::Database& db, const std::string& table) {
  Recordset rs = db.openRecordset(fmt::format("SELECT count(*) FROM {}", table));
  return rs.value(0).toInt64();
}

}  // namespace

MigrationReport migrateToServer(const std::filesystem::path& home, const std::string& url) {
  if (db::serverUrl(home))
    throw Error(ErrorKind::Refused, "the installation is on a server already: its settings name one");
  const auto file = engine::Database::open(layout::databaseFile(home));
  const std::vector<std::string> tables = schemaTables();

  // Values the server would refuse or change are named before anything is
  // written: the office decides what they should be.
  std::vector<std::string> refused;
  for (const auto& table : tables) {
    Recordset rs = file->openRecordset(fmt::format("SELECT * FROM {}", table));
    std::int64_t row = 0;
    for (; !rs.atEnd(); rs.moveNext(), ++row) {
      for (int i = 0; i < rs.fieldCount(); ++i) {
        const Value& v = rs.value(i);
        if (v.kind() == Value::Kind::Text && !fits(v.text(), rs.fieldType(i)) && refused.size() < 20)
          refused.push_back(fmt::format("{}.{} row {}: '{}'", table, rs.fieldName(i), row + 1, v.text()));
        if (v.kind() == Value::Kind::Real && (rs.fieldType(i) == field_type::kLong) && refused.size() < 20)
          refused.push_back(fmt::format("{}.{} row {}: {}", table, rs.fieldName(i), row + 1, v.toText()));
      }
    }
  }
  // A file may hold a number twice (its program alone wrote it); a server
  // keeps each once, so that desks writing at once cannot share one.
  for (const auto& [table, column] : uniqueColumns()) {
    Recordset rs = file->openRecordset(
        fmt::format("SELECT {0}, count(*) FROM {1} WHERE {0} IS NOT NULL GROUP BY {0} HAVING count(*) > 1",
                    column, table));
    for (; !rs.atEnd() && refused.size() < 20; rs.moveNext())
      refused.push_back(fmt::format("{}.{} {} is held by {} rows", table, column, rs.value(0).toText(),
                                    rs.value(1).toText()));
  }
  if (!refused.empty())
    throw Error(ErrorKind::Refused,
                fmt::format("the server would not store these values as the file holds them; correct them "
                            "and move again: {}",
                            fmt::join(refused, "; ")));

  MigrationReport report;
  const auto server = engine::Database::openServer(url, "migration", db::schemaNames());
  {
    engine::Transaction whole(*server);
    {
      Recordset present = server->openRecordset(
          "SELECT count(*) FROM information_schema.tables WHERE lower(table_name) = 't_project_tree'");
      if (present.value(0).toInt64() != 0)
        throw Error(ErrorKind::Refused,
                    "the server's database holds an installation already; move into an empty one");
    }
    server->executeScript(embedded::schema);
    std::string cleaned;
    ProgressListener* const listener = currentProgressListener();
    for (const auto& table : tables) {
      Recordset rs = file->openRecordset(fmt::format("SELECT * FROM {}", table));
      std::vector<std::string> names;
      for (int i = 0; i < rs.fieldCount(); ++i) names.push_back(rs.fieldName(i));
      const auto writer = server->rowWriter(table, names);
      std::vector<Value> row(names.size());
      std::int64_t held = 0;
      if (listener) listener->tableStarted(table, countOf(*file, table));
      try {
        for (; !rs.atEnd(); rs.moveNext()) {
          for (std::size_t i = 0; i < names.size(); ++i) {
            row[i] = rs.value(static_cast<int>(i));
            if (row[i].kind() == Value::Kind::Text &&
                platform::utf8::replaceIllFormed(row[i].text(), cleaned)) {
              row[i] = Value(cleaned);
              ++report.textsReplaced;
            }
          }
          writer->add(row);
          if (++held % kProgressStep == 0 && listener) listener->rowsWritten(table, held);
        }
        writer->flush();
      } catch (...) {
        if (listener) listener->tableFinished(table, held);
        throw;
      }
      if (listener) listener->tableFinished(table, held);
      const std::int64_t copied = countOf(*server, table);
      if (copied != held)
        throw Error(ErrorKind::Engine,
                    fmt::format("{}: {} rows arrived of the file's {}", table, copied, held));
      report.rows.emplace_back(table, copied);
    }
    whole.commit();
  }

  pub::WritePrivateProfileString("Database", "Url", url, layout::settingsFile(home).string());
  return report;
}

}  // namespace quillon
