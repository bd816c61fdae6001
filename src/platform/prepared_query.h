#pragma once
// A prepared SELECT with what the result set learnt about its columns, kept
// by the connection between uses so that a query opened again costs a reset
// rather than a parse and a column analysis.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sqlite_handles.h"

namespace quillon::platform {

struct QueryShape {
  int rowidColumn = -1;  // the added row locator's column, when updatable
  std::string table;     // base table when updatable, else empty
  std::vector<std::string> names;
  std::vector<std::string> originNames;
  std::vector<int> declaredTypes;
};

struct PreparedQuery {
  Statement stmt;
  QueryShape shape;
  std::uint64_t schemaGeneration = 0;  // the connection's, when analysed
};

}  // namespace quillon::platform
