// Data members and query primitives for `quillon call`.
#include <iostream>

#include "json.h"
#include "members.h"

namespace quillon::cli {
namespace {

Member dataMember(const std::string& name) {
  return {"[VALUE]", 0, 1,
          [name](CallContext& c) {
            if (c.count() == 1)
              setField(c.object, name, c.text(0));
            else
              c.print(getField(c.object, name));
          },
          false};
}

void printRows(CallContext& c, Recordset& rs) {
  while (!rs.atEnd()) {
    std::string line = "{";
    for (int i = 0; i < rs.fieldCount(); ++i) {
      if (i) line += ',';
      line += jsonString(rs.fieldName(i));
      line += ':';
      line += jsonValue(rs.value(i));
    }
    line += '}';
    c.out << line << '\n';
    rs.moveNext();
  }
}

const bool registered = addMembers({
    {"InputBsPath", dataMember("InputBsPath")},
    {"vNew_PARENT_NOED_ID", dataMember("vNew_PARENT_NOED_ID")},
    {"PARENT_LAYER_ID", dataMember("PARENT_LAYER_ID")},
    {"Db_GetCount",
     {"Table strFilter", 1, 2,
      [](CallContext& c) {
        c.print(std::int64_t{c.object.Db_GetCount(c.text(0), c.count() > 1 ? c.text(1) : "")});
      }}},
    {"GetMaxNo",
     {"Table RowName", 2, 2,
      [](CallContext& c) { c.print(std::int64_t{c.object.GetMaxNo(c.text(0), c.text(1))}); }}},
    {"GetGUID", {"", 0, 0, [](CallContext& c) { c.print(std::int64_t{c.object.GetGUID()}); }}},
    {"ExecuteSql", {"strSql", 1, 1, [](CallContext& c) { c.print(c.object.ExecuteSql(c.text(0))); }}},
    {"GetValue",
     {"strSql", 1, 1,
      [](CallContext& c) {
        Recordset rs;
        const bool ok = c.object.GetValue(c.text(0), rs);
        c.print(ok);
        if (ok) printRows(c, rs);
      }}},
});

}  // namespace
}  // namespace quillon::cli
