#include "floors.h"

#include <fmt/format.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/tables.h"
#include "workload.h"

namespace quillon::bench {
namespace {

namespace table = db::table;
namespace columns = db::columns;

struct Prepared {
  sqlite3_stmt* s = nullptr;
  Prepared(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + sql);
  }
  ~Prepared() { sqlite3_finalize(s); }
};

// --- Exports ---------------------------------------------------------------------

struct FloorTable {
  std::string_view table;
  std::string_view columns;
  std::string_view orderBy;
  bool liveOnly = false;
  std::string_view idColumn = {};      // collected for the next table
  std::string_view idWhenColumn = {};  // only rows where this is 2
};

// Package text written as it is read, through one buffer.
class PackageText {
 public:
  explicit PackageText(std::FILE* out) : out_(out) { buffer_.reserve(1 << 16); }
  void raw(std::string_view text) {
    buffer_ += text;
    if (buffer_.size() >= (1 << 16)) flush();
  }
  // Character data with the three characters markup needs escaped. A row
  // may hold any bytes and the package must be XML whatever it holds: the
  // text is checked to be UTF-8 of characters XML can carry (U+FFFD in place
  // of what is not), which any exporter must do for the same result. One
  // pass does both, copying runs of plain bytes whole.
  void escaped(std::string_view text) {
    const std::size_t mark = buffer_.size();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t run = 0;
    for (std::size_t i = 0; i < n;) {
      const unsigned char c = p[i];
      if (c >= 0x20 && c < 0x80) {
        if (c == '&' || c == '<' || c == '>') {
          buffer_.append(text.data() + run, i - run);
          buffer_ += c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&gt;";
          run = i + 1;
        }
        ++i;
        continue;
      }
      if (c < 0x20) {
        if (c != '\t' && c != '\n' && c != '\r') return replaced(mark);
        ++i;
        continue;
      }
      const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
      if (length == 0 || c > 0xF4 || i + length > n) return replaced(mark);
      for (std::size_t k = 1; k < length; ++k)
        if ((p[i + k] & 0xC0) != 0x80) return replaced(mark);
      i += length;
    }
    buffer_.append(text.data() + run, n - run);
  }
  void replaced(std::size_t mark) {
    buffer_.resize(mark);
    buffer_ += "\xEF\xBF\xBD";
  }
  void flush() {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
      throw std::runtime_error("write failed");
    buffer_.clear();
  }

 private:
  std::FILE* out_;
  std::string buffer_;
};

// Steps the exporter's SELECT and writes the same elements as text; returns
// the identifiers for the next table of the chain.
std::string floorTable(sqlite3* db, PackageText& out, const FloorTable& t, const std::string& filter) {
  std::vector<std::string> names;
  for (std::string_view list = t.columns;;) {
    const auto comma = list.find(',');
    names.emplace_back(list.substr(0, comma));
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  const auto position = [&](std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return static_cast<int>(i);
    return -1;
  };
  const int status = t.liveOnly ? position("STS") : -1;
  const int id = t.idColumn.empty() ? -1 : position(t.idColumn);
  const int when = t.idWhenColumn.empty() ? -1 : position(t.idWhenColumn);

  std::vector<std::pair<std::string, std::string>> tags;
  for (const auto& name : names) tags.emplace_back(fmt::format("<{}>", name), fmt::format("</{}>", name));
  out.raw(fmt::format("<{}>\r", t.table));
  Prepared stmt(db, fmt::format("select {} from {} where {}{}", t.columns, t.table, filter, t.orderBy));
  std::string ids;
  while (sqlite3_step(stmt.s) == SQLITE_ROW) {
    if (status >= 0) {
      const auto* sts = sqlite3_column_text(stmt.s, status);
      if (!sts || std::string_view(reinterpret_cast<const char*>(sts)) != "V") continue;
    }
    out.raw("<Record>");
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
      const auto* text = sqlite3_column_text(stmt.s, i);
      const auto& tag = tags[static_cast<std::size_t>(i)];
      out.raw(tag.first);
      if (text)
        out.escaped(std::string_view(reinterpret_cast<const char*>(text),
                                     static_cast<std::size_t>(sqlite3_column_bytes(stmt.s, i))));
      else
        out.escaped(" ");
      out.raw(tag.second);
    }
    out.raw("</Record>");
    if (id >= 0 && (when < 0 || sqlite3_column_int(stmt.s, when) == 2)) {
      if (!ids.empty()) ids += ',';
      ids += reinterpret_cast<const char*>(sqlite3_column_text(stmt.s, id));
    }
  }
  out.raw(fmt::format("</{}>", t.table));
  return ids;
}

struct FloorSide {
  FloorTable tree, checks, openBid, items, factors, rules, project;
};

const FloorSide kProjectSide{
    {table::kProjectTree, columns::kProjectTree, " ORDER BY node_id"},
    {table::kCheck, columns::kCheck, " order by CHECK_ID"},
    {table::kOpenBid, columns::kOpenBid, ""},
    {table::kGradeItem, columns::kGradeItem, " order by GRADE_ITEM_ID", true, "GRADE_ITEM_ID"},
    {table::kGradeFactor, columns::kGradeFactor, " order by INGREDIENT_ID", false, "INGREDIENT_ID",
     "GRADE_MODE_ID"},
    {table::kAutoRule, columns::kAutoRule, " order by AUTO_GRADE_ID"},
    {table::kProject, columns::kProject, ""},
};

const FloorSide kLibrarySide{
    {table::kResourceTree, columns::kResourceTree, " ORDER BY node_id"},
    {table::kCheckInfo, columns::kCheckInfo, " order by CHECK_ID"},
    {table::kOpenBidInfo, columns::kOpenBidInfo, ""},
    {table::kGradeItemInfo, columns::kGradeItemInfo, " order by GRADE_ITEM_ID", true, "GRADE_ITEM_ID"},
    {table::kGradeFactorInfo, columns::kGradeFactorInfo, " order by INGREDIENT_ID", false, "INGREDIENT_ID",
     "GRADE_MODE_ID"},
    {table::kAutoRuleInfo, columns::kAutoRule, " order by AUTO_GRADE_ID"},
    {table::kProjectInfo, columns::kProjectInfo, ""},
};

void floorExport(sqlite3* db, const FloorSide& side, const std::string& treeFilter, const std::string& filter,
                 const std::filesystem::path& file) {
  // A package is only written when it is on the disk under its name: flushed
  // under a temporary name and renamed, as the component writes it.
  const std::string temporary = file.string() + ".tmp";
  std::FILE* file_ = std::fopen(temporary.c_str(), "wb");
  if (!file_) throw std::runtime_error("cannot create " + temporary);
  PackageText out(file_);
  out.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Table>");
  floorTable(db, out, side.tree, treeFilter);
  floorTable(db, out, side.checks, filter);
  floorTable(db, out, side.openBid, filter);
  const auto items = floorTable(db, out, side.items, filter);
  const auto factors = floorTable(db, out, side.factors, "grade_item_id IN(" + items + ")");
  floorTable(db, out, side.rules, "INGREDIENT_ID In(" + factors + ")");
  floorTable(db, out, side.project, filter);
  out.raw("</Table>");
  out.flush();
  const bool written = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  std::fclose(file_);
  if (!written || std::rename(temporary.c_str(), file.c_str()) != 0) throw std::runtime_error("save failed");
}

// --- Copies ------------------------------------------------------------------------

std::string marks(std::size_t n) {
  std::string m = "?";
  for (std::size_t i = 1; i < n; ++i) m += ",?";
  return m;
}

std::size_t countColumns(std::string_view columns) {
  return static_cast<std::size_t>(std::count(columns.begin(), columns.end(), ',')) + 1;
}

class SqliteFloor final : public FloorDb {
 public:
  explicit SqliteFloor(sqlite3* db) : db_(db) {}
  void begin() override { exec(db_, "BEGIN IMMEDIATE"); }
  void commit() override { exec(db_, "COMMIT"); }
  std::int64_t single(const std::string& sql) override { return bench::single(db_, sql); }
  // Steps `select` and binds each row's columns, as they are, to one insert.
  void copyRows(const std::string& select, std::string_view table, std::string_view columns) override {
    Prepared from(db_, select);
    Prepared to(db_,
                fmt::format("insert into {}({}) values({})", table, columns, marks(countColumns(columns))));
    const int columnCount = sqlite3_column_count(from.s);
    while (sqlite3_step(from.s) == SQLITE_ROW) {
      for (int i = 0; i < columnCount; ++i) sqlite3_bind_value(to.s, i + 1, sqlite3_column_value(from.s, i));
      if (sqlite3_step(to.s) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
      sqlite3_reset(to.s);
    }
  }
  void startRows(std::string_view table, const std::vector<std::string>& columns) override {
    std::string names;
    for (const auto& c : columns) names += (names.empty() ? "" : ",") + c;
    insert_.emplace(db_, fmt::format("insert into {}({}) values({})", table, names, marks(columns.size())));
    next_ = 1;
  }
  void number(std::int64_t value) override { sqlite3_bind_int64(insert_->s, next_++, value); }
  void text(std::string_view value) override {
    sqlite3_bind_text(insert_->s, next_++, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
  }
  void null() override { sqlite3_bind_null(insert_->s, next_++); }
  void endRow() override {
    if (sqlite3_step(insert_->s) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
    sqlite3_reset(insert_->s);
    next_ = 1;
  }
  void endRows() override { insert_.reset(); }

 private:
  sqlite3* db_;
  std::optional<Prepared> insert_;
  int next_ = 1;
};

}  // namespace

std::unique_ptr<FloorDb> sqliteFloor(sqlite3* db) { return std::make_unique<SqliteFloor>(db); }

void floorProjectExport(sqlite3* db, std::int32_t project, const std::filesystem::path& file) {
  const auto filter = fmt::format("PROJECT_ID = {}", project);
  floorExport(db, kProjectSide, filter, filter, file);
}

void floorLibraryExport(sqlite3* db, const std::filesystem::path& file) {
  floorExport(db, kLibrarySide,
              "TYPE_ID <> 1 and RESOURCE_ID >20 AND resource_id NOT IN(SELECT resource_id FROM "
              "T_RESOURCE_TREE t WHERE t.resource_type_id=50 AND t.sts='I')",
              "RESOURCE_ID >20", file);
}

void floorImport(FloorDb& db, const std::filesystem::path& package) {
  pugi::xml_document doc;
  if (!doc.load_file(package.c_str())) throw std::runtime_error("the package does not parse");
  static const std::map<std::string_view, std::string_view> kNumbered{{"NODE_ID", "NODE_ID"},
                                                                      {"PARENT_NOED_ID", "NODE_ID"},
                                                                      {"PROJECT_ID", "PROJECT_ID"},
                                                                      {"RESOURCE_ID", "RESOURCE_ID"},
                                                                      {"CHECK_ID", "CHECK_ID"},
                                                                      {"GRADE_ITEM_ID", "GRADE_ITEM_ID"},
                                                                      {"INGREDIENT_ID", "INGREDIENT_ID"},
                                                                      {"AUTO_GRADE_ID", "AUTO_GRADE_ID"}};
  db.begin();
  for (const auto& element : doc.child("Table").children()) {
    const auto first = element.child("Record");
    if (!first) continue;
    const std::string tableName = element.name();
    std::vector<std::int64_t> offsets;
    std::vector<std::string> names;
    for (const auto& field : first.children()) {
      const auto numbered = kNumbered.find(field.name());
      offsets.push_back(numbered == kNumbered.end()
                            ? -1
                            : db.single(fmt::format("select max({}) from {}", numbered->second, tableName)) +
                                  1);
      names.emplace_back(field.name());
    }
    db.startRows(tableName, names);
    for (const auto& record : element.children("Record")) {
      std::size_t i = 0;
      for (const auto& field : record.children()) {
        const char* text = field.child_value();
        const std::int64_t offset = offsets[i++];
        if (offset >= 0)
          db.number(std::atoll(text) + offset);
        else
          db.text(text);
      }
      db.endRow();
    }
    db.endRows();
  }
  db.commit();
}

void floorTemplateCopy(FloorDb& db, std::int32_t resource) {
  db.begin();
  const std::int64_t node = db.single("select max(NODE_ID) from T_PROJECT_TREE") + 1;
  const std::int64_t project = db.single("select max(PROJECT_ID) from T_PROJECT_TREE") + 1;
  const std::int64_t first =
      db.single(fmt::format("select min(NODE_ID) from T_RESOURCE_TREE where RESOURCE_ID={}", resource));
  const std::int64_t shift = node - first;
  db.copyRows(
      fmt::format(
          "select NODE_ID+{0},NODE_NAME,{1},'0',LAYER_ID-1,CASE WHEN NODE_ID={2} THEN 0 ELSE "
          "PARENT_NOED_ID+{0} END,TYPE_ID,RESOURCE_TYPE_ID,STS,Bookmarks_Name,NODE_ORDER,PROJECT_TYPE "
          "from T_RESOURCE_TREE where RESOURCE_ID={3} order by NODE_ID",
          shift, project, first, resource),
      "T_PROJECT_TREE",
      "NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_ID,STS,Bookmarks_"
      "Name,NODE_ORDER,PROJECT_TYPE_ID");
  const std::int64_t check = db.single("select max(CHECK_ID) from T_ACCORDED_CHECK");
  db.copyRows(fmt::format("select {},BUNDLE_ID,CHECK_ID+{},CONTENT,STS,CHECK_ORI from T_ACCORDED_CHECK_INFO "
                          "where RESOURCE_ID={} and STS='V'",
                          project, check, resource),
              "T_ACCORDED_CHECK", "PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI");
  db.copyRows(
      fmt::format("select {},BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,AMOUNT,"
                  "BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE from TJ_OPEN_BID_DETAILS_INFO where "
                  "RESOURCE_ID={} and STS='V'",
                  project, resource),
      "TJ_OPEN_BID_DETAILS",
      "PROJECT_ID,BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,AMOUNT,BID_SUM_PRICE,"
      "SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE");
  const std::int64_t item = db.single("select max(GRADE_ITEM_ID) from T_GRADE_INGREDIENT");
  const std::int64_t factor = db.single("select max(INGREDIENT_ID) from T_GRADE_INGREDIENT_DETAIL");
  const std::int64_t rule = db.single("select max(AUTO_GRADE_ID) from T_AUTO_GRADE_DETAILS");
  db.copyRows(fmt::format("select GRADE_ITEM_ID+{},{},CONTENT,STS from T_GRADE_INGREDIENT_INFO where "
                          "RESOURCE_ID={} and STS='V'",
                          item, project, resource),
              "T_GRADE_INGREDIENT", "GRADE_ITEM_ID,PROJECT_ID,CONTENT,STS");
  const std::string items =
      fmt::format("select GRADE_ITEM_ID from T_GRADE_INGREDIENT_INFO where RESOURCE_ID={}", resource);
  db.copyRows(fmt::format("select INGREDIENT_ID+{},GRADE_ITEM_ID+{},NAME,GRADE_MODE_ID,STS from "
                          "T_GRADE_INGREDIENT_DETAIL_INFO where GRADE_ITEM_ID in ({})",
                          factor, item, items),
              "T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,STS");
  db.copyRows(
      fmt::format(
          "select AUTO_GRADE_ID+{},INGREDIENT_ID+{},STS from T_AUTO_GRADE_DETAILS_INFO where INGREDIENT_ID "
          "in (select INGREDIENT_ID from T_GRADE_INGREDIENT_DETAIL_INFO where GRADE_ITEM_ID in ({}))",
          rule, factor, items),
      "T_AUTO_GRADE_DETAILS", "AUTO_GRADE_ID,INGREDIENT_ID,STS");
  db.copyRows(fmt::format("select {},PROJECT_NAME,STS from TJ_PROCUREMENT_PROJECT_INFO where RESOURCE_ID={}",
                          project, resource),
              "TJ_PROCUREMENT_PROJECT", "PROJECT_ID,PROJECT_NAME,STS");
  db.commit();
}

void floorProjectSave(FloorDb& db, std::int32_t project) {
  db.begin();
  const std::int64_t node = db.single("select max(NODE_ID) from T_RESOURCE_TREE") + 1;
  const std::int64_t resource = db.single("select max(RESOURCE_ID) from T_RESOURCE_TREE") + 1;
  const std::int64_t first =
      db.single(fmt::format("select min(NODE_ID) from T_PROJECT_TREE where PROJECT_ID={}", project));
  const std::int64_t shift = node - first;
  db.copyRows(
      fmt::format("select NODE_ID+{0},LAYER_ID,CASE WHEN NODE_ID={1} THEN 1 ELSE PARENT_NOED_ID+{0} END,"
                  "NODE_NAME,STS,TYPE_ID,RESOURCE_TYPE_ID,{2},Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID from "
                  "T_PROJECT_TREE where PROJECT_ID={3} and STS='V' order by NODE_ID",
                  shift, first, resource, project),
      "T_RESOURCE_TREE",
      "NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS,TYPE_ID,RESOURCE_TYPE_ID,RESOURCE_ID,Bookmarks_Name,"
      "NODE_ORDER,PROJECT_TYPE");
  // Checks take new numbers in the library, as the save gives them.
  const std::int64_t check = db.single("select max(CHECK_ID) from T_ACCORDED_CHECK_INFO");
  db.copyRows(fmt::format("select {},BUNDLE_ID,CHECK_ID+{},CONTENT,STS,CHECK_ORI from T_ACCORDED_CHECK where "
                          "PROJECT_ID={} and STS='V'",
                          resource, check, project),
              "T_ACCORDED_CHECK_INFO", "RESOURCE_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI");
  db.copyRows(
      fmt::format("select {},BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,AMOUNT,"
                  "BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE from TJ_OPEN_BID_DETAILS where "
                  "PROJECT_ID={} and STS='V'",
                  resource, project),
      "TJ_OPEN_BID_DETAILS_INFO",
      "RESOURCE_ID,BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,AMOUNT,BID_SUM_PRICE,"
      "SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE");
  const std::int64_t item = db.single("select max(GRADE_ITEM_ID) from T_GRADE_INGREDIENT_INFO");
  const std::int64_t factor = db.single("select max(INGREDIENT_ID) from T_GRADE_INGREDIENT_DETAIL_INFO");
  const std::int64_t rule = db.single("select max(AUTO_GRADE_ID) from T_AUTO_GRADE_DETAILS_INFO");
  db.copyRows(
      fmt::format("select GRADE_ITEM_ID+{},{},CONTENT,STS from T_GRADE_INGREDIENT where PROJECT_ID={} "
                  "and STS='V'",
                  item, resource, project),
      "T_GRADE_INGREDIENT_INFO", "GRADE_ITEM_ID,RESOURCE_ID,CONTENT,STS");
  const std::string items =
      fmt::format("select GRADE_ITEM_ID from T_GRADE_INGREDIENT where PROJECT_ID={}", project);
  db.copyRows(fmt::format("select INGREDIENT_ID+{},GRADE_ITEM_ID+{},NAME,GRADE_MODE_ID,STS from "
                          "T_GRADE_INGREDIENT_DETAIL where GRADE_ITEM_ID in ({})",
                          factor, item, items),
              "T_GRADE_INGREDIENT_DETAIL_INFO", "INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,STS");
  db.copyRows(
      fmt::format(
          "select AUTO_GRADE_ID+{},INGREDIENT_ID+{},STS from T_AUTO_GRADE_DETAILS where INGREDIENT_ID in "
          "(select INGREDIENT_ID from T_GRADE_INGREDIENT_DETAIL where GRADE_ITEM_ID in ({}))",
          rule, factor, items),
      "T_AUTO_GRADE_DETAILS_INFO", "AUTO_GRADE_ID,INGREDIENT_ID,STS");
  db.copyRows(fmt::format("select {},PROJECT_NAME,STS from TJ_PROCUREMENT_PROJECT where PROJECT_ID={}",
                          resource, project),
              "TJ_PROCUREMENT_PROJECT_INFO", "RESOURCE_ID,PROJECT_NAME,STS");
  db.commit();
}

void floorSubtreeDelete(sqlite3* db, std::int64_t node) {
  exec(db,
       fmt::format("WITH RECURSIVE below(id) AS (SELECT {} UNION ALL SELECT t.NODE_ID FROM T_PROJECT_TREE t "
                   "JOIN below ON t.PARENT_NOED_ID = below.id) DELETE FROM T_PROJECT_TREE WHERE NODE_ID IN "
                   "(SELECT id FROM below)",
                   node));
}

}  // namespace quillon::bench
