// quillon list and quillon --version: what a person looks at before acting.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "cli_support.h"
#include "quillon/version.h"
#include "test_support.h"

namespace quillon::test {
namespace {

class ListCommandTest : public ::testing::Test {
 protected:
  CommandResult q(const std::string& args) {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args);
  }
  std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  // Terminal cells of UTF-8 text whose only wide characters are three-byte CJK ones.
  static std::size_t cells(const std::string& text) {
    std::size_t n = 0;
    for (const unsigned char c : text) n += (c & 0xC0) != 0x80 ? (c >= 0xE0 ? 2 : 1) : 0;
    return n;
  }
  std::vector<nlohmann::json> json(const std::string& what) {
    const auto r = q("list " + what + " --json");
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<nlohmann::json> out;
    for (const auto& line : lines(r.out)) out.push_back(nlohmann::json::parse(line));
    return out;
  }
  TempDir dir;
};

TEST_F(ListCommandTest, CountsOnlyLiveRowsAndNamesTheDocumentNode) {
  ASSERT_EQ(q("init --demo").status, 0);
  const auto templates = json("templates");
  ASSERT_EQ(templates.size(), 7u);
  // Template 21 holds 8 checks and 4 scoring items, one of each invalidated, and 38 document nodes, 3 of
  // them invalidated, besides its live catalogue entry.
  const auto& t21 = templates[0];
  EXPECT_EQ(t21["template"], 21);
  EXPECT_EQ(t21["name"], "货物类公开招标文件范本");
  EXPECT_EQ(t21["projectType"], "货物类");
  EXPECT_EQ(t21["checks"], 7);
  EXPECT_EQ(t21["scoringItems"], 3);
  EXPECT_EQ(t21["nodes"], 36);
  EXPECT_EQ(t21["entry"], "货物类公开招标文件范本");
  EXPECT_EQ(t21["live"], true);

  const auto projects = json("projects");
  ASSERT_EQ(projects.size(), 1u);
  // The project's root (type 9) comes first; the name is its document node's.
  EXPECT_EQ(projects[0]["name"], "2026年度办公设备采购项目招标文件");
  EXPECT_FALSE(projects[0].contains("entry"));

  const auto table = lines(q("list templates").out);
  ASSERT_EQ(table.size(), 8u);
  EXPECT_EQ(table[0].rfind("TEMPLATE  TYPE", 0), 0u) << table[0];
  // Numbers line up under their headings although the type names are two cells wide per character.
  EXPECT_EQ(cells(table[0].substr(0, table[0].find("NODES") + 5)),
            cells(table[1].substr(0, table[1].find("36") + 2)))
      << table[0] << "\n"
      << table[1];
}

TEST_F(ListCommandTest, ShowsRenamedAndReplacedTemplatesAndSkipsReservedNumbers) {
  ASSERT_EQ(q("init --demo").status, 0);
  const std::string package = (dir.path() / "lib.xml").string();
  ASSERT_EQ(q("--answer yes export-library " + shellQuote(package)).status, 0);
  ASSERT_EQ(q("import-library " + shellQuote(package)).status, 0);
  auto templates = json("templates");
  // 7 demo templates and 7 imported ones; the number the import reserved (28) is not a template.
  ASSERT_EQ(templates.size(), 14u);
  EXPECT_EQ(templates[7]["template"], 29);
  const std::string renamed = templates[7]["entry"];
  EXPECT_EQ(renamed.rfind("货物类公开招标文件范本(", 0), 0u) << renamed;
  EXPECT_NE(q("list templates").out.find("(in the library as " + renamed + ")"), std::string::npos);

  ASSERT_EQ(q("import-library --replace-old " + shellQuote(package)).status, 0);
  templates = json("templates");
  ASSERT_EQ(templates.size(), 21u);
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(templates[i]["live"], false) << templates[i];
  for (std::size_t i = 14; i < 21; ++i) EXPECT_EQ(templates[i]["live"], true) << templates[i];
  EXPECT_NE(lines(q("list templates").out)[1].find("[invalidated]"), std::string::npos);
}

TEST_F(ListCommandTest, AnEmptyInstallationSaysSoAndAWrongWordIsAUsageError) {
  ASSERT_EQ(q("init").status, 0);
  const auto r = q("list projects");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no projects"), std::string::npos) << r.err;
  EXPECT_EQ(q("list templates").out, "");  // the library root and categories are no templates
  EXPECT_EQ(q("list nodes").status, 2);
  EXPECT_EQ(runQuillon("--home " + shellQuote((dir.path() / "none").string()) + " list projects").status, 3);
}

TEST(VersionFlag, PrintsTheCommandAndLibraryVersions) {
  const auto r = runQuillon("--version");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, std::string("quillon ") + QUILLON_VERSION + " (library " + QUILLON_VERSION + ")\n");
}

}  // namespace
}  // namespace quillon::test
