#pragma once
// The PostgreSQL client calls, from the module, loaded the first time a
// server is named.
#include "engine/postgres/pg_api.h"

namespace quillon::engine::postgres {

// Throws quillon::Error with the reason when the module cannot be loaded.
const QuillonPgApi& pq();

}  // namespace quillon::engine::postgres
