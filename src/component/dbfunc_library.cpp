// A project saved into the template library: forwarded to the library
// subsystem, one commit per call.
#include "component/session.h"
#include "library/library_save.h"
#include "quillon/dbfunc.h"

namespace quillon {

bool DBFunc::SavaBsInResource(const std::string& project_id, const std::string& resource_id,
                              const Value& RESOURCE_NAME) {
  auto batch = session_->batch();
  return library::LibrarySave(*session_).SavaBsInResource(project_id, resource_id, RESOURCE_NAME);
}

}  // namespace quillon
