#include "import/table_importers.h"

#include <fmt/format.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "db/queries.h"
#include "db/tables.h"
#include "export/table_writer.h"
#include "package/package_document.h"
#include "platform/xml.h"
#include "quillon/error.h"
#include "quillon/recordset.h"

namespace quillon::importing {
namespace {

namespace xml = platform::xml;
namespace table = db::table;
namespace columns = db::columns;

// The package numbers a record copy keeps, by the column they come from; a
// value stays when a later record lacks its element, and starts at 0.
struct Captured {
  std::int32_t owner = 0;
  std::int32_t item = 0;
  std::int32_t factor = 0;
};
struct CaptureColumns {
  std::string_view owner;
  std::string_view item;
  std::string_view factor;
};
using Renumber = std::function<void(Recordset&, std::size_t index, const Captured&)>;

std::int32_t asIdentifier(const std::string& text) { return roundToInt32(leadingNumber(text)); }

// next + number - first, refused past 32 bits rather than wrapped.
std::int32_t shifted(std::int32_t next, std::int32_t number, std::int32_t first) {
  const std::int64_t sum = std::int64_t{next} + number - first;
  if (sum < std::numeric_limits<std::int32_t>::min() || sum > std::numeric_limits<std::int32_t>::max())
    throw Error("Overflow");
  return static_cast<std::int32_t>(sum);
}

// The table element named `name` of the package, or a null node.
pugi::xml_node element(const XmlDocument& package, std::string_view name) {
  const auto root = xml::firstChild(xml::native(package), package::kRoot);
  if (!root) throw Error("the package has no Table element");
  return xml::firstChild(root, name);
}

std::vector<pugi::xml_node> records(pugi::xml_node tableElement, std::string_view name) {
  if (!tableElement) throw Error(fmt::format("the package has no {} element", name));
  return xml::selectChildren(tableElement, package::kRecord);
}

bool hasRecords(pugi::xml_node tableElement) {
  return tableElement && xml::firstChild(tableElement, package::kRecord);
}

// The first record's number in `column`; the list must not be empty.
std::int32_t firstNumber(const std::vector<pugi::xml_node>& list, std::string_view table,
                         std::string_view column) {
  if (list.empty()) throw Error(fmt::format("the package's {} element has no record", table));
  return asIdentifier(xml::text(xml::firstChild(list.front(), column)));
}

// Appends one row per record through a result set over the table's columns.
// A field the package gives is read as a number for the numeric columns and
// taken as text (an empty one as " ") for the others; a field it lacks is 0
// or " ". The renumbered columns are set last.
void copyRecords(Session& session, std::string_view tableName, std::string_view columnList,
                 const std::vector<pugi::xml_node>& list, const CaptureColumns& capture,
                 const Renumber& renumber) {
  Recordset rs;
  if (!db::Queries(session).GetValue(fmt::format("Select {} from {}", columnList, tableName), rs)) return;
  const exporting::ColumnList names(columnList);
  const auto count = names.names().size();
  std::vector<int> types(count);
  for (std::size_t j = 0; j < count; ++j) types[j] = rs.fieldType(static_cast<int>(j));

  Captured captured;
  for (std::size_t i = 0; i < list.size(); ++i) {
    rs.addNew();
    for (std::size_t j = 0; j < count; ++j) {
      const std::string& name = names.names()[j];
      const int position = static_cast<int>(j);
      const bool whole = types[j] == field_type::kLong;
      const bool numeric = whole || types[j] == field_type::kDouble;
      const auto field = xml::firstChild(list[i], name);
      if (!field) {
        rs.setValue(position, numeric ? Value(std::int64_t{0}) : Value(std::string(" ")));
        continue;
      }
      std::string text = xml::text(field);
      if (numeric) {
        const double number = leadingNumber(text);
        rs.setValue(position, whole ? Value(std::int64_t{roundToInt32(number)}) : Value(number));
      } else {
        rs.setValue(position, Value(text.empty() ? std::string(" ") : text));
      }
      if (name == capture.owner) captured.owner = asIdentifier(text);
      if (name == capture.item) captured.item = asIdentifier(text);
      if (name == capture.factor) captured.factor = asIdentifier(text);
    }
    renumber(rs, i, captured);
    rs.update();
  }
}

struct Side {
  bool project;
  std::string_view owner;    // owner column
  std::string_view tree;     // tree table, where owners are numbered
  std::string_view items;    // scoring-item table
  std::string_view factors;  // scoring-factor table
  std::string_view rules;    // automatic-rule table

  explicit Side(std::int16_t ori)
      : project(db::projectSide(ori)),
        owner(project ? "PROJECT_ID" : "RESOURCE_ID"),
        tree(project ? table::kProjectTree : table::kResourceTree),
        items(project ? table::kGradeItem : table::kGradeItemInfo),
        factors(project ? table::kGradeFactor : table::kGradeFactorInfo),
        rules(project ? table::kAutoRule : table::kAutoRuleInfo) {}
};

std::int32_t maxNo(Session& session, std::string_view tableName, std::string_view column) {
  return db::Queries(session).GetMaxNo(std::string(tableName), std::string(column));
}

// The importers of owned rows whose only shared number is the owner.
void importOwned(Session& session, const XmlDocument& package, const Side& side, std::string_view tableName,
                 std::string_view columnList, std::int32_t oldOwner, std::string_view ownId = {}) {
  const std::int32_t nextOwner = maxNo(session, side.tree, side.owner);
  const auto list = records(element(package, tableName), tableName);
  copyRecords(session, tableName, columnList, list, {side.owner, {}, {}},
              [&](Recordset& rs, std::size_t, const Captured& c) {
                rs.setValue(side.owner, Value(std::int64_t{shifted(nextOwner, c.owner, oldOwner)}));
                if (!ownId.empty()) rs.setValue(ownId, Value(std::int64_t{maxNo(session, tableName, ownId)}));
              });
}

}  // namespace

void TableImporters::inputProjectFromXml(std::int16_t ori, std::int32_t oldOwner) {
  const Side side(ori);
  importOwned(session_, package_, side, side.project ? table::kProject : table::kProjectInfo,
              side.project ? columns::kProject : columns::kProjectInfo, oldOwner);
}

void TableImporters::inputAccFromXml(std::int16_t ori, std::int32_t oldOwner) {
  const Side side(ori);
  importOwned(session_, package_, side, side.project ? table::kCheck : table::kCheckInfo,
              side.project ? columns::kCheck : columns::kCheckInfo, oldOwner, "CHECK_ID");
}

void TableImporters::inputOpenBidFromXml(std::int16_t ori, std::int32_t oldOwner) {
  const Side side(ori);
  importOwned(session_, package_, side, side.project ? table::kOpenBid : table::kOpenBidInfo,
              side.project ? columns::kOpenBid : columns::kOpenBidInfo, oldOwner);
}

void TableImporters::inputAutoGradeFromXml(std::int16_t ori, std::int32_t /*oldOwner*/) {
  const Side side(ori);
  const std::int32_t nextFactor = maxNo(session_, side.factors, "INGREDIENT_ID");
  const auto rules = element(package_, side.rules);
  const auto factors = element(package_, side.factors);
  if (!rules || !hasRecords(factors)) return;
  const std::int32_t firstFactor = firstNumber(records(factors, side.factors), side.factors, "INGREDIENT_ID");
  copyRecords(session_, side.rules, columns::kAutoRule, records(rules, side.rules), {{}, {}, "INGREDIENT_ID"},
              [&](Recordset& rs, std::size_t, const Captured& c) {
                rs.setValue("INGREDIENT_ID", Value(std::int64_t{shifted(nextFactor, c.factor, firstFactor)}));
                rs.setValue("AUTO_GRADE_ID",
                            Value(std::int64_t{maxNo(session_, side.rules, "AUTO_GRADE_ID")}));
              });
}

void TableImporters::inputGradeDETAILFromXml(std::int16_t ori, std::int32_t /*oldOwner*/) {
  const Side side(ori);
  const std::int32_t nextItem = maxNo(session_, side.items, "GRADE_ITEM_ID");
  const std::int32_t nextFactor = maxNo(session_, side.factors, "INGREDIENT_ID");
  // The library side looks for items, the project side for factors; each
  // then needs the other element, and a package without it is refused.
  if (!hasRecords(element(package_, side.project ? side.factors : side.items))) return;
  const std::int32_t firstItem =
      firstNumber(records(element(package_, side.items), side.items), side.items, "GRADE_ITEM_ID");
  std::int32_t firstFactor = 0;
  copyRecords(session_, side.factors, side.project ? columns::kGradeFactor : columns::kGradeFactorInfo,
              records(element(package_, side.factors), side.factors), {{}, "GRADE_ITEM_ID", "INGREDIENT_ID"},
              [&](Recordset& rs, std::size_t index, const Captured& c) {
                if (index == 0) firstFactor = c.factor;
                rs.setValue("GRADE_ITEM_ID", Value(std::int64_t{shifted(nextItem, c.item, firstItem)}));
                // The copy keeps the factor's number as the package had it.
                if (side.project) rs.setValue("CRP_INGREDIENT_ID", Value(std::int64_t{c.factor}));
                rs.setValue("INGREDIENT_ID", Value(std::int64_t{shifted(nextFactor, c.factor, firstFactor)}));
              });
}

void TableImporters::inputGradeFromXml(std::int16_t ori, std::int32_t oldOwner) {
  const Side side(ori);
  const std::int32_t nextOwner = maxNo(session_, side.tree, side.owner);
  const std::int32_t nextItem = maxNo(session_, side.items, "GRADE_ITEM_ID");
  std::int32_t firstItem = 0;
  copyRecords(session_, side.items, side.project ? columns::kGradeItem : columns::kGradeItemInfo,
              records(element(package_, side.items), side.items), {side.owner, "GRADE_ITEM_ID", {}},
              [&](Recordset& rs, std::size_t index, const Captured& c) {
                if (index == 0) firstItem = c.item;
                rs.setValue(side.owner, Value(std::int64_t{shifted(nextOwner, c.owner, oldOwner)}));
                rs.setValue("GRADE_ITEM_ID", Value(std::int64_t{shifted(nextItem, c.item, firstItem)}));
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
