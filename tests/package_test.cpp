// The package document: its empty form, the three element levels that
// createNode builds, and what survives a save and a load.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "package/package_document.h"
#include "platform/xml.h"
#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace xml = platform::xml;

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

XmlDocument reloaded(const XmlDocument& doc, const TempDir& dir) {
  const auto file = dir.path() / "package.xml";
  doc.saveFile(file);
  XmlDocument back;
  EXPECT_TRUE(back.loadFile(file));
  return back;
}

TEST(PackageDocument, EmptyPackageIsTheRootAlone) {
  const auto doc = package::loadNewXMl();
  const auto root = xml::documentElement(doc);
  ASSERT_TRUE(root);
  EXPECT_STREQ(root.name(), "Table");
  EXPECT_FALSE(root.first_child()) << "no element and no layout text under the root";
  EXPECT_FALSE(root.next_sibling());

  const TempDir dir;
  doc.saveFile(dir.path() / "empty.xml");
  const auto text = fileText(dir.path() / "empty.xml");
  EXPECT_EQ(text.substr(text.find("<Table")), "<Table/>") << text;
}

TEST(PackageDocument, CreateNodeBuildsTheThreeLevelsInOrder) {
  auto doc = package::loadNewXMl();
  const auto root = xml::documentElement(doc);
  const auto table = package::createNode(root, "T_PROJECT_TREE", package::kTableText);
  const auto record = package::createNode(table, package::kRecord, "");
  package::createNode(record, "NODE_ID", "7");
  package::createNode(record, "Bookmarks_Name", "BM");
  package::createNode(record, "NODE_Level_Top", package::kNullMarker);

  EXPECT_EQ(xml::outerXml(root),
            "<Table><T_PROJECT_TREE>\r<Record><NODE_ID>7</NODE_ID><Bookmarks_Name>BM</Bookmarks_Name>"
            "<NODE_Level_Top> </NODE_Level_Top></Record></T_PROJECT_TREE></Table>");
  // The record has no text of its own, only its fields.
  EXPECT_FALSE(record.first_child().type() == pugi::node_pcdata);
  // Appending goes after the last child, also on a table that has records.
  const auto second = package::createNode(table, package::kRecord, "");
  EXPECT_EQ(table.last_child(), second);
}

TEST(PackageDocument, CreateNodeRefusesWhatNoPackageCanHold) {
  EXPECT_THROW(package::createNode(pugi::xml_node(), "T_PROJECT_TREE", "\r"), Error);
  auto doc = package::loadNewXMl();
  EXPECT_THROW(package::createNode(xml::documentElement(doc), "NODE ID", ""), Error);
  EXPECT_THROW(package::createNode(xml::documentElement(doc), "", ""), Error);
}

TEST(PackageDocument, FieldTextsAndMixedCaseNamesSurviveSaveAndLoad) {
  const std::vector<std::pair<std::string, std::string>> fields = {
      {"CONTENT", "报价<=预算 & 交货期>30天 \"含税\" 'A'"},
      {"Bookmarks_Name", ""},
      {"NODE_Level_Top", std::string(package::kNullMarker)},
      {"SUPPLY_Company_Name", "北京华信科技有限公司"},
      {"REMARK", "第一行\r\n第二行"},
      {"MARK", "-0.5"},
  };
  auto doc = package::loadNewXMl();
  const auto table = package::createNode(xml::documentElement(doc), "TJ_OPEN_BID_DETAILS", "\r");
  const auto record = package::createNode(table, "Record", "");
  for (const auto& [name, value] : fields) package::createNode(record, name, value);

  const TempDir dir;
  const auto back = reloaded(doc, dir);
  const auto backTable = xml::firstChild(xml::documentElement(back), "TJ_OPEN_BID_DETAILS");
  const auto records = xml::selectChildren(backTable, "Record");
  ASSERT_EQ(records.size(), 1u);
  std::size_t i = 0;
  for (auto field = records[0].first_child(); field; field = field.next_sibling(), ++i) {
    ASSERT_LT(i, fields.size());
    EXPECT_EQ(field.name(), fields[i].first);
    EXPECT_EQ(xml::text(field), fields[i].second) << fields[i].first;
  }
  EXPECT_EQ(i, fields.size());
  // Names are case-sensitive: the upper-case spelling finds nothing.
  EXPECT_FALSE(xml::firstChild(records[0], "BOOKMARKS_NAME"));
  EXPECT_FALSE(xml::firstChild(records[0], "SUPPLY_COMPANY_NAME"));
}

TEST(PackageDocument, SavedFileIsUtf8) {
  auto doc = package::loadNewXMl();
  const auto table = package::createNode(xml::documentElement(doc), "T_ACCORDED_CHECK", "\r");
  package::createNode(package::createNode(table, "Record", ""), "CONTENT", "资格性检查");
  const TempDir dir;
  doc.saveFile(dir.path() / "utf8.xml");
  const auto text = fileText(dir.path() / "utf8.xml");
  EXPECT_NE(text.find("\xE8\xB5\x84\xE6\xA0\xBC"), std::string::npos) << "资格 as UTF-8 bytes";
  EXPECT_EQ(text.rfind("<?xml", 0), 0u);
  EXPECT_NE(text.find("encoding=\"UTF-8\""), std::string::npos);
}

}  // namespace
}  // namespace quillon::test
