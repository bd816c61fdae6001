// The commands for people: all or nothing, truthful reasons, and output that
// parses whatever bytes a legacy row holds.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_support.h"
#include "platform/utf8.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

class PeopleCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(q("init --demo").status, 0); }
  CommandResult q(const std::string& args) {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args);
  }
  // Runs the command with every file it writes limited to `kib` KiB, as on a
  // nearly full file system.
  CommandResult limited(int kib, const std::string& args) {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args, "",
                      "trap '' XFSZ; ulimit -f " + std::to_string(kib) + "; ");
  }
  std::string count(const std::string& sql) {
    const auto r = q("call GetValue " + shellQuote("select (" + sql + ") as n"));
    return nlohmann::json::parse(r.out.substr(r.out.find('\n') + 1))["n"].dump();
  }
  std::string ownedRows(const std::string& side, int owner) {
    const std::string id = side == "project" ? "PROJECT_ID" : "RESOURCE_ID";
    const std::string suffix = side == "project" ? "" : "_INFO";
    const std::string tree = side == "project" ? "T_PROJECT_TREE" : "T_RESOURCE_TREE";
    const auto where = " where " + id + " = " + std::to_string(owner);
    return count("select count(*) from " + tree + where) + "/" +
           count("select count(*) from TJ_PROCUREMENT_PROJECT" + suffix + where) + "/" +
           count("select count(*) from T_ACCORDED_CHECK" + suffix + where);
  }
  void corruptProjectName(const std::string& hexBytes) {
    ASSERT_EQ(q("call ExecuteSql " + shellQuote("update TJ_PROCUREMENT_PROJECT set PROJECT_NAME = cast(x'" +
                                                hexBytes + "' as text) where PROJECT_ID = 1"))
                  .out,
              "true\n");
  }
  TempDir dir;
};

bool parsesAsXml(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string s = text.str();
  xmlDocPtr doc = xmlReadMemory(s.data(), static_cast<int>(s.size()), "package.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc) xmlFreeDoc(doc);
  return doc != nullptr;
}

TEST_F(PeopleCommandsTest, NewBsAndSaveTemplateOnAFullDiskStoreNothing) {
  const auto projects = ownedRows("project", 2);
  const auto copy = limited(40, "new-bs --template 21 --name m --parent 1 --layer 1");
  EXPECT_EQ(copy.status, 3);
  EXPECT_NE(copy.err.find("the changes were not stored: disk I/O error"), std::string::npos) << copy.err;
  EXPECT_EQ(copy.out, "");
  EXPECT_EQ(ownedRows("project", 2), projects);

  const auto templates = count("select count(*) from T_RESOURCE_TREE");
  const auto save = limited(40, "save-template --project 1 --name t");
  EXPECT_EQ(save.status, 3);
  EXPECT_NE(save.err.find("disk I/O error"), std::string::npos) << save.err;
  EXPECT_EQ(count("select count(*) from T_RESOURCE_TREE"), templates);

  // With room again both work, and the number given out is the one stored.
  const auto again = q("new-bs --template 21 --name m --parent 1 --layer 1");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out.substr(0, 10), "project 2\n");
  EXPECT_NE(ownedRows("project", 2), projects);
}

TEST_F(PeopleCommandsTest, NewProjectNumberIsFreeInEveryProjectTable) {
  // A project record left without a tree by an earlier failure keeps its
  // number: the next document must not share it.
  ASSERT_EQ(
      q("call ExecuteSql " + shellQuote("insert into TJ_PROCUREMENT_PROJECT(PROJECT_ID) values (5)")).out,
      "true\n");
  const auto r = q("new-bs --template 21 --name m --parent 1 --layer 1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 10), "project 6\n");
  EXPECT_EQ(count("select count(*) from TJ_PROCUREMENT_PROJECT where PROJECT_ID = 5"), "1");
}

TEST_F(PeopleCommandsTest, UsageErrorsAndReasonsThatTellTheTruth) {
  EXPECT_EQ(q("new-bs --template 21 --name " + shellQuote("bad\xff\xfe") + " --parent 1 --layer 1").status,
            2);
  EXPECT_EQ(q("save-template --project 1 --name " + shellQuote("\xc0\xaf")).status, 2);  // overlong "/"
  EXPECT_EQ(runQuillon("--home '' tree --project 1").status, 2);

  RecordingHost host;
  DBFunc holder(host, dir.path());
  for (const char* args :
       {"new-bs --template 21 --name m --parent 1 --layer 1", "save-template --project 1 --name t"}) {
    const auto r = q(args);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("cannot use the database: database is locked"), std::string::npos) << r.err;
  }
}

TEST_F(PeopleCommandsTest, AStoppedSaveNamesTheRowAndLeavesTheLibraryAlone) {
  ASSERT_EQ(
      q("call ExecuteSql " + shellQuote("update T_PROJECT_TREE set Bookmarks_Name = NULL where NODE_ID = "
                                        "(select min(NODE_ID) + 3 from T_PROJECT_TREE where PROJECT_ID = 1)"))
          .out,
      "true\n");
  const auto library = count("select count(*) from T_RESOURCE_TREE");
  const auto r = q("save-template --project 1 --name t");
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("Invalid use of Null (T_PROJECT_TREE, node 4, column Bookmarks_Name)"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(count("select count(*) from T_RESOURCE_TREE"), library);

  // Owners past 16 bits have pages too.
  ASSERT_EQ(q("call ExecuteSql " + shellQuote("update T_ACCORDED_CHECK set PROJECT_ID = 900001")).out,
            "true\n");
  const auto page = q("html --project 900001");
  EXPECT_EQ(page.status, 0) << page.err;
  EXPECT_NE(page.out.find("投标人具有独立承担民事责任的能力"), std::string::npos);
}

TEST_F(PeopleCommandsTest, ImportIsAllOrNothing) {
  const auto out = dir.path() / "out";
  ASSERT_EQ(q("export --project 1 " + shellQuote((out / "plan.dat").string())).status, 0);
  const fs::path package = out / "plan" / "plan.xml";
  std::ifstream in(package, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  const std::string docs = shellQuote((dir.path() / "docs").string());
  const auto ok = q("import " + shellQuote(package.string()) + " --parent 0 --layer 0 --doc-root " + docs);
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out.rfind("project 3\n", 0), 0u) << ok.out;  // 2 is the reservation's
  EXPECT_NE(ok.out.find("1 document folder(s) made"), std::string::npos) << ok.out;

  // The last tree record cannot be stored: nothing of the import stays.
  const auto last = text.rfind("<NODE_ID>");
  text.replace(last, text.find("</NODE_ID>", last) - last, "<NODE_ID>99999999999");
  const fs::path broken = out / "plan" / "broken.xml";
  std::ofstream(broken, std::ios::binary) << text;
  const auto trees = count("select count(*) from T_PROJECT_TREE");
  const auto checks = count("select count(*) from T_ACCORDED_CHECK");
  const auto r = q("import " + shellQuote(broken.string()) + " --parent 0 --layer 0 --doc-root " + docs);
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("Overflow"), std::string::npos) << r.err;
  EXPECT_EQ(count("select count(*) from T_PROJECT_TREE"), trees);
  EXPECT_EQ(count("select count(*) from T_ACCORDED_CHECK"), checks);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "docs"), fs::directory_iterator()), 1);
}

TEST_F(PeopleCommandsTest, LegacyBytesLeaveEveryOutputParseable) {
  corruptProjectName("62adff01e080af");  // "b", stray bytes, a control, a cut sequence
  ASSERT_EQ(q("call ExecuteSql " + shellQuote("update T_ACCORDED_CHECK set CONTENT = cast(x'41ff02' as text) "
                                              "where rowid = (select min(rowid) from T_ACCORDED_CHECK "
                                              "where PROJECT_ID = 1)"))
                .out,
            "true\n");
  const auto out = dir.path() / "out";
  const auto plan = q("export --project 1 " + shellQuote((out / "plan.dat").string()));
  ASSERT_EQ(plan.status, 0) << plan.err;
  EXPECT_NE(plan.err.find("note: 2 values were not valid UTF-8"), std::string::npos) << plan.err;
  EXPECT_TRUE(parsesAsXml(out / "plan" / "plan.xml"));
  ASSERT_EQ(q("export --bid --project 1 " + shellQuote((out / "bid.dat").string())).status, 0);
  EXPECT_TRUE(parsesAsXml(out / "bid.dat.xml"));

  const auto html = q("html --project 1");
  ASSERT_EQ(html.status, 0) << html.err;
  EXPECT_TRUE(isValidUtf8(html.out));
  EXPECT_EQ(html.out.find('\x02'), std::string::npos);

  const auto rows = q("--messages json call GetValue " +
                      shellQuote("select PROJECT_NAME from TJ_PROCUREMENT_PROJECT where PROJECT_ID = 1"));
  const auto row = nlohmann::json::parse(rows.out.substr(rows.out.find('\n') + 1));
  EXPECT_EQ(row["PROJECT_NAME"], "b\xEF\xBF\xBD\xEF\xBF\xBD\x01\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8Cleaning, ReplacesWhatXmlCannotCarryAndLeavesTextAlone) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain 招标 \t\r\n", ""},  // nothing to do
      {"a\xff"
       "b",
       "a\xEF\xBF\xBD"
       "b"},                                                                     // a stray byte
      {"\xe6\x8b", "\xEF\xBF\xBD\xEF\xBF\xBD"},                                  // a cut-off character
      {"\xed\xa0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},                  // a surrogate
      {"x\x01y", "x\xEF\xBF\xBDy"},                                              // a control character
      {"\xef\xbf\xbe", "\xEF\xBF\xBD"},                                          // U+FFFE
      {"\xf4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // above U+10FFFF
  };
  for (const auto& [in, expected] : cases) {
    std::string out = "untouched";
    EXPECT_EQ(platform::utf8::cleanForXml(in, out), !expected.empty()) << in;
    EXPECT_EQ(out, expected.empty() ? "untouched" : expected) << in;
    EXPECT_TRUE(isValidUtf8(expected.empty() ? in : out));
  }
  EXPECT_FALSE(isValidUtf8("\xc0\xaf"));
  EXPECT_TRUE(isValidUtf8("\xf0\x9f\x98\x80"));
}

}  // namespace
}  // namespace quillon::test
