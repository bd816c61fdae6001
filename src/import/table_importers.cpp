#include "import/table_importers.h"

#include <fmt/format.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/numbering.h"
#include "db/queries.h"
#include "db/tables.h"
#include "import/record_copy.h"
#include "quillon/error.h"

namespace quillon::importing {
namespace {

namespace table = db::table;
namespace columns = db::columns;

using db::Side;

std::int32_t maxNo(Session& session, std::string_view tableName, std::string_view column) {
  return db::Queries(session).GetMaxNo(std::string(tableName), std::string(column));
}

// The importers of owned rows whose only shared number is the owner.
void importOwned(Session& session, const Package& package, const Side& side, std::string_view tableName,
                 std::string_view columnList, std::int32_t oldOwner, std::string_view ownId = {}) {
  const std::int32_t nextOwner = maxNo(session, side.tree, side.owner);
  numbering::Sequence ids([&] { return maxNo(session, tableName, ownId); });
  std::int32_t owner = 0;
  copyRecords(session, package, tableName, columnList, {{side.owner, &owner}}, [&](NewRow& row, std::size_t) {
    row.setValue(side.owner, whole(shifted(nextOwner, owner, oldOwner)));
    if (!ownId.empty()) row.setValue(ownId, whole(ids.next()));
  });
}

}  // namespace

void TableImporters::inputProjectFromXml(std::int16_t ori, std::int32_t oldOwner) {
  const Side& side = db::sideOf(ori);
  importOwned(session_, package_, side, side.project ? table::kProject : table::kProjectInfo,
              side.project ? columns::kProject : columns::kProjectInfo, oldOwner);
}

void TableImporters::inputAccFromXml(std::int16_t ori, std::int32_t oldOwner) {
  const Side& side = db::sideOf(ori);
  importOwned(session_, package_, side, side.project ? table::kCheck : table::kCheckInfo,
              side.project ? columns::kCheck : columns::kCheckInfo, oldOwner, "CHECK_ID");
}

void TableImporters::inputOpenBidFromXml(std::int16_t ori, std::int32_t oldOwner) {
  const Side& side = db::sideOf(ori);
  importOwned(session_, package_, side, side.project ? table::kOpenBid : table::kOpenBidInfo,
              side.project ? columns::kOpenBid : columns::kOpenBidInfo, oldOwner);
}

void TableImporters::inputAutoGradeFromXml(std::int16_t ori, std::int32_t /*oldOwner*/) {
  const Side& side = db::sideOf(ori);
  const std::int32_t nextFactor = maxNo(session_, side.factors, "INGREDIENT_ID");
  if (!package_.has(side.rules) || !package_.hasRecords(side.factors)) return;
  const std::int32_t firstFactor = package_.firstNumber(side.factors, "INGREDIENT_ID");
  numbering::Sequence rules([&] { return maxNo(session_, side.rules, "AUTO_GRADE_ID"); });
  std::int32_t factor = 0;
  copyRecords(session_, package_, side.rules, columns::kAutoRule, {{"INGREDIENT_ID", &factor}},
              [&](NewRow& row, std::size_t) {
                row.setValue("INGREDIENT_ID", whole(shifted(nextFactor, factor, firstFactor)));
                row.setValue("AUTO_GRADE_ID", whole(rules.next()));
              });
}

void TableImporters::inputGradeDETAILFromXml(std::int16_t ori, std::int32_t /*oldOwner*/) {
  const Side& side = db::sideOf(ori);
  const std::int32_t nextItem = maxNo(session_, side.items, "GRADE_ITEM_ID");
  const std::int32_t nextFactor = maxNo(session_, side.factors, "INGREDIENT_ID");
  // The library side looks for items, the project side for factors; each
  // then needs the other element, and a package without it is refused.
  if (!package_.hasRecords(side.project ? side.factors : side.items)) return;
  const std::int32_t firstItem = package_.firstNumber(side.items, "GRADE_ITEM_ID");
  std::int32_t item = 0, factor = 0, firstFactor = 0;
  copyRecords(session_, package_, side.factors,
              side.project ? columns::kGradeFactor : columns::kGradeFactorInfo,
              {{"GRADE_ITEM_ID", &item}, {"INGREDIENT_ID", &factor}}, [&](NewRow& row, std::size_t index) {
                if (index == 0) firstFactor = factor;
                row.setValue("GRADE_ITEM_ID", whole(shifted(nextItem, item, firstItem)));
                // The copy keeps the factor's number as the package had it.
                if (side.project) row.setValue("CRP_INGREDIENT_ID", whole(factor));
                row.setValue("INGREDIENT_ID", whole(shifted(nextFactor, factor, firstFactor)));
              });
}

void TableImporters::inputGradeFromXml(std::int16_t ori, std::int32_t oldOwner) {
  const Side& side = db::sideOf(ori);
  const std::int32_t nextOwner = maxNo(session_, side.tree, side.owner);
  const std::int32_t nextItem = maxNo(session_, side.items, "GRADE_ITEM_ID");
  std::int32_t owner = 0, item = 0, firstItem = 0;
  copyRecords(session_, package_, side.items, side.project ? columns::kGradeItem : columns::kGradeItemInfo,
              {{side.owner, &owner}, {"GRADE_ITEM_ID", &item}}, [&](NewRow& row, std::size_t index) {
                if (index == 0) firstItem = item;
                row.setValue(side.owner, whole(shifted(nextOwner, owner, oldOwner)));
                row.setValue("GRADE_ITEM_ID", whole(shifted(nextItem, item, firstItem)));
              });
}

void TableImporters::importAll(std::int16_t ori, std::int32_t oldOwner) {
  inputProjectFromXml(ori, oldOwner);
  inputAccFromXml(ori, oldOwner);
  inputOpenBidFromXml(ori, oldOwner);
  inputAutoGradeFromXml(ori, oldOwner);
  inputGradeDETAILFromXml(ori, oldOwner);
  inputGradeFromXml(ori, oldOwner);
}

}  // namespace quillon::importing
