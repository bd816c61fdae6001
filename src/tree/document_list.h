#pragma once
// The projects or the templates of an installation, summarised.
#include <vector>

#include "core/session.h"
#include "quillon/document_summary.h"

namespace quillon::tree {

// Every owner of a tree on one side (ori = 1: projects, otherwise the
// templates, leaving out the library skeleton under RESOURCE_ID 0), in
// number order, with one query for the side. Throws quillon::Error when the
// database cannot be read.
std::vector<DocumentSummary> listDocuments(Session& session, int ori);

}  // namespace quillon::tree
