#pragma once
// Values that go into an INSERT as bound parameters. A column is either
// written as a number ("plain") or as text ("quoted"); the conversion fails the
// same way a statement built from the value's text would: a NULL cannot be
// written at all, and a plain value must hold a number.
#include <cstdint>

#include "quillon/recordset.h"
#include "quillon/value.h"

namespace quillon::copy {

enum class Form { Plain, Quoted };

// The number a plain value holds: integers stay integers, numeric text is
// read strictly. Throws quillon::Error ("Invalid use of Null", "Type
// mismatch") when there is none.
Value asNumber(const Value& v);

// The text of a quoted value, exactly as stored: quotes inside are kept.
// Throws quillon::Error ("Invalid use of Null") for NULL.
Value asText(const Value& v);

inline Value bound(const Value& v, Form form) { return form == Form::Plain ? asNumber(v) : asText(v); }

// What a NULL of a column of engine type `fieldType` is replaced by in a
// copy: 0 for 32-bit integer and double columns, one space for the rest.
Value nullStandIn(int fieldType);

// Value + 1 for layer arithmetic; throws quillon::Error("Overflow") instead of
// wrapping.
std::int32_t plusOne(std::int32_t v);

}  // namespace quillon::copy
