// The updatable result set and value conversions.
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using RecordsetTest = HomeTest;

TEST_F(RecordsetTest, FieldsByNameInAnyCaseAndTypesFromDeclaration) {
  exec(
      "insert into T_GRADE_INGREDIENT(GRADE_ITEM_ID, PROJECT_ID, CONTENT, SCALE, STS) values(1, 2, '价格分', "
      "30.5, 'V')");
  Recordset rs;
  ASSERT_TRUE(obj->GetValue(
      "select grade_item_id, CONTENT, Scale, (select count(*) from T_GUID) as n from T_GRADE_INGREDIENT",
      rs));
  ASSERT_FALSE(rs.atEnd());
  EXPECT_EQ(rs.fieldCount(), 4);
  EXPECT_EQ(rs.fieldName(3), "n");  // an alias as written
  EXPECT_EQ(rs.fieldIndex("GRADE_ITEM_ID"), 0);
  EXPECT_EQ(rs.fieldType(0), field_type::kLong);
  EXPECT_EQ(rs.fieldType(1), field_type::kText);
  EXPECT_EQ(rs.fieldType(2), field_type::kDouble);
  EXPECT_EQ(rs.fieldType(3), field_type::kLong);  // expression: from its value
  EXPECT_EQ(rs.value("content").toText(), "价格分");
  EXPECT_EQ(rs.value("SCALE").toText(), "30.5");
  EXPECT_THROW(rs.value("no_such_field"), Error);
}

TEST_F(RecordsetTest, AddNewEditDeleteThroughTheCursor) {
  Recordset rs;
  ASSERT_TRUE(obj->GetValue("Select NODE_ID, NODE_NAME, STS from T_PROJECT_TREE", rs));
  EXPECT_TRUE(rs.atEnd());
  rs.addNew();
  rs.setValue("NODE_ID", Value(10));
  rs.setValue("node_name", Value("O'Brien"));
  rs.update();
  rs.addNew();
  rs.setValue(0, Value(11));
  rs.update();
  EXPECT_EQ(rows("select NODE_ID, NODE_NAME, STS from T_PROJECT_TREE order by NODE_ID"),
            (std::vector<std::string>{"10|O'Brien|NULL", "11|NULL|NULL"}));

  ASSERT_TRUE(obj->GetValue("select * from T_PROJECT_TREE order by NODE_ID", rs));
  rs.edit();
  rs.setValue("STS", Value("I"));
  EXPECT_EQ(rs.value("STS").toText(), "I");  // the pending value reads back
  rs.update();
  rs.moveNext();
  rs.deleteCurrent();
  EXPECT_THROW(rs.value(0), Error);  // the deleted row is gone
  rs.moveNext();
  EXPECT_TRUE(rs.atEnd());
  EXPECT_EQ(rows("select NODE_ID, STS from T_PROJECT_TREE"), (std::vector<std::string>{"10|I"}));
}

// What the engine itself answers for a query, through a connection of the
// test's own: the file's library, or the server's own client.
std::vector<std::string> serverRows(const std::string& url, const std::string& sql) {
  std::string quoted;  // for the shell, within single quotes
  for (const char c : sql) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  const std::string command = fmt::format("psql -X -A -t -F '|' -P null=NULL \"{}\" -c '{}'", url, quoted);
  std::unique_ptr<FILE, int (*)(FILE*)> out(popen(command.c_str(), "r"), pclose);
  std::vector<std::string> lines;
  std::string line;
  for (int c; (c = std::fgetc(out.get())) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    lines.push_back(line);
    line.clear();
  }
  return lines;
}

std::vector<std::string> engineRows(const std::filesystem::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  std::vector<std::string> out;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::string line;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const auto* text = sqlite3_column_text(stmt, i);
      line += (i ? "|" : "") + (text ? std::string(reinterpret_cast<const char*>(text)) : "NULL");
    }
    out.push_back(line);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

TEST_F(RecordsetTest, RowsAreTheEnginesOwnForTheCallersText) {
  open(true);
  for (const std::string sql : {
           "select TYPE_NAME from T_PROJECT_TYPE order by 1",
           "select TYPE_ID, TYPE_NAME from T_PROJECT_TYPE order by 2 desc",
           "select * from T_PROJECT_TYPE order by 1 desc",
           "select distinct PROJECT_ID from T_PROJECT_TREE order by 1",
           "SELECT DISTINCT TYPE_ID FROM T_RESOURCE_TREE ORDER BY 1",
           "select PROJECT_ID from T_PROJECT_TREE group by PROJECT_ID order by 1",
           "select PROJECT_ID, count(*) from T_PROJECT_TREE group by 1 order by 2 desc, 1",
           "select NODE_ID, (select count(*) from T_PROJECT_TREE c where c.PARENT_NOED_ID = p.NODE_ID) from "
           "T_PROJECT_TREE p order by 2 desc, 1 limit 5",
           "select TYPE_ID from T_PROJECT_TYPE union select 9 order by 1 desc",
           "select NODE_NAME as \"from\", 'group' from T_PROJECT_TREE /* from */ order by 1 limit 3",
       }) {
    EXPECT_EQ(rows(sql),
              onServer() ? serverRows(server->url(), sql) : engineRows(dir.path() / "Data" / "zbs.mdb", sql))
        << sql;
  }
}

TEST_F(RecordsetTest, MovingOnAbandonsAnEdit) {
  exec("insert into T_ACCORDED_CHECK(CHECK_ID, CONTENT) values(1, NULL)");
  exec("insert into T_ACCORDED_CHECK(CHECK_ID, CONTENT) values(2, NULL)");
  Recordset rs;
  ASSERT_TRUE(obj->GetValue("select CHECK_ID, CONTENT from T_ACCORDED_CHECK order by CHECK_ID", rs));
  rs.edit();
  rs.setValue(1, Value(" "));
  EXPECT_EQ(rs.value(1).toText(), " ");
  rs.moveNext();
  EXPECT_TRUE(rs.value(1).isNull());
  EXPECT_EQ(scalar("select count(*) from T_ACCORDED_CHECK where CONTENT is null"), "2");
}

TEST_F(RecordsetTest, AggregatesAndUnionsAreReadOnly) {
  exec("insert into T_GUID(GUID) values(4)");
  Recordset rs;
  ASSERT_TRUE(
      obj->GetValue("select max(r) from (select max(GUID) as r from T_GUID union all select 9 as r) t", rs));
  EXPECT_EQ(rs.value(0).toInt32(), 9);
  EXPECT_THROW(rs.edit(), Error);
  EXPECT_THROW(rs.deleteCurrent(), Error);
}

TEST_F(RecordsetTest, MoveFirstRestartsAndAtEndStops) {
  for (int i = 1; i <= 3; ++i) exec("insert into T_GUID(GUID) values(" + std::to_string(i) + ")");
  Recordset rs;
  ASSERT_TRUE(obj->GetValue("select GUID from T_GUID order by GUID", rs));
  rs.moveNext();
  rs.moveNext();
  EXPECT_EQ(rs.value(0).toInt32(), 3);
  rs.moveNext();
  EXPECT_TRUE(rs.atEnd());
  EXPECT_THROW(rs.moveNext(), Error);
  EXPECT_THROW(rs.value(0), Error);
  rs.moveFirst();
  EXPECT_EQ(rs.value(0).toInt32(), 1);
  rs.close();
  EXPECT_FALSE(rs.isOpen());
  EXPECT_THROW(rs.atEnd(), Error);
}

// The connection keeps prepared queries between uses: sets of one text open at
// once must not share a cursor, a first row changed since it was read must be
// read again, and a changed table must not be described by its old columns.
TEST_F(RecordsetTest, KeptQueriesBehaveAsFreshOnes) {
  for (int i = 1; i <= 2; ++i) exec("insert into T_GUID(GUID) values(" + std::to_string(i) + ")");
  const std::string text = "select GUID from T_GUID order by GUID";
  Recordset a, b;
  ASSERT_TRUE(obj->GetValue(text, a));
  a.moveNext();
  ASSERT_TRUE(obj->GetValue(text, b));
  EXPECT_EQ(a.value(0).toInt32(), 2);
  EXPECT_EQ(b.value(0).toInt32(), 1);
  a.close();
  b.close();

  ASSERT_TRUE(obj->GetValue(text, a));  // a kept statement, from its start
  EXPECT_EQ(a.value(0).toInt32(), 1);
  exec("update T_GUID set GUID = 0 where GUID = 1");
  a.moveFirst();
  EXPECT_EQ(a.value(0).toInt32(), 0);
  a.close();

  exec("alter table T_GUID add column NOTE TEXT");
  ASSERT_TRUE(obj->GetValue("select * from T_GUID order by GUID", a));
  a.close();
  exec("alter table T_GUID drop column NOTE");
  ASSERT_TRUE(obj->GetValue("select * from T_GUID order by GUID", a));
  EXPECT_EQ(a.fieldCount(), 1);
  EXPECT_EQ(a.value(0).toInt32(), 0);
}

TEST_F(RecordsetTest, SetOutlivesItsObject) {
  exec("insert into T_GUID(GUID) values(1)");
  Recordset rs;
  ASSERT_TRUE(obj->GetValue("select GUID from T_GUID", rs));
  obj.reset();  // the connection stays until the set is closed
  EXPECT_EQ(rs.value(0).toInt32(), 1);
}

TEST(ValueTest, ConversionsFollowTheHostRules) {
  EXPECT_EQ(Value(3.0).toText(), "3");
  EXPECT_EQ(Value(0.1).toText(), "0.1");
  EXPECT_EQ(Value(1e21).toText(), "1e+21");
  EXPECT_EQ(Value(std::int64_t{-5}).toText(), "-5");
  EXPECT_THROW(Value::null().toText(), Error);
  EXPECT_EQ(Value("2.5").toInt32(), 2);  // half to even
  EXPECT_EQ(Value("3.5").toInt32(), 4);
  EXPECT_EQ(Value(" 12 ").toInt32(), 12);
  EXPECT_THROW(Value("12abc").toInt32(), Error);
  EXPECT_THROW(Value("").toDouble(), Error);
  EXPECT_THROW(Value(std::int64_t{2147483648LL}).toInt32(), Error);
  EXPECT_THROW(Value(40000).toInt16(), Error);
  EXPECT_EQ(Value(-32768).toInt16(), -32768);
  EXPECT_THROW(Value("7").integer(), Error);  // raw access to another kind: not a std:: exception
}

TEST(ValueTest, LeadingNumberIsTheNumericPrefix) {
  EXPECT_EQ(leadingNumber("12abc"), 12.0);
  EXPECT_EQ(leadingNumber("  3.5e2x"), 350.0);
  EXPECT_EQ(leadingNumber("-7"), -7.0);
  EXPECT_EQ(leadingNumber("abc"), 0.0);
  EXPECT_EQ(leadingNumber("1e"), 1.0);
  EXPECT_EQ(leadingNumber(""), 0.0);
}

}  // namespace
}  // namespace quillon::test
