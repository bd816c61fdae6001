// A template made into a project and the project saved back gives the same
// template: same tree shape, names and order, same live attached rows. NULLs
// come back as the copies fill them (0, one space, bookmark "B", order 0,
// bundle "0"), so both sides are compared with those values in place.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "cli_support.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;

// What the round trip must keep of template {0}: first its tree from the
// top nodes, depth first in node order, one line per node (indentation, then
// everything a node carries but its numbers); then its live attached rows,
// identifiers and owner keys left out, one scoring line per rule with its
// factor and item.
constexpr const char* kShape[] = {
    "with recursive t(id, depth, path) as (select NODE_ID, 0, cast(100000000 + NODE_ID as text) from "
    "T_RESOURCE_TREE where RESOURCE_ID={0} and LAYER_ID=2 and TYPE_ID=2 union all select c.NODE_ID, depth + "
    "1, "
    "path || cast(100000000 + c.NODE_ID as text) from T_RESOURCE_TREE c join t on c.PARENT_NOED_ID = t.id "
    "and "
    "c.RESOURCE_ID={0}) select substr('                    ', 1, depth * 2) || LAYER_ID, NODE_NAME, STS, "
    "TYPE_ID, RESOURCE_TYPE_ID, coalesce(Bookmarks_Name,'B'), coalesce(NODE_ORDER,0), PROJECT_TYPE, case "
    "when "
    "depth = 0 then 'top under ' || PARENT_NOED_ID else '' end from t join T_RESOURCE_TREE on NODE_ID = t.id "
    "order by path",
    "select 'record', BUNDLE_ID, PROJECT_NAME, coalesce(PROMODE_ID,0), coalesce(JUDGE_WAY,0), "
    "coalesce(AVERAGE_PRICE_DROP_SCALE,' '), coalesce(PROJECT_TYPE,0), coalesce(CATEGORY_ID,0) from "
    "TJ_PROCUREMENT_PROJECT_INFO where RESOURCE_ID={0} and STS='V' order by BUNDLE_ID",
    "select 'check', coalesce(BUNDLE_ID,'0'), CONTENT, CHECK_ORI from T_ACCORDED_CHECK_INFO where "
    "RESOURCE_ID={0} and STS='V' order by CHECK_ID",
    "select 'bid', BUNDLE_ID, coalesce(BAIL,0), coalesce(REMARK,' '), coalesce(ENGIN_NAME,' '), "
    "coalesce(FINISH_DATE,' '), coalesce(GOOD_NAME,' '), coalesce(DELIVERY_DATE,' '), coalesce(AMOUNT,0), "
    "coalesce(BID_SUM_PRICE,0), coalesce(SPEC,' '), coalesce(MAKE_FACTORY,' '), REG_SUM_TYPE from "
    "TJ_OPEN_BID_DETAILS_INFO where RESOURCE_ID={0} and STS='V' order by 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, "
    "13",
    "select 'score', i.CONTENT, coalesce(i.REMARK,' '), coalesce(i.SCALE,0), i.ITEM_FLAG, f.NAME, "
    "coalesce(f.GRADE_MODE_ID,0), coalesce(f.REMARK,' '), coalesce(f.SCALE,0), r.UNIT, coalesce(r.MARK,0), "
    "coalesce(r.UPPER_LIMIT,' '), coalesce(r.QIALEFICATION,0) from T_GRADE_INGREDIENT_INFO i left join "
    "T_GRADE_INGREDIENT_DETAIL_INFO f on f.GRADE_ITEM_ID=i.GRADE_ITEM_ID and f.STS='V' left join "
    "T_AUTO_GRADE_DETAILS_INFO r on r.INGREDIENT_ID=f.INGREDIENT_ID and r.STS='V' where i.RESOURCE_ID={0} "
    "and i.STS='V' order by i.GRADE_ITEM_ID, f.INGREDIENT_ID, r.AUTO_GRADE_ID"};

class TemplateRoundTrip : public HomeTest {
 protected:
  // The lines of each part of kShape, each part led by its size.
  Rows shape(int resource) {
    Rows out;
    for (const char* sql : kShape) {
      const Rows part = rows(fmt::format(fmt::runtime(sql), resource));
      out.push_back(std::to_string(part.size()));
      out.insert(out.end(), part.begin(), part.end());
    }
    return out;
  }
};

TEST_F(TemplateRoundTrip, DemoTemplatesComeBackTheSame) {
  open(true);
  // Between them the templates have node numbers against their order, a
  // NULL bundle, and invalidated nodes and attached rows of every kind.
  // Children of a node whose children are all invalidated are not copied
  // into a project, so template 21 loses its one such child.
  exec("delete from T_RESOURCE_TREE where NODE_ID=138");
  for (const int resource : {21, 22, 23, 24, 25, 26, 27}) {
    SCOPED_TRACE(resource);
    const Rows before = shape(resource);
    ASSERT_EQ(std::count(before.begin(), before.end(), "0"), 0);  // no part is empty
    // Template -> project -> new template.
    const std::string name = scalar(fmt::format(
        "select NODE_NAME from T_RESOURCE_TREE where RESOURCE_ID={} and LAYER_ID=2 and TYPE_ID=2", resource));
    EXPECT_TRUE(obj->New_Bs(resource, 0, name, std::to_string(resource)));  // as project number too
    EXPECT_EQ(obj->Get_Tree_NodeFromInfo(resource, resource, "", 0, 1), resource);
    EXPECT_TRUE(obj->SavaBsInResource(std::to_string(resource), "", Value(name)));
    EXPECT_EQ(shape(std::stoi(scalar("select max(RESOURCE_ID) from T_RESOURCE_TREE"))), before);
  }
}

TEST_F(TemplateRoundTrip, CommandsMakeAProjectAndSaveItAsATemplate) {
  open(true);
  obj.reset();  // the commands need the database to themselves
  const std::string home = "--home " + shellQuote(dir.path().string()) + " ";
  const auto made = runQuillon(home + "new-bs --template 24 --name Doc --parent 0 --layer 1");
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out.rfind("project 2\nDoc (type 2, node 39)\n", 0), 0u) << made.out;
  EXPECT_EQ(std::count(made.out.begin(), made.out.end(), '\n'), 16);
  const auto other = runQuillon(home + "new-bs --template 24 --name Other --project 5 --parent 0 --layer 1");
  EXPECT_EQ(other.out.rfind("project 5\n", 0), 0u) << other.out;
  const auto missing = runQuillon(home + "new-bs --template 99 --name Doc --parent 0 --layer 1");
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("template 99"), std::string::npos) << missing.err;
  EXPECT_EQ(runQuillon(home + "new-bs --template 24 --parent 0 --layer 1").status, 2);  // --name is required
  const auto saved = runQuillon(home + "save-template --project 2 --name Saved");
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, "resource 28\n");
  EXPECT_EQ(runQuillon(home + "save-template --project 77 --name None").status, 3);

  obj = std::make_unique<DBFunc>(host, dir.path());
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE where PROJECT_ID=5"), "15");
  const Rows copy = shape(28);
  EXPECT_EQ(copy[1], "2|Saved|V|2|10|BM_DOC|4|1|top under 1");
  EXPECT_EQ(copy.size(), shape(24).size());
}

TEST_F(TemplateRoundTrip, NewBsWithARootMakesTheProjectRootFirstAndRollsItBackOnFailure) {
  open(true);
  obj.reset();
  const std::string home = "--home " + shellQuote(dir.path().string()) + " ";
  const auto made = runQuillon(home + "new-bs --template 23 --name \"Doc 'A'\" --root \"Root 'R'\"");
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out.rfind("project 2\nRoot 'R' (type 9, node 39)\n└── Doc 'A' (type 2, node 40)\n", 0), 0u)
      << made.out;
  // Neither a root and a parent, nor no place at all.
  EXPECT_EQ(runQuillon(home + "new-bs --template 23 --name D --root R --parent 1 --layer 1").status, 2);
  EXPECT_EQ(runQuillon(home + "new-bs --template 23 --name D --parent 1").status, 2);
  // A template without a document node stops the command before the root is stored.
  EXPECT_EQ(runQuillon(home + "new-bs --template 98 --name D --root R").status, 3);

  obj = std::make_unique<DBFunc>(host, dir.path());
  // The root carries the template's project type (服务类 is 3) like the project's other nodes.
  EXPECT_EQ(rows("select NODE_ID, LAYER_ID, PARENT_NOED_ID, TYPE_ID, PROJECT_TYPE_ID, STS from T_PROJECT_TREE"
                 " where PROJECT_ID=2 and LAYER_ID<3 order by NODE_ID"),
            (Rows{"39|1|0|9|3|V", "40|2|39|2|3|V"}));
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE where NODE_NAME='R'"), "0");
}

}  // namespace
}  // namespace quillon::test
