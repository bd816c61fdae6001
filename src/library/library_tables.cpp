#include "library/library_tables.h"

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
    .sourceTable = "TJ_OPEN_BID_DETAILS",
    .sourceColumns =
        "PROJECT_ID,BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,AMOUNT,"
        "BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE",
    .sourceKey = "PROJECT_ID",
    .fill = fillBefore(13),
    .fillWritten = true,
    .targetTable = "TJ_OPEN_BID_DETAILS_INFO",
    .targetColumns =
        "PROJECT_ID,BUNDLE_ID,RESOURCE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,"
        "DELIVERY_DATE,AMOUNT,BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE",
    .values = kOpenBidValues,
};

const TableCopy kChecks{
    .sourceTable = "T_ACCORDED_CHECK",
    .sourceColumns = "PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI",
    .sourceKey = "PROJECT_ID",
    .fill = kFillNone,
    .fillWritten = true,
    .idTable = "T_ACCORDED_CHECK_INFO",
    .idColumn = "CHECK_ID",
    .targetTable = "T_ACCORDED_CHECK_INFO",
    .targetColumns = "RESOURCE_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI",
    .values = kCheckValues,
};

const TableCopy kAutoRules{
    .sourceTable = "T_AUTO_GRADE_DETAILS",
    .sourceColumns = "AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,QIALEFICATION,STS",
    .sourceKey = "INGREDIENT_ID",
    .fill = kFillAll,
    .fillWritten = true,
    .idTable = "T_AUTO_GRADE_DETAILS_INFO",
    .idColumn = "AUTO_GRADE_ID",
    .targetTable = "T_AUTO_GRADE_DETAILS_INFO",
    .targetColumns = "AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,QIALEFICATION,STS",
    .values = kAutoRuleValues,
};

const TableCopy kGradeFactors{
    .sourceTable = "T_GRADE_INGREDIENT_DETAIL",
    .sourceColumns = "INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS",
    .sourceKey = "GRADE_ITEM_ID",
    .fill = kFillAll,
    .fillWritten = true,
    .idTable = "T_GRADE_INGREDIENT_DETAIL_INFO",
    .idColumn = "INGREDIENT_ID",
    .below = &kAutoRules,
    .targetTable = "T_GRADE_INGREDIENT_DETAIL_INFO",
    .targetColumns = "INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS",
    .values = kGradeFactorValues,
};

// ITEM_FLAG (the last column) is outside the fill range.
const TableCopy kGradeItems{
    .sourceTable = "T_GRADE_INGREDIENT",
    .sourceColumns = "GRADE_ITEM_ID,PROJECT_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG",
    .sourceKey = "PROJECT_ID",
    .fill = fillBefore(6),
    .fillWritten = true,
    .idTable = "T_GRADE_INGREDIENT_INFO",
    .idColumn = "GRADE_ITEM_ID",
    .below = &kGradeFactors,
    .targetTable = "T_GRADE_INGREDIENT_INFO",
    .targetColumns = "GRADE_ITEM_ID,RESOURCE_ID,SEQ_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG",
    .values = kGradeItemValues,
};

const TableCopy kProject{
    .sourceTable = "TJ_PROCUREMENT_PROJECT",
    .sourceColumns =
        "PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,"
        "PROJECT_TYPE,CATEGORY_ID,STS",
    .sourceKey = "PROJECT_ID",
    .fill = kFillNone,
    .fillWritten = true,
    .targetTable = "TJ_PROCUREMENT_PROJECT_INFO",
    .targetColumns =
        "PROJECT_ID,BUNDLE_ID,RESOURCE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,"
        "JUDGE_WAY,PROJECT_TYPE,CATEGORY_ID,STS",
    .values = kProjectValues,
};

}  // namespace quillon::library::tables
