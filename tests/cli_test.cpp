// The command line contract that scripts rely on.
#include <gtest/gtest.h>

#include <sstream>

#include "cli_support.h"
#include "quillon/setup.h"
#include "test_support.h"

namespace quillon::test {
namespace {

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { initializeHome(dir.path(), InitOptions{false, true}); }
  CommandResult q(const std::string& args, const std::string& input = "") {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args, input);
  }
  TempDir dir;
};

TEST_F(CliTest, ResultsPrintAsTheContractSays) {
  EXPECT_EQ(q("call ExecuteSql \"insert into T_GUID(GUID) values(41)\"").out, "true\n");
  EXPECT_EQ(q("call GetMaxNo T_GUID GUID").out, "42\n");
  const auto rows = q("call GetValue \"select GUID, NULL as empty_col, 'x' as t from T_GUID\"");
  EXPECT_EQ(rows.status, 0);
  EXPECT_EQ(rows.out, "true\n{\"GUID\":41,\"empty_col\":null,\"t\":\"x\"}\n");
  const auto bad = q("call GetValue \"select nonsense\"");
  EXPECT_EQ(bad.out, "false\n");
  EXPECT_EQ(bad.status, 0);
  EXPECT_EQ(bad.err, "quillon: GetValue failed: no such column: nonsense\n");
  EXPECT_EQ(q("call PARENT_LAYER_ID").out, "0\n");
}

TEST_F(CliTest, ExitStatusTellsUsageFromCallErrors) {
  EXPECT_EQ(q("call NoSuchMember").status, 2);
  EXPECT_EQ(q("call GetMaxNo T_GUID").status, 2);             // missing argument
  EXPECT_EQ(q("call GetMaxNo T_GUID GUID extra").status, 2);  // one too many
  EXPECT_EQ(q("--bogus-option call GetGUID").status, 2);
  const auto failed = q("call GetMaxNo T_GUID NO_COLUMN");
  EXPECT_EQ(failed.status, 0);  // the member returned its failure value
  EXPECT_EQ(failed.out, "-1\n");
}

TEST_F(CliTest, JsonMessagesAreOneObjectPerLine) {
  const auto r = q("--messages json call Db_GetCount no_table \"\"");
  EXPECT_EQ(r.out, "-1\n");
  EXPECT_EQ(r.err,
            "{\"kind\":\"message\",\"title\":\"错误\",\"text\":\"执行语句错误！\\r\\n错误编号：DBF-"
            "00002\\r\\n详细信息："
            "no such table: no_table\",\"icon\":\"critical\"}\n"
            "{\"kind\":\"reason\",\"member\":\"Db_GetCount\",\"text\":\"no such table: no_table\"}\n");
}

// With --messages json every line on stderr is one JSON object, whatever wrote it.
TEST_F(CliTest, JsonMessagesCoverUsageErrorsAndNotes) {
  for (const std::string args :
       {"--messages json lst", "--messages json list projects --bogus", "--messages json tree --project 999",
        "--messages json list projects", "--messages json call", "--messages json html"}) {
    const auto r = q(args);
    std::istringstream lines(r.err);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
      EXPECT_EQ(line.rfind("{\"kind\":", 0), 0u) << args << ": " << line;
    EXPECT_GT(count, 0) << args;
  }
}

TEST_F(CliTest, TyposGetSuggestionsAndOptionsGoAnywhere) {
  const auto command = q("lst");
  EXPECT_EQ(command.status, 2);
  EXPECT_NE(command.err.find("did you mean 'list'?"), std::string::npos) << command.err;
  const auto member = q("call GetMaxN T_PROJECT_TREE NODE_ID");
  EXPECT_EQ(member.status, 2);
  EXPECT_NE(member.err.find("did you mean 'GetMaxNo'?"), std::string::npos) << member.err;
  const auto help = runQuillon("help list");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: list"), std::string::npos) << help.out;
  EXPECT_EQ(runQuillon("help lst").status, 2);
  const auto after = runQuillon("list templates --home " + shellQuote(dir.path().string()));
  EXPECT_EQ(after.status, 0) << after.err;
}

TEST_F(CliTest, ShellKeepsOneObjectAndItsFields) {
  const auto r = q("shell",
                   "set PARENT_LAYER_ID 5\n"
                   "get PARENT_LAYER_ID\n"
                   "ExecuteSql 'insert into T_GUID(GUID) values(9)'\n"
                   "# a comment\n"
                   "GetGUID\n"
                   "set InputBsPath \"/tmp/a b/\"\n"
                   "get InputBsPath\n"
                   "help GetMaxNo\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "5\ntrue\n10\n/tmp/a b/\nGetMaxNo Table RowName\n");
  EXPECT_EQ(r.err, "") << "no prompt when the lines do not come from a terminal";
  EXPECT_EQ(q("shell", "NoSuch\nGetGUID\n").status, 2);
}

TEST_F(CliTest, SetWritesADataMemberBeforeTheCall) {
  EXPECT_EQ(q("--set PARENT_LAYER_ID=3 call PARENT_LAYER_ID").out, "3\n");
  EXPECT_EQ(q("--set PARENT_LAYER_ID=x call GetGUID").status, 2);
  EXPECT_EQ(q("--set Nope=1 call GetGUID").status, 2);
}

TEST_F(CliTest, InitRefusesToReplaceWithoutForce) {
  const auto r = q("init");
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("already exists"), std::string::npos);
  EXPECT_EQ(q("init --force --demo").status, 0);
  // Without --home and QUILLON_HOME a person's installation is in their data folder.
  const std::string user = "unset QUILLON_HOME; export HOME=" + shellQuote(dir.path().string()) + ";";
  EXPECT_EQ(runQuillon("init", "", user + "unset XDG_DATA_HOME; ").status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / ".local/share/quillon/Data/zbs.mdb"));
  EXPECT_EQ(
      runQuillon("init", "", user + "export XDG_DATA_HOME=" + shellQuote(dir.path() / "xdg") + "; ").status,
      0);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "xdg/quillon/Data/zbs.mdb"));
}

TEST_F(CliTest, SecondProcessIsRefusedWhileTheDatabaseIsHeld) {
  RecordingHost host;
  DBFunc holder(host, dir.path());
  ASSERT_TRUE(holder.connected());
  const auto r = q("--messages json call GetGUID");
  EXPECT_EQ(r.out, "-1\n");
  EXPECT_NE(r.err.find("DBF-00001"), std::string::npos);
  EXPECT_NE(r.err.find("exclusive use"), std::string::npos);
}

TEST(CliHelp, HelpListsTheCommandsAndMembers) {
  const auto r = runQuillon("--help");
  EXPECT_EQ(r.status, 0);
  for (const char* word : {"init", "call", "shell", "--home", "--messages", "--answer", "--set"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  const auto call = runQuillon("call --help");
  EXPECT_NE(call.out.find("GetMaxNo Table RowName"), std::string::npos);
}

}  // namespace
}  // namespace quillon::test
