#include "library/library_tables.h"

#include "db/tables.h"

// A template must not stop half-way through a table because of one NULL: a
// NULL in any written column is replaced like those of the fill range (0 for
// numeric columns, one space for text), so every copy here sets fillWritten.
namespace quillon::library::tables {

using namespace copy;

namespace {

constexpr Out kOpenBidValues[] = {
    kSource,   quoted(1), kOwner,   plain(2),   quoted(3),  quoted(4),  quoted(5), quoted(6),
    quoted(7), plain(8),  plain(9), quoted(10), quoted(11), quoted(12), plain(13),
};

// The status is always written live; a NULL bundle means bundle "0".
constexpr Out kCheckValues[] = {
    kOwner, quotedOr(1, "0"), kNewId, quoted(3), quotedLiteral("V"), quoted(5),
};

// Items start without a sequence number in the library.
constexpr Out kGradeItemValues[] = {
    kNewId, kOwner, plainLiteral("0"), quoted(2), quoted(3), plain(4), quoted(5), quoted(6),
};

constexpr Out kGradeFactorValues[] = {
    kNewId, kParent, quoted(2), plain(3), quoted(4), plain(5), quoted(6),
};

constexpr Out kAutoRuleValues[] = {
    kNewId, kParent, quoted(2), plain(3), quoted(4), plain(5), quoted(6),
};

// The record keeps the project's own number and takes the template's name.
constexpr Out kProjectValues[] = {
    kSource, quoted(1), kOwner, kName, plain(3), quoted(4), plain(5), plain(6), plain(7), quoted(8),
};

}  // namespace

// REG_SUM_TYPE (the last column) is outside the fill range.
const TableCopy kOpenBid{
    .sourceTable = db::table::kOpenBid,
    .sourceColumns = db::columns::kOpenBidCopy,
    .sourceKey = "PROJECT_ID",
    .fill = fillBefore(13),
    .fillWritten = true,
    .targetTable = db::table::kOpenBidInfo,
    .targetColumns = db::columns::kOpenBidInfo,
    .values = kOpenBidValues,
};

const TableCopy kChecks{
    .sourceTable = db::table::kCheck,
    .sourceColumns = db::columns::kCheckCopy,
    .sourceKey = "PROJECT_ID",
    .fill = kFillNone,
    .fillWritten = true,
    .idTable = db::table::kCheckInfo,
    .idColumn = "CHECK_ID",
    .targetTable = db::table::kCheckInfo,
    .targetColumns = db::columns::kCheckInfo,
    .values = kCheckValues,
};

const TableCopy kAutoRules{
    .sourceTable = db::table::kAutoRule,
    .sourceColumns = db::columns::kAutoRule,
    .sourceKey = "INGREDIENT_ID",
    .fill = kFillAll,
    .fillWritten = true,
    .idTable = db::table::kAutoRuleInfo,
    .idColumn = "AUTO_GRADE_ID",
    .targetTable = db::table::kAutoRuleInfo,
    .targetColumns = db::columns::kAutoRule,
    .values = kAutoRuleValues,
};

const TableCopy kGradeFactors{
    .sourceTable = db::table::kGradeFactor,
    .sourceColumns = db::columns::kGradeFactorInfo,
    .sourceKey = "GRADE_ITEM_ID",
    .fill = kFillAll,
    .fillWritten = true,
    .idTable = db::table::kGradeFactorInfo,
    .idColumn = "INGREDIENT_ID",
    .below = &kAutoRules,
    .targetTable = db::table::kGradeFactorInfo,
    .targetColumns = db::columns::kGradeFactorInfo,
    .values = kGradeFactorValues,
};

// ITEM_FLAG (the last column) is outside the fill range.
const TableCopy kGradeItems{
    .sourceTable = db::table::kGradeItem,
    .sourceColumns = db::columns::kGradeItem,
    .sourceKey = "PROJECT_ID",
    .fill = fillBefore(6),
    .fillWritten = true,
    .idTable = db::table::kGradeItemInfo,
    .idColumn = "GRADE_ITEM_ID",
    .below = &kGradeFactors,
    .targetTable = db::table::kGradeItemInfo,
    .targetColumns = db::columns::kGradeItemInfo,
    .values = kGradeItemValues,
};

const TableCopy kProject{
    .sourceTable = db::table::kProject,
    .sourceColumns = db::columns::kProjectCopy,
    .sourceKey = "PROJECT_ID",
    .fill = kFillNone,
    .fillWritten = true,
    .targetTable = db::table::kProjectInfo,
    .targetColumns = db::columns::kProjectInfoCopy,
    .values = kProjectValues,
};

}  // namespace quillon::library::tables
