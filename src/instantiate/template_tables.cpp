#include "instantiate/template_tables.h"

#include "db/tables.h"

namespace quillon::instantiate::tables {

using namespace copy;

namespace {

constexpr Out kProjectValues[] = {
    kOwner, quoted(1), kName, plain(4), quoted(5), plain(6), plain(7), plain(8), quoted(9), quoted(10),
};

// The status is always written live; a NULL bundle means bundle "0".
constexpr Out kCheckValues[] = {
    kOwner, quotedOr(1, "0"), kNewId, quoted(3), quotedLiteral("V"), quoted(5),
};

constexpr Out kOpenBidValues[] = {
    kOwner,    quoted(1), plain(3),  quoted(4),  quoted(5),  quoted(6),  quoted(7),
    quoted(8), plain(9),  plain(10), quoted(11), quoted(12), quoted(13), plain(14),
};

constexpr Out kGradeItemValues[] = {
    kNewId, kOwner, quoted(3), quoted(4), plain(5), quoted(6), quoted(7),
};

constexpr Out kGradeFactorValues[] = {
    kNewId, kParent, quoted(2), plain(3), quoted(4), plain(5), quoted(6),
};

constexpr Out kAutoRuleValues[] = {
    kNewId, kParent, quoted(2), plain(3), quoted(4), plain(5), quoted(6),
};

}  // namespace

const TableCopy kProject{
    .sourceTable = db::table::kProjectInfo,
    .sourceColumns = db::columns::kProjectInfo,
    .sourceKey = "RESOURCE_ID",
    .fill = kFillAll,
    .targetTable = db::table::kProject,
    .targetColumns = db::columns::kProjectCopyWithMode,
    .values = kProjectValues,
};

const TableCopy kChecks{
    .sourceTable = db::table::kCheckInfo,
    .sourceColumns = db::columns::kCheckInfo,
    .sourceKey = "RESOURCE_ID",
    .fill = kFillNone,
    .idTable = db::table::kCheck,
    .idColumn = "CHECK_ID",
    .targetTable = db::table::kCheck,
    .targetColumns = db::columns::kCheckCopy,
    .values = kCheckValues,
};

// REG_SUM_TYPE (the last column) is not filled.
const TableCopy kOpenBid{
    .sourceTable = db::table::kOpenBidInfo,
    .sourceColumns = db::columns::kOpenBidInfo,
    .sourceKey = "RESOURCE_ID",
    .fill = fillBefore(14),
    .targetTable = db::table::kOpenBid,
    .targetColumns = db::columns::kOpenBidCopy,
    .values = kOpenBidValues,
};

const TableCopy kAutoRules{
    .sourceTable = db::table::kAutoRuleInfo,
    .sourceColumns = db::columns::kAutoRule,
    .sourceKey = "INGREDIENT_ID",
    .fill = kFillAll,
    .idTable = db::table::kAutoRule,
    .idColumn = "AUTO_GRADE_ID",
    .targetTable = db::table::kAutoRule,
    .targetColumns = db::columns::kAutoRule,
    .values = kAutoRuleValues,
};

// The template's factor columns are the leading columns of the project's.
const TableCopy kGradeFactors{
    .sourceTable = db::table::kGradeFactorInfo,
    .sourceColumns = db::columns::kGradeFactorInfo,
    .sourceKey = "GRADE_ITEM_ID",
    .fill = kFillAll,
    .idTable = db::table::kGradeFactor,
    .idColumn = "INGREDIENT_ID",
    .below = &kAutoRules,
    .targetTable = db::table::kGradeFactor,
    .targetColumns = db::columns::kGradeFactorInfo,
    .values = kGradeFactorValues,
};

// ITEM_FLAG (the last column) is not filled.
const TableCopy kGradeItems{
    .sourceTable = db::table::kGradeItemInfo,
    .sourceColumns = db::columns::kGradeItemInfo,
    .sourceKey = "RESOURCE_ID",
    .fill = fillBefore(7),
    .idTable = db::table::kGradeItem,
    .idColumn = "GRADE_ITEM_ID",
    .below = &kGradeFactors,
    .targetTable = db::table::kGradeItem,
    .targetColumns = db::columns::kGradeItem,
    .values = kGradeItemValues,
};

}  // namespace quillon::instantiate::tables
