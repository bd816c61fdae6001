#include "export/table_kinds.h"

#include "db/tables.h"

namespace quillon::exporting::kinds {

namespace table = db::table;
namespace columns = db::columns;

// Library templates that were removed keep an invalidated node of resource
// type 50; their tree rows stay out of a library package.
const TableKind kTree{
    .project = {table::kProjectTree, columns::kProjectTree},
    .resource = {table::kResourceTree, columns::kResourceTree},
    .orderBy = " ORDER BY node_id",
    .failureMessage = "导出树结构不成功.",
    .resourceClause =
        " AND resource_id NOT IN(SELECT resource_id FROM T_RESOURCE_TREE t WHERE "
        "t.resource_type_id=50 AND t.sts='I')",
};

const TableKind kChecks{
    .project = {table::kCheck, columns::kCheck},
    .resource = {table::kCheckInfo, columns::kCheckInfo},
    .orderBy = " order by CHECK_ID",
    .failureMessage = "导出符合性检查信息出错。",
};

const TableKind kOpenBid{
    .project = {table::kOpenBid, columns::kOpenBid},
    .resource = {table::kOpenBidInfo, columns::kOpenBidInfo},
    .failureMessage = "导出开标一览表信息出错。",
};

const TableKind kGradeItems{
    .project = {table::kGradeItem, columns::kGradeItem},
    .resource = {table::kGradeItemInfo, columns::kGradeItemInfo},
    .orderBy = " order by GRADE_ITEM_ID",
    .failureMessage = "导出评分项信息出错。",
    .liveRowsOnly = true,
    .idColumn = "GRADE_ITEM_ID",
};

// Factors scored by rule (mode 2) are the ones with automatic rules.
const TableKind kGradeFactors{
    .project = {table::kGradeFactor, columns::kGradeFactor},
    .resource = {table::kGradeFactorInfo, columns::kGradeFactorInfo},
    .orderBy = " order by INGREDIENT_ID",
    .failureMessage = "导出评分因素信息出错。",
    .idColumn = "INGREDIENT_ID",
    .idWhenColumn = "GRADE_MODE_ID",
    .idWhenValue = 2,
};

const TableKind kAutoRules{
    .project = {table::kAutoRule, columns::kAutoRule},
    .resource = {table::kAutoRuleInfo, columns::kAutoRule},
    .orderBy = " order by AUTO_GRADE_ID",
    .failureMessage = "导出系统自评信息出错。",
};

const TableKind kProject{
    .project = {table::kProject, columns::kProject},
    .resource = {table::kProjectInfo, columns::kProjectInfo},
    .failureMessage = "导出项目信息出错。",
};

}  // namespace quillon::exporting::kinds
