#pragma once
// Copying the live rows of one table between the project side and the
// template library. Every such copy has the same shape:
//
//   for each live source row selected by its owner (or parent) key
//     replace NULLs in a working copy of the row (the source stays as it is)
//     take the row's new identifier, max()+1 of the target column
//     copy the rows below it first, pointed at that new identifier
//     insert the row, with every value bound as a parameter
//
// A table copy is therefore described by data alone (TableCopy); copyRows
// runs any of them. Used by template instantiation and by the library save.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/session.h"
#include "db/bound_value.h"
#include "quillon/value.h"

namespace quillon::copy {

// Where one inserted value comes from.
struct Out {
  enum class From {
    Field,    // a column of the source row
    NewId,    // the row's new identifier
    Source,   // the key value the source rows were selected by
    Owner,    // the owner number the copies belong to
    Parent,   // the new identifier of the row above
    Name,     // the document name given by the caller
    Literal,  // a fixed value
  };
  From from;
  Form form;
  int field = -1;
  // Literal: the value. Field: what a NULL is written as (before any other
  // NULL rule), or null for none.
  const char* literal = nullptr;
};

constexpr Out plain(int field) { return {Out::From::Field, Form::Plain, field}; }
constexpr Out quoted(int field) { return {Out::From::Field, Form::Quoted, field}; }
constexpr Out quotedOr(int field, const char* ifNull) {
  return {Out::From::Field, Form::Quoted, field, ifNull};
}
constexpr Out plainLiteral(const char* v) { return {Out::From::Literal, Form::Plain, -1, v}; }
constexpr Out quotedLiteral(const char* v) { return {Out::From::Literal, Form::Quoted, -1, v}; }
inline constexpr Out kNewId{Out::From::NewId, Form::Plain};
inline constexpr Out kSource{Out::From::Source, Form::Plain};
inline constexpr Out kOwner{Out::From::Owner, Form::Plain};
inline constexpr Out kParent{Out::From::Parent, Form::Plain};
inline constexpr Out kName{Out::From::Name, Form::Quoted};

// Positions [first, end) of the source row whose NULLs are replaced by
// nullStandIn before the row is used. end < 0 means "to the last column".
struct FillRange {
  int first = 0;
  int end = 0;
};
inline constexpr FillRange kFillNone{0, 0};
inline constexpr FillRange kFillAll{0, -1};
constexpr FillRange fillBefore(int end) { return {0, end}; }

struct TableCopy {
  std::string_view sourceTable{};
  std::string_view sourceColumns{};  // the SELECT list; Field positions count in it
  std::string_view sourceKey{};      // column compared with the Source value
  FillRange fill{};
  // Also replace a NULL in any written column outside `fill`, so that a copy
  // never stops half-way on a NULL.
  bool fillWritten = false;
  std::string_view idTable{};  // empty: the rows get no identifier of their own
  std::string_view idColumn{};
  // Copied for each row before the row itself, selected by the row's first
  // column and pointed at its new identifier.
  const TableCopy* below = nullptr;
  std::string_view targetTable{};
  std::string_view targetColumns{};
  std::span<const Out> values{};  // one per target column, in order
};

struct CopyKeys {
  Value source{};  // selects the source rows
  Value owner{};   // written where the table asks for the owner
  Value parent{};  // the new identifier of the row above, if any
  Value name{};    // written where the table asks for the name
};

struct CopyOutcome {
  bool ok = false;
  std::int32_t inserted = 0;  // rows of this table written, the rows below not counted
};

// Runs one table copy (and the copies below it). Never throws: a failure
// anywhere ends the copy with ok = false, and rows written so far stay.
CopyOutcome copyRows(Session& session, const TableCopy& table, const CopyKeys& keys);

// True when `table` has at least one live source row for `keys.source`.
// Throws quillon::Error when the query cannot run.
bool hasSourceRows(Session& session, const TableCopy& table, const Value& source);

}  // namespace quillon::copy
