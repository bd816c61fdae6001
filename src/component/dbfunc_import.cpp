// Import members of DBFunc, forwarded to the import subsystem with the
// object's public fields that place an imported tree.
#include "component/calls.h"
#include "component/session_access.h"
#include "core/session.h"
#include "fileutil/path_helpers.h"
#include "import/import_drivers.h"
#include "import/import_journal.h"
#include "quillon/dbfunc.h"

namespace quillon {

namespace {
// "\" separates folders as "/" does in every path the caller gives.
importing::TreePlacement placementOf(const DBFunc& object) {
  std::optional<std::string> projectPath = object.projectPathOverride;
  if (projectPath) projectPath = pub::SlashSeparated(*projectPath);
  return {pub::SlashSeparated(object.InputBsPath), object.vNew_PARENT_NOED_ID, object.PARENT_LAYER_ID,
          projectPath};
}
}  // namespace

Value DBFunc::InputBs(const std::string& InputName, bool FgOldBs) {
  return calls::writes(*session_, [&] {
    return importing::ImportDrivers(*session_, placementOf(*this))
        .InputBs(pub::SlashSeparated(InputName), FgOldBs);
  });
}

Value DBFunc::InputRESOURCE(const std::string& InputName, bool FgOldBs) {
  return calls::writes(*session_, [&] {
    return importing::ImportDrivers(*session_, placementOf(*this))
        .InputRESOURCE(pub::SlashSeparated(InputName), FgOldBs);
  });
}

Value DBFunc::InputTBs(const std::string& InputName, bool FgOldBs) {
  return calls::writes(*session_, [&] {
    return importing::ImportDrivers(*session_, placementOf(*this))
        .InputTBs(pub::SlashSeparated(InputName), FgOldBs);
  });
}

void DBFunc::recordImport(const ImportJournalEntry& entry) {
  calls::plain(*session_, [&] { importing::ImportJournal(*session_).record(entry); });
}

void DBFunc::finishImport(const ImportJournalEntry& entry) {
  calls::plain(*session_, [&] { importing::ImportJournal(*session_).finish(entry); });
}

void DBFunc::recoverImports() {
  calls::plain(*session_, [&] { importing::ImportJournal(*session_).recover(); });
}

}  // namespace quillon
