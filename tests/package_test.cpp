// The package document: its empty form and the three element levels that
// createNode builds. Saving and loading are the XML layer's (xml_test.cpp),
// whole packages the exporters' (export_test.cpp).
#include <gtest/gtest.h>

#include "package/package_document.h"
#include "platform/xml.h"
#include "quillon/error.h"

namespace quillon::test {
namespace {

namespace xml = platform::xml;

TEST(PackageDocument, CreateNodeBuildsTheLevelsUnderTheBareRoot) {
  auto doc = package::loadNewXMl();
  EXPECT_EQ(xml::outerXml(xml::native(doc)), "<Table/>") << "no element and no layout text under the root";

  const auto table = package::createNode(xml::documentElement(doc), "T_PROJECT_TREE", package::kTableText);
  const auto record = package::createNode(table, package::kRecord, "");
  package::createNode(record, "NODE_ID", "7");
  package::createNode(record, "Bookmarks_Name", "BM");
  package::createNode(record, "NODE_Level_Top", package::kNullMarker);
  EXPECT_EQ(xml::outerXml(xml::native(doc)),
            "<Table><T_PROJECT_TREE>\r<Record><NODE_ID>7</NODE_ID><Bookmarks_Name>BM</Bookmarks_Name>"
            "<NODE_Level_Top> </NODE_Level_Top></Record></T_PROJECT_TREE></Table>");
  // Appending goes after the last child, also on a table that has records.
  const auto second = package::createNode(table, package::kRecord, "");
  EXPECT_EQ(table.last_child(), second);
  EXPECT_THROW(package::createNode(pugi::xml_node(), "T_PROJECT_TREE", "\r"), Error);
}

}  // namespace
}  // namespace quillon::test
