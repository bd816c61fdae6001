#pragma once
// A prepared SELECT with what the cursor learnt about its columns, kept by
// the connection between uses so that a query opened again costs a reset
// rather than a parse and a column analysis.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/connection.h"
#include "engine/sqlite/handles.h"

namespace quillon::engine::sqlite {

struct QueryShape {
  int rowidColumn = -1;  // the added row locator's column, when changeable
  std::string table;     // base table when changeable, else empty
  std::vector<Column> columns;
};

struct PreparedQuery {
  Statement stmt;
  QueryShape shape;
  std::uint64_t schemaGeneration = 0;  // the connection's, when analysed
};

}  // namespace quillon::engine::sqlite
