// A template made into a project and the project saved back gives the same
// template: same tree shape, names and order, same live attached rows. NULLs
// come back as the copies fill them (0, one space, bookmark "B", order 0,
// bundle "0"), so both sides are compared with those values in place.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "cli_support.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;

class TemplateRoundTrip : public HomeTest {
 protected:
  // The template's tree from its top nodes, depth first in node order, one
  // line per node: indentation, then everything a node carries but its
  // numbers.
  Rows treeShape(int resource) {
    std::map<int, std::string> lines;  // by NODE_ID
    std::multimap<int, int> children;  // parent -> child
    std::vector<int> tops;             // ascending, as read
    for (const auto& r :
         rows(fmt::format("select NODE_ID, PARENT_NOED_ID, LAYER_ID=2 and TYPE_ID=2, "
                          "LAYER_ID||'|'||NODE_NAME||'|'||STS||'|'||"
                          "TYPE_ID||'|'||RESOURCE_TYPE_ID||'|'||coalesce(Bookmarks_Name,'B')||'|'||coalesce("
                          "NODE_ORDER,0)||'|'||"
                          "PROJECT_TYPE from T_RESOURCE_TREE where RESOURCE_ID={} order by NODE_ID",
                          resource))) {
      const auto f = split(r);
      const int id = std::stoi(f[0]);
      const int parent = std::stoi(f[1]);
      std::string line = r.substr(f[0].size() + f[1].size() + f[2].size() + 3);
      if (f[2] == "1") {
        tops.push_back(id);
        line += "|top under " + f[1];
      }
      lines[id] = line;
      children.emplace(parent, id);  // equal keys keep insertion (NODE_ID) order
    }
    Rows out;
    std::vector<std::pair<int, int>> stack;  // node, depth
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) stack.emplace_back(*it, 0);
    while (!stack.empty()) {
      const auto [id, depth] = stack.back();
      stack.pop_back();
      out.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + lines[id]);
      const auto range = children.equal_range(id);
      std::vector<int> kids;
      for (auto it = range.first; it != range.second; ++it) kids.push_back(it->second);
      for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.emplace_back(*it, depth + 1);
    }
    return out;
  }

  // The live attached rows, factors under their item and rules under their
  // factor, identifiers and owner keys left out.
  Rows dataShape(int resource) {
    Rows out;
    for (const auto& r : rows(fmt::format(
             "select 'record', BUNDLE_ID, PROJECT_NAME, coalesce(PROMODE_ID,0), "
             "coalesce(AVERAGE_PRICE_DROP_SCALE,' '), coalesce(JUDGE_WAY,0), coalesce(PROJECT_TYPE,0), "
             "coalesce(CATEGORY_ID,0), STS from TJ_PROCUREMENT_PROJECT_INFO where RESOURCE_ID={} and "
             "sts='V' order by BUNDLE_ID",
             resource)))
      out.push_back(r);
    for (const auto& r :
         rows(fmt::format("select 'check', coalesce(BUNDLE_ID,'0'), CONTENT, STS, CHECK_ORI from "
                          "T_ACCORDED_CHECK_INFO where RESOURCE_ID={} and sts='V' order by CHECK_ID",
                          resource)))
      out.push_back(r);
    for (const auto& r : rows(fmt::format(
             "select 'bid', BUNDLE_ID, coalesce(BAIL,0), coalesce(REMARK,' '), coalesce(ENGIN_NAME,' '), "
             "coalesce(FINISH_DATE,' '), coalesce(GOOD_NAME,' '), coalesce(DELIVERY_DATE,' '), "
             "coalesce(AMOUNT,0), coalesce(BID_SUM_PRICE,0), coalesce(SPEC,' '), "
             "coalesce(MAKE_FACTORY,' '), STS, REG_SUM_TYPE from TJ_OPEN_BID_DETAILS_INFO where "
             "RESOURCE_ID={} and sts='V' order by rowid",
             resource)))
      out.push_back(r);
    for (const auto& item : rows(fmt::format(
             "select GRADE_ITEM_ID, CONTENT, coalesce(REMARK,' '), coalesce(SCALE,0), STS, ITEM_FLAG "
             "from T_GRADE_INGREDIENT_INFO where RESOURCE_ID={} and sts='V' order by GRADE_ITEM_ID",
             resource))) {
      const auto itemId = item.substr(0, item.find('|'));
      out.push_back("item " + item.substr(item.find('|') + 1));
      for (const auto& factor : rows(fmt::format(
               "select INGREDIENT_ID, NAME, coalesce(GRADE_MODE_ID,0), coalesce(REMARK,' '), "
               "coalesce(SCALE,0), STS from T_GRADE_INGREDIENT_DETAIL_INFO where GRADE_ITEM_ID={} and "
               "sts='V' order by INGREDIENT_ID",
               itemId))) {
        const auto factorId = factor.substr(0, factor.find('|'));
        out.push_back("  factor " + factor.substr(factor.find('|') + 1));
        for (const auto& rule : rows(fmt::format(
                 "select UNIT, coalesce(MARK,0), coalesce(UPPER_LIMIT,' '), coalesce(QIALEFICATION,0), STS "
                 "from "
                 "T_AUTO_GRADE_DETAILS_INFO where INGREDIENT_ID={} and sts='V' order by AUTO_GRADE_ID",
                 factorId)))
          out.push_back("    rule " + rule);
      }
    }
    return out;
  }

  // Template -> project `project` -> new template; returns its number.
  int roundTrip(int resource, int project) {
    const std::string name = scalar(fmt::format(
        "select NODE_NAME from T_RESOURCE_TREE where RESOURCE_ID={} and LAYER_ID=2 and TYPE_ID=2", resource));
    const int next = std::stoi(scalar("select coalesce(max(RESOURCE_ID),0)+1 from T_RESOURCE_TREE"));
    EXPECT_TRUE(obj->New_Bs(resource, 0, name, std::to_string(project)));
    EXPECT_EQ(obj->Get_Tree_NodeFromInfo(resource, project, "", 0, 1), project);
    EXPECT_TRUE(obj->SavaBsInResource(std::to_string(project), "", Value(name)));
    return next;
  }

  static std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t bar; (bar = line.find('|', from)) != std::string::npos; from = bar + 1)
      out.push_back(line.substr(from, bar - from));
    out.push_back(line.substr(from));
    return out;
  }
};

TEST_F(TemplateRoundTrip, BuiltTemplateComesBackTheSame) {
  // Node numbers deliberately out of walk order, a sibling order that
  // disagrees with the numbers, and an invalidated leaf.
  exec(
      "insert into T_RESOURCE_TREE(NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS,TYPE_ID,RESOURCE_TYPE_ID,"
      "RESOURCE_ID,Bookmarks_Name,NODE_ORDER,PROJECT_TYPE) values "
      "(1,1,0,'library','V',1,0,0,NULL,1,0),"
      "(40,2,1,'Goods tender','V',2,10,6,'DOC',1,1),"
      "(41,3,40,'Notice','V',3,11,6,'N',1,1),"
      "(42,3,40,'Requirements','V',4,11,6,'R',3,1),"
      "(43,3,40,'Forms','V',5,12,6,'F',2,1),"
      "(44,4,41,'Basics','V',3,11,6,'NB',1,1),"
      "(45,4,42,'Drawing','V',8,13,6,'RD',1,1),"
      "(46,5,44,'Dates','V',3,11,6,'ND',1,1),"
      "(47,4,43,'Old letter','I',5,12,6,'FO',2,1),"
      "(48,4,43,'Letter','V',5,12,6,'FL',1,1)");
  exec(
      "insert into TJ_PROCUREMENT_PROJECT_INFO(PROJECT_ID,BUNDLE_ID,RESOURCE_ID,PROJECT_NAME,PROMODE_ID,"
      "AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,PROJECT_TYPE,CATEGORY_ID,STS,APPRAISE_MODE) values "
      "(0,'0',6,'Goods tender',1,'3',1,1,1010,'V','m'), (0,'0',6,'Goods tender "
      "2019',2,'3',2,1,1010,'I','m')");
  exec(
      "insert into T_ACCORDED_CHECK_INFO(RESOURCE_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI) values "
      "(6,'0',5,'licence','V','q'), (6,'0',6,'signed','V','c'), (6,'0',7,'withdrawn','I','c')");
  exec(
      "insert into "
      "TJ_OPEN_BID_DETAILS_INFO(PROJECT_ID,BUNDLE_ID,RESOURCE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,"
      "GOOD_NAME,DELIVERY_DATE,AMOUNT,BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE) values "
      "(0,'0',6,100,'r','e','f','pc','30 days',2,0,'i5','maker','V',1),"
      "(0,'0',6,50,'r2','e','f','printer','20 days',1,0,'A3','maker','V',2)");
  exec(
      "insert into "
      "T_GRADE_INGREDIENT_INFO(GRADE_ITEM_ID,RESOURCE_ID,SEQ_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG) "
      "values (3,6,1,'price','lowest',40,'V','P'), (4,6,2,'technical','stars',60,'V','T'), "
      "(5,6,3,'dropped','x',5,'I','B')");
  exec(
      "insert into "
      "T_GRADE_INGREDIENT_DETAIL_INFO(INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS) "
      "values (9,3,'base price',2,'formula',40,'V'), (10,4,'parameters',2,'stars',30,'V'), "
      "(11,4,'quality',1,'panel',30,'V'), (12,5,'under dropped',1,'x',5,'V')");
  exec(
      "insert into "
      "T_AUTO_GRADE_DETAILS_INFO(AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,QIALEFICATION,STS) "
      "values (2,9,'%',40,'40',100,'V'), (3,10,'item',-2,'30',0,'V'), (4,10,'item',1,'5',0,'V')");

  const Rows tree = treeShape(6);
  const Rows data = dataShape(6);
  ASSERT_EQ(tree.size(), 9u);
  ASSERT_EQ(data.size(), 13u);
  const int copy = roundTrip(6, 7);
  EXPECT_EQ(copy, 7);  // max(RESOURCE_ID) was 6
  EXPECT_EQ(treeShape(copy), tree);
  EXPECT_EQ(dataShape(copy), data);
}

TEST_F(TemplateRoundTrip, DemoTemplatesComeBackTheSame) {
  open(true);
  // Template 21 is left out: it has an invalidated node whose children are
  // all invalidated, and such children are not copied into a project.
  for (const int resource : {22, 23, 24}) {
    SCOPED_TRACE(resource);
    const Rows tree = treeShape(resource);
    const Rows data = dataShape(resource);
    ASSERT_GT(tree.size(), 10u);
    ASSERT_GT(data.size(), 10u);
    const int copy = roundTrip(resource, 100 + resource);
    EXPECT_EQ(treeShape(copy), tree);
    EXPECT_EQ(dataShape(copy), data);
  }
}

TEST_F(TemplateRoundTrip, CommandsMakeAProjectAndSaveItAsATemplate) {
  open(true);
  obj.reset();  // the commands need the database to themselves
  const auto q = [this](const std::string& args) {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args);
  };
  const auto made = q("new-bs --template 24 --name Doc --parent 0 --layer 1");
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out.substr(0, made.out.find('\n', made.out.find('\n') + 1) + 1),
            "project 2\nDoc (type 2, node 39)\n");
  EXPECT_EQ(std::count(made.out.begin(), made.out.end(), '\n'), 16);
  EXPECT_EQ(q("new-bs --template 24 --name Other --project 5 --parent 0 --layer 1").out.substr(0, 10),
            "project 5\n");
  const auto missing = q("new-bs --template 99 --name Doc --parent 0 --layer 1");
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("template 99"), std::string::npos) << missing.err;
  EXPECT_EQ(q("new-bs --template 24 --parent 0 --layer 1").status, 2);  // --name is required

  const auto saved = q("save-template --project 2 --name Saved");
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, "resource 25\n");
  EXPECT_EQ(q("save-template --project 77 --name None").status, 3);

  obj = std::make_unique<DBFunc>(host, dir.path());
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE where PROJECT_ID=5"), "15");
  EXPECT_EQ(treeShape(25).front(), "2|Saved|V|2|10|BM_DOC|4|1|top under 1");
  EXPECT_EQ(treeShape(25).size(), treeShape(24).size());
}

}  // namespace
}  // namespace quillon::test
