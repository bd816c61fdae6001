#include "server_floors.h"

#include <fmt/format.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "db/tables.h"
#include "workload.h"

namespace quillon::bench {
namespace {

constexpr std::size_t kPiece = 1 << 20;

struct ResultCloser {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultCloser>;

[[noreturn]] void failed(PGconn* conn, const std::string& what) {
  throw std::runtime_error(fmt::format("{}: {}", what, PQerrorMessage(conn)));
}

void startCopy(PGconn* conn, const std::string& sql, ExecStatusType expected) {
  const Result r(PQexec(conn, sql.c_str()));
  if (PQresultStatus(r.get()) != expected) failed(conn, sql);
}

void endCopyIn(PGconn* conn, std::string& data) {
  if (!data.empty() && PQputCopyData(conn, data.data(), static_cast<int>(data.size())) != 1)
    failed(conn, "COPY data");
  data.clear();
  if (PQputCopyEnd(conn, nullptr) != 1) failed(conn, "COPY end");
  for (PGresult* raw; (raw = PQgetResult(conn)) != nullptr;) {
    const Result r(raw);
    if (PQresultStatus(raw) != PGRES_COMMAND_OK) failed(conn, "COPY");
  }
}

// COPY's text format escapes these four; runs without them go whole.
void appendEscaped(std::string& out, std::string_view text) {
  for (std::size_t at = 0;;) {
    const std::size_t special = text.find_first_of("\\\t\n\r", at);
    out.append(text.substr(at, special - at));
    if (special == std::string_view::npos) return;
    const char c = text[special];
    out += c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
    at = special + 1;
  }
}

class ServerFloor final : public FloorDb {
 public:
  explicit ServerFloor(PGconn* conn) : conn_(conn) {}
  void begin() override { pgExec(conn_, "BEGIN"); }
  void commit() override { pgExec(conn_, "COMMIT"); }
  std::int64_t single(const std::string& sql) override {
    const Result r(PQexec(conn_, sql.c_str()));
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) failed(conn_, sql);
    return PQgetisnull(r.get(), 0, 0) ? 0 : std::atoll(PQgetvalue(r.get(), 0, 0));
  }
  void copyRows(const std::string& select, std::string_view table, std::string_view columns) override {
    startCopy(conn_, fmt::format("COPY ({}) TO STDOUT", select), PGRES_COPY_OUT);
    std::string data;
    char* line = nullptr;
    for (int n; (n = PQgetCopyData(conn_, &line, 0)) > 0; PQfreemem(line)) data.append(line, n);
    for (PGresult* raw; (raw = PQgetResult(conn_)) != nullptr;) {
      const Result r(raw);
      if (PQresultStatus(raw) != PGRES_COMMAND_OK) failed(conn_, select);
    }
    startCopy(conn_, fmt::format("COPY {}({}) FROM STDIN", table, columns), PGRES_COPY_IN);
    endCopyIn(conn_, data);
  }
  void startRows(std::string_view table, const std::vector<std::string>& columns) override {
    std::string names;
    for (const auto& c : columns) names += (names.empty() ? "" : ",") + c;
    // A package's text goes into a number column as the number it starts
    // with, as every import must store it (the server takes no text there).
    const Result shape(PQexec(conn_, fmt::format("select {} from {} limit 0", names, table).c_str()));
    if (PQresultStatus(shape.get()) != PGRES_TUPLES_OK) failed(conn_, "the columns' types");
    kinds_.clear();
    for (int i = 0; i < PQnfields(shape.get()); ++i) {
      const Oid type = PQftype(shape.get(), i);
      kinds_.push_back(type == 20 || type == 21 || type == 23       ? Kind::Integer
                       : type == 700 || type == 701 || type == 1700 ? Kind::Real
                                                                    : Kind::Text);
    }
    startCopy(conn_, fmt::format("COPY {}({}) FROM STDIN", table, names), PGRES_COPY_IN);
    column_ = 0;
  }
  void number(std::int64_t value) override {
    separate();
    fmt::format_to(std::back_inserter(data_), "{}", value);
  }
  void text(std::string_view value) override {
    const Kind kind = column_ < kinds_.size() ? kinds_[column_] : Kind::Text;
    separate();
    if (kind == Kind::Text) {
      appendEscaped(data_, value);
      return;
    }
    double number = 0;
    std::from_chars(value.data(), value.data() + value.size(), number);
    if (kind == Kind::Integer)
      fmt::format_to(std::back_inserter(data_), "{}", std::llround(number));
    else
      fmt::format_to(std::back_inserter(data_), "{}", number);
  }
  void null() override {
    separate();
    data_ += "\\N";
  }
  void endRow() override {
    data_ += '\n';
    column_ = 0;
    if (data_.size() >= kPiece) {
      if (PQputCopyData(conn_, data_.data(), static_cast<int>(data_.size())) != 1) failed(conn_, "COPY data");
      data_.clear();
    }
  }
  void endRows() override { endCopyIn(conn_, data_); }

 private:
  enum class Kind { Integer, Real, Text };
  void separate() {
    if (column_++ > 0) data_ += '\t';
  }
  PGconn* conn_;
  std::string data_;
  std::vector<Kind> kinds_;
  std::size_t column_ = 0;
};

}  // namespace

PgConnection pgConnect(const std::string& conninfo) {
  PgConnection conn(PQconnectdb(conninfo.c_str()));
  if (PQstatus(conn.get()) != CONNECTION_OK) failed(conn.get(), "connect");
  return conn;
}

void pgExec(PGconn* conn, const std::string& sql) {
  const Result r(PQexec(conn, sql.c_str()));
  const auto status = PQresultStatus(r.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) failed(conn, sql);
}

std::unique_ptr<FloorDb> serverFloor(PGconn* conn) { return std::make_unique<ServerFloor>(conn); }

void serverFloorProjectExport(PGconn* conn, std::int32_t project, const std::filesystem::path& file) {
  namespace table = db::table;
  namespace columns = db::columns;
  const std::string owner = fmt::format("PROJECT_ID = {}", project);
  const std::string items =
      fmt::format("select GRADE_ITEM_ID from {} where {} and STS='V'", table::kGradeItem, owner);
  const std::string factors =
      fmt::format("select INGREDIENT_ID from {} where GRADE_ITEM_ID in ({}) and GRADE_MODE_ID=2",
                  table::kGradeFactor, items);
  const std::vector<std::string> selects{
      fmt::format("select {} from {} where {} order by NODE_ID", columns::kProjectTree, table::kProjectTree,
                  owner),
      fmt::format("select {} from {} where {} order by CHECK_ID", columns::kCheck, table::kCheck, owner),
      fmt::format("select {} from {} where {}", columns::kOpenBid, table::kOpenBid, owner),
      fmt::format("select {} from {} where {} and STS='V' order by GRADE_ITEM_ID", columns::kGradeItem,
                  table::kGradeItem, owner),
      fmt::format("select {} from {} where GRADE_ITEM_ID in ({}) order by INGREDIENT_ID",
                  columns::kGradeFactor, table::kGradeFactor, items),
      fmt::format("select {} from {} where INGREDIENT_ID in ({}) order by AUTO_GRADE_ID", columns::kAutoRule,
                  table::kAutoRule, factors),
      fmt::format("select {} from {} where {}", columns::kProject, table::kProject, owner),
  };
  const std::string temporary = file.string() + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (!out) throw std::runtime_error("cannot create " + temporary);
  // One snapshot for the seven tables, as the export reads them.
  pgExec(conn, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
  for (const auto& select : selects) {
    startCopy(conn, fmt::format("COPY ({}) TO STDOUT", select), PGRES_COPY_OUT);
    char* line = nullptr;
    for (int n; (n = PQgetCopyData(conn, &line, 0)) > 0; PQfreemem(line))
      if (std::fwrite(line, 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n))
        throw std::runtime_error("write failed");
    for (PGresult* raw; (raw = PQgetResult(conn)) != nullptr;) {
      const Result r(raw);
      if (PQresultStatus(raw) != PGRES_COMMAND_OK) failed(conn, select);
    }
  }
  pgExec(conn, "COMMIT");
  const bool written = std::fflush(out) == 0 && ::fsync(::fileno(out)) == 0;
  std::fclose(out);
  if (!written || std::rename(temporary.c_str(), file.c_str()) != 0) throw std::runtime_error("save failed");
}

void serverFloorMigrate(sqlite3* from, PGconn* to, std::string_view schema) {
  ServerFloor floor(to);
  floor.begin();
  pgExec(to, std::string(schema));
  std::vector<std::string> tables;
  {
    sqlite3_stmt* list = nullptr;
    sqlite3_prepare_v2(from, "select name from sqlite_master where type='table' and name not like 'sqlite_%'",
                       -1, &list, nullptr);
    while (sqlite3_step(list) == SQLITE_ROW)
      tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
    sqlite3_finalize(list);
  }
  for (const auto& name : tables) {
    sqlite3_stmt* rows = nullptr;
    if (sqlite3_prepare_v2(from, fmt::format("select * from \"{}\"", name).c_str(), -1, &rows, nullptr) !=
        SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(from));
    std::vector<std::string> columns;
    const int count = sqlite3_column_count(rows);
    for (int i = 0; i < count; ++i) columns.emplace_back(sqlite3_column_name(rows, i));
    floor.startRows(name, columns);
    while (sqlite3_step(rows) == SQLITE_ROW) {
      for (int i = 0; i < count; ++i) {
        switch (sqlite3_column_type(rows, i)) {
          case SQLITE_NULL:
            floor.null();
            break;
          case SQLITE_INTEGER:
            floor.number(sqlite3_column_int64(rows, i));
            break;
          default:
            floor.text(std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(rows, i)),
                                        static_cast<std::size_t>(sqlite3_column_bytes(rows, i))));
        }
      }
      floor.endRow();
    }
    sqlite3_finalize(rows);
    floor.endRows();
  }
  floor.commit();
}

}  // namespace quillon::bench
