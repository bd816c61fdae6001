// The commands for people: all or nothing, truthful reasons, and output that
// parses whatever bytes a legacy row holds.
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <algorithm>
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
  CommandResult q(const std::string& args, const std::string& input = "") {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args, input);
  }
  // Runs the command with every file it writes limited to `kib` KiB, as on a
  // nearly full file system.
  CommandResult limited(int kib, const std::string& args) {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args, "",
                      "trap '' XFSZ; ulimit -f " + std::to_string(kib) + "; ");
  }
  static std::size_t lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
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
  // Names a document could not be stored or sent under.
  const std::string longest(200, 'n');
  for (const std::string& bad :
       {std::string("   "), std::string("\t\xe3\x80\x80 "), longest + "n", std::string(120 * 1024, 'x')}) {
    const auto r = q("new-bs --template 21 --name " + shellQuote(bad) + " --root R");
    EXPECT_EQ(r.status, 2) << bad.size();
    EXPECT_NE(r.err.find("--name"), std::string::npos) << r.err.substr(0, 200);
    EXPECT_EQ(q("save-template --project 1 --name " + shellQuote(bad)).status, 2) << bad.size();
  }
  EXPECT_EQ(q("new-bs --template 21 --name n --root " + shellQuote("\xe3\x80\x80")).status, 2);
  EXPECT_EQ(q("save-template --project 1 --name " + longest).status, 0);
  // One argument of 1 MB cannot pass exec; through the shell it reaches the
  // member, which fails with its reason, and the session goes on.
  const auto shell =
      q("shell", "GetMaxNo " + std::string(1 << 20, 'T') + " NODE_ID\nGetMaxNo T_PROJECT_TREE NODE_ID\n");
  EXPECT_NE(shell.err.find("DBF-00003"), std::string::npos);
  ASSERT_GE(shell.out.size(), 2u);
  const auto lastLine = shell.out.substr(shell.out.rfind('\n', shell.out.size() - 2) + 1);
  EXPECT_GT(std::stol(lastLine), 1) << shell.out;

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
  for (const char* table : {"T_ACCORDED_CHECK", "TJ_PROCUREMENT_PROJECT"})
    ASSERT_EQ(q("call ExecuteSql " + shellQuote(fmt::format("update {} set PROJECT_ID = 900001", table))).out,
              "true\n");
  const auto page = q("html --project 900001");
  EXPECT_EQ(page.status, 0) << page.err;
  EXPECT_NE(page.out.find("投标人具有独立承担民事责任的能力"), std::string::npos);
}

TEST_F(PeopleCommandsTest, ImportIsAllOrNothingAndACheckKeepsNothing) {
  const auto out = dir.path() / "out";
  ASSERT_EQ(q("export --project 1 " + shellQuote((out / "plan" / "plan.xml").string())).status, 0);
  const fs::path package = out / "plan" / "plan.xml";
  const std::string docName = "2026年度办公设备采购项目招标文件";
  std::ofstream(out / "plan" / (docName + ".DOC")) << "word";
  std::ifstream in(package, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  // The last tree record cannot be stored.
  const auto last = text.rfind("<NODE_ID>");
  text.replace(last, text.find("</NODE_ID>", last) - last, "<NODE_ID>99999999999");
  const std::string broken = shellQuote((out / "plan" / "broken.xml").string());
  std::ofstream(out / "plan" / "broken.xml", std::ios::binary) << text;
  const std::string good = shellQuote(package.string());
  const std::string docs = shellQuote((dir.path() / "docs").string());
  const fs::path projects = dir.path() / "Projects";
  const auto trees = count("select count(*) from T_PROJECT_TREE");
  const auto checks = count("select count(*) from T_ACCORDED_CHECK");
  const auto unchanged = [&](const std::string& step) {
    EXPECT_EQ(count("select count(*) from T_PROJECT_TREE"), trees) << step;
    EXPECT_EQ(count("select count(*) from T_ACCORDED_CHECK"), checks) << step;
    EXPECT_FALSE(fs::exists(dir.path() / "docs")) << step;
    EXPECT_TRUE(fs::is_empty(projects)) << step;
  };

  const auto check = q("import --check " + good);
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("would import as project 3"), std::string::npos) << check.out;
  EXPECT_NE(check.out.find(docName), std::string::npos) << check.out;
  unchanged("check");
  const auto refused = q("import --check --bid " + broken);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("would not import: the package was refused: record 38 of T_PROJECT_TREE, column "
                             "NODE_ID: Overflow"),
            std::string::npos)
      << refused.out;
  EXPECT_EQ(q("import " + good + " --doc-root " + docs).status, 2);  // no --parent and --layer
  for (const std::string how : {" --doc-root " + docs, std::string(" --bid")}) {
    const auto r = q("import " + broken + " --parent 0 --layer 0" + how);
    EXPECT_EQ(r.status, 3) << how;
    EXPECT_NE(r.err.find("Overflow"), std::string::npos) << r.err;
    unchanged(how);
  }

  const auto tender = q("import " + good + " --parent 0 --layer 0 --doc-root " + docs);
  ASSERT_EQ(tender.status, 0) << tender.err;
  EXPECT_EQ(tender.out.rfind("project 3\n", 0), 0u) << tender.out;  // 2 is the reservation's
  EXPECT_NE(tender.out.find("1 document folder(s) made"), std::string::npos) << tender.out;
  const auto bid = q("import --bid " + good + " --parent 0 --layer 0");
  ASSERT_EQ(bid.status, 0) << bid.err;
  EXPECT_NE(bid.out.find("1 document folder(s) made, 1 file(s) copied"), std::string::npos) << bid.out;
  const auto folder = fs::directory_iterator(projects)->path();
  EXPECT_TRUE(fs::exists(folder / (docName + ".DOC"))) << folder;
  EXPECT_EQ(count("select count(*) from T_PROJECT_TREE where PROJECT_ID = 5 and NODE_NAME = '投标书'"), "1");
}

TEST_F(PeopleCommandsTest, ImportedTemplatesAreRenamedOrReplaceTheOldOnes) {
  // A library node whose name is checked against the library's.
  ASSERT_EQ(
      q("call ExecuteSql " + shellQuote("update T_RESOURCE_TREE set TYPE_ID = 10 where NODE_ID = 101")).out,
      "true\n");
  const std::string library = shellQuote((dir.path() / "lib.xml").string());
  ASSERT_EQ(q("export-library " + library).status, 0);
  const auto renamed = q("import-library " + library);
  ASSERT_EQ(renamed.status, 0) << renamed.err;
  EXPECT_NE(renamed.out.find("导入)\": the library holds that name"), std::string::npos) << renamed.out;
  const auto live = count("select count(*) from T_RESOURCE_TREE where TYPE_ID = 10 and STS = 'V'");
  const auto replaced = q("import-library --replace-old " + library);
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(replaced.out.find("renamed"), std::string::npos) << replaced.out;
  EXPECT_EQ(count("select count(*) from T_RESOURCE_TREE where TYPE_ID = 10 and STS = 'V'"), live);
  EXPECT_EQ(count("select STS from T_RESOURCE_TREE where NODE_ID = 101"), "\"I\"");
}

// Scripts read the results of the writing commands as JSON, agreeing with the rows.
TEST_F(PeopleCommandsTest, WritingCommandsReportAsJson) {
  const auto json = [&](const std::string& args) {
    const auto r = q(args);
    EXPECT_EQ(r.status,
              args.find("--check") != std::string::npos && args.find("missing") != std::string::npos)
        << args << r.err;
    return nlohmann::json::parse(r.out);
  };
  const auto made = json("new-bs --json --template 21 --name 新 --root 根");
  const int project = made["project"];
  EXPECT_EQ(made["tree"].size(),
            std::stoul(count(fmt::format(
                "select count(*) from T_PROJECT_TREE where STS = 'V' and PROJECT_ID = {}", project))));
  EXPECT_EQ(made["tree"][0]["depth"], 0);
  EXPECT_EQ(made["tree"][1]["parent"], made["tree"][0]["node"]);
  const auto saved = json("save-template --json --project " + std::to_string(project) + " --name 范本");
  EXPECT_EQ(saved["resource"], 28);  // after the demo's 21 to 27
  EXPECT_EQ(q("tree --resource 28").status, 0);

  const auto package = shellQuote((dir.path() / "out" / "p.xml").string());
  ASSERT_EQ(q("export --project 1 " + package).status, 0);
  const auto check = json("import --check --json " + package);
  EXPECT_TRUE(check["imports"]);
  const auto done = json("import --json " + package + " --parent 0 --layer 0 --doc-root " +
                         shellQuote((dir.path() / "docs").string()));
  EXPECT_EQ(done["project"], check["project"]);
  EXPECT_EQ(done["rows"]["T_ACCORDED_CHECK"].dump(),
            count(fmt::format("select count(*) from T_ACCORDED_CHECK where PROJECT_ID = {}",
                              int(done["project"]))));
  EXPECT_EQ(json("import --check --json missing.xml")["imports"], false);
  const auto lines = q("tree --json --project " + std::to_string(project)).out;
  EXPECT_EQ(nlohmann::json::parse(lines.substr(0, lines.find('\n'))), made["tree"][0]);
}

TEST_F(PeopleCommandsTest, LegacyBytesLeaveEveryOutputParseable) {
  corruptProjectName("62adff01e080af");  // "b", stray bytes, a control, a cut sequence
  ASSERT_EQ(q("call ExecuteSql " + shellQuote("update T_ACCORDED_CHECK set CONTENT = cast(x'41ff02' as text) "
                                              "where rowid = (select min(rowid) from T_ACCORDED_CHECK "
                                              "where PROJECT_ID = 1)"))
                .out,
            "true\n");
  const auto out = dir.path() / "out";
  const auto plan = q("export --project 1 " + shellQuote((out / "plan" / "plan.xml").string()));
  ASSERT_EQ(plan.status, 0) << plan.err;
  EXPECT_NE(plan.err.find("note: 2 values were not valid UTF-8"), std::string::npos) << plan.err;
  EXPECT_TRUE(parsesAsXml(out / "plan" / "plan.xml"));
  ASSERT_EQ(q("export --bid --project 1 " + shellQuote((out / "bid.xml").string())).status, 0);
  EXPECT_TRUE(parsesAsXml(out / "bid.xml"));

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
