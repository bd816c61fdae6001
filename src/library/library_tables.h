#pragma once
// How each kind of project data becomes template data in the library: the
// project-side source, which NULLs are replaced, the identifier taken per row
// and the library-side row written.
#include "db/row_copy.h"

namespace quillon::library::tables {

// Source key: PROJECT_ID (the project number). Owner: the new resource
// number. Name: the template name.
extern const copy::TableCopy kOpenBid;
extern const copy::TableCopy kChecks;
extern const copy::TableCopy kGradeItems;
extern const copy::TableCopy kProject;
// Source key: the project item (factor); Parent: its copy.
extern const copy::TableCopy kGradeFactors;
extern const copy::TableCopy kAutoRules;

}  // namespace quillon::library::tables
