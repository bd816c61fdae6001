// The statement is built as text, as callers expect to be able to read it,
// so every element is checked or quoted on the way in: a name such as
// O'Brien is stored as given, and a numeric element cannot smuggle SQL in.
#include "tree/tree_insert.h"

#include <array>
#include <cctype>
#include <string_view>

#include "core/error_report.h"
#include "db/sql_text.h"
#include "platform/number_text.h"
#include "quillon/error.h"

namespace quillon::tree {
namespace {

constexpr const char* kInsertFailed = "插入值到表T_PROJECT_TREE时出错！";

struct Element {
  std::string_view column;
  bool text;
};

// Element i + 1 of the array, in the order of the column list below.
constexpr std::array<Element, 12> kElements{{{"NODE_ID", false},
                                             {"NODE_NAME", true},
                                             {"PROJECT_ID", false},
                                             {"BUNDLE_ID", true},
                                             {"LAYER_ID", false},
                                             {"PARENT_NOED_ID", false},
                                             {"TYPE_ID", false},
                                             {"RESOURCE_TYPE_ID", false},
                                             {"STS", true},
                                             {"PROJECT_TYPE_ID", false},
                                             {"Bookmarks_Name", true},
                                             {"NODE_ORDER", false}}};

constexpr const char* kStatementHead =
    "Insert into "
    "T_PROJECT_TREE(NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_"
    "ID,STS,PROJECT_TYPE_ID,Bookmarks_Name,NODE_ORDER)  VALUES (";

}  // namespace

std::string treeInsertStatement(const TextArray& PROJECT_TREE) {
  std::string sql = kStatementHead;
  for (int index = 1; index <= static_cast<int>(kElements.size()); ++index) {
    const Element& e = kElements[static_cast<std::size_t>(index - 1)];
    const std::string& value = PROJECT_TREE.at(index);
    if (index > 1) sql += ',';
    if (e.text) {
      sql += db::quoted(value);
    } else {
      if (!platform::isNumber(value))
        throw Error(ErrorKind::InvalidInput, "Type mismatch: element " + std::to_string(index) + " (" +
                                                 std::string(e.column) + ") is not a number");
      sql += value;
    }
  }
  sql += ')';
  return sql;
}

bool TreeInsert::T_PROJECT_TREE_Insert(const TextArray& PROJECT_TREE) {
  try {
    session_.database().execute(treeInsertStatement(PROJECT_TREE));
    return true;
  } catch (const std::exception& e) {
    report::coded(session_.host, kInsertFailed, report::kSerialFailed, e.what());
    session_.silentFailure(e, report::kSerialFailed);
    return false;
  }
}

}  // namespace quillon::tree
