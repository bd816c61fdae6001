#pragma once
// How each kind of template data becomes project data: the library-side
// source, which NULLs are replaced, the identifier taken per row and the
// project-side row written.
#include "db/row_copy.h"

namespace quillon::instantiate::tables {

// Source key: RESOURCE_ID. Owner: the project number. Name: the document name.
extern const copy::TableCopy kProject;
extern const copy::TableCopy kChecks;
extern const copy::TableCopy kOpenBid;
extern const copy::TableCopy kGradeItems;
// Source key: the template item (factor); Parent: its copy.
extern const copy::TableCopy kGradeFactors;
extern const copy::TableCopy kAutoRules;

}  // namespace quillon::instantiate::tables
