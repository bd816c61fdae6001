#pragma once
// Table names and the column lists the component reads whole rows with, in
// the order that copies and exports rely on.
#include <string_view>

namespace quillon::db {

// Side selector: 1 is the project side, every other value the library side.
inline bool projectSide(int ori) { return ori == 1; }

namespace table {
inline constexpr std::string_view kProjectTree = "T_PROJECT_TREE";
inline constexpr std::string_view kResourceTree = "T_RESOURCE_TREE";
inline constexpr std::string_view kProject = "TJ_PROCUREMENT_PROJECT";
inline constexpr std::string_view kProjectInfo = "TJ_PROCUREMENT_PROJECT_INFO";
inline constexpr std::string_view kCheck = "T_ACCORDED_CHECK";
inline constexpr std::string_view kCheckInfo = "T_ACCORDED_CHECK_INFO";
inline constexpr std::string_view kGradeItem = "T_GRADE_INGREDIENT";
inline constexpr std::string_view kGradeItemInfo = "T_GRADE_INGREDIENT_INFO";
inline constexpr std::string_view kGradeFactor = "T_GRADE_INGREDIENT_DETAIL";
inline constexpr std::string_view kGradeFactorInfo = "T_GRADE_INGREDIENT_DETAIL_INFO";
inline constexpr std::string_view kAutoRule = "T_AUTO_GRADE_DETAILS";
inline constexpr std::string_view kAutoRuleInfo = "T_AUTO_GRADE_DETAILS_INFO";
inline constexpr std::string_view kOpenBid = "TJ_OPEN_BID_DETAILS";
inline constexpr std::string_view kOpenBidInfo = "TJ_OPEN_BID_DETAILS_INFO";
inline constexpr std::string_view kGuid = "T_GUID";
inline constexpr std::string_view kProjectType = "T_PROJECT_TYPE";
inline constexpr std::string_view kPromodeJudge = "t_promode_judge";
}  // namespace table

// The names of the same kinds of rows on either side: projects (ori 1) and
// the template library (every other ori).
struct Side {
  bool project;
  std::string_view tree;         // the document tree
  std::string_view owner;        // PROJECT_ID or RESOURCE_ID
  std::string_view projectType;  // the tree's column of the project type
  std::string_view checks;
  std::string_view items;    // scoring items
  std::string_view factors;  // scoring factors
  std::string_view rules;    // automatic rules
  std::string_view openBid;  // bid-opening lines
  std::string_view record;   // the project record
};

inline constexpr Side kProjectSide{true,
                                   table::kProjectTree,
                                   "PROJECT_ID",
                                   "PROJECT_TYPE_ID",
                                   table::kCheck,
                                   table::kGradeItem,
                                   table::kGradeFactor,
                                   table::kAutoRule,
                                   table::kOpenBid,
                                   table::kProject};
inline constexpr Side kLibrarySide{false,
                                   table::kResourceTree,
                                   "RESOURCE_ID",
                                   "PROJECT_TYPE",
                                   table::kCheckInfo,
                                   table::kGradeItemInfo,
                                   table::kGradeFactorInfo,
                                   table::kAutoRuleInfo,
                                   table::kOpenBidInfo,
                                   table::kProjectInfo};

inline const Side& sideOf(int ori) { return projectSide(ori) ? kProjectSide : kLibrarySide; }

namespace columns {
inline constexpr std::string_view kProjectTree =
    "NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_ID,STS,"
    "Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID,NODE_ESTATE,PAGE_COUNT,PAGE_NUM,NODE_Level_Top,"
    "BS_NODE_ID,NODE_PAGE_COUNT";
// What a tree import reads and writes on the project side: the tree without
// NODE_ESTATE, which keeps the table's default.
inline constexpr std::string_view kProjectTreeImport =
    "NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_ID,STS,"
    "Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID,PAGE_COUNT,PAGE_NUM,NODE_Level_Top,BS_NODE_ID,"
    "NODE_PAGE_COUNT";
// A project node's own columns: what a copy from a template writes, a save
// into the library reads, and a tender package gives a bid tree (the page
// and level columns and BS_NODE_ID start from the table's defaults).
inline constexpr std::string_view kProjectTreeNode =
    "NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_ID,STS,"
    "Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID";
inline constexpr std::string_view kResourceTree =
    "NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS,TYPE_ID,RESOURCE_TYPE_ID,RESOURCE_ID,"
    "Bookmarks_Name,NODE_ORDER,PROJECT_TYPE";
inline constexpr std::string_view kCheck =
    "PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CRP_BS_NODE,CRP_BOOKMARK,CPT_NODE_ID,CHECK_ORI";
inline constexpr std::string_view kCheckInfo = "RESOURCE_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI";
inline constexpr std::string_view kOpenBid =
    "PROJECT_ID,BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,AMOUNT,"
    "BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,TBS_REMARK,SUPPLY_ID,SUPPLY_Company_Name,REG_SUM_TYPE";
inline constexpr std::string_view kOpenBidInfo =
    "PROJECT_ID,BUNDLE_ID,RESOURCE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,"
    "AMOUNT,BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE";
// What the two sides' copies carry of a check, a bid-opening line and a
// project record.
inline constexpr std::string_view kCheckCopy = "PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI";
inline constexpr std::string_view kOpenBidCopy =
    "PROJECT_ID,BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,AMOUNT,"
    "BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE";
inline constexpr std::string_view kProjectCopy =
    "PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,PROJECT_TYPE,"
    "CATEGORY_ID,STS";
inline constexpr std::string_view kProjectCopyWithMode =
    "PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,PROJECT_TYPE,"
    "CATEGORY_ID,STS,APPRAISE_MODE";
inline constexpr std::string_view kProjectInfoCopy =
    "PROJECT_ID,BUNDLE_ID,RESOURCE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,"
    "PROJECT_TYPE,CATEGORY_ID,STS";
inline constexpr std::string_view kGradeItem = "GRADE_ITEM_ID,PROJECT_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG";
inline constexpr std::string_view kGradeItemInfo =
    "GRADE_ITEM_ID,RESOURCE_ID,SEQ_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG";
inline constexpr std::string_view kGradeFactor =
    "INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS,INGREDIENT_USER_DATE,"
    "CRP_BS_NODE,CRP_BOOKMARK,CRP_NODE_ID,CRP_INGREDIENT_ID";
inline constexpr std::string_view kGradeFactorInfo =
    "INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS";
inline constexpr std::string_view kAutoRule =
    "AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,QIALEFICATION,STS";
inline constexpr std::string_view kProject =
    "PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,PROJECT_TYPE,"
    "CATEGORY_ID,STS,SERIAL_NUMBER,APPRAISE_MODE,MINPRICE";
inline constexpr std::string_view kProjectInfo =
    "PROJECT_ID,BUNDLE_ID,RESOURCE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,"
    "PROJECT_TYPE,CATEGORY_ID,STS,APPRAISE_MODE";
}  // namespace columns

}  // namespace quillon::db
