#pragma once
// Numbers a person gives a command must name something: a project, template
// or node that does not exist stops the command (exit 3) instead of giving
// an empty result that looks like success.
#include <cstdint>

#include "quillon/dbfunc.h"

namespace quillon::cli {

// Each throws std::runtime_error("project 99 does not exist") and the like.
// A row an import reserved its number with (nothing but numbers) names
// nothing.
void requireProject(DBFunc& object, std::int64_t project);
void requireTemplate(DBFunc& object, std::int64_t resource);
// A node of the project side.
void requireProjectNode(DBFunc& object, std::int64_t node);

}  // namespace quillon::cli
