// A project saved into the template library: forwarded to the library
// subsystem, one commit per call.
#include "component/calls.h"
#include "component/session_access.h"
#include "core/session.h"
#include "library/library_save.h"
#include "quillon/dbfunc.h"

namespace quillon {

bool DBFunc::SavaBsInResource(const std::string& project_id, const std::string& resource_id,
                              const Value& RESOURCE_NAME) {
  return calls::writes(*session_, [&] {
    return library::LibrarySave(*session_).SavaBsInResource(project_id, resource_id, RESOURCE_NAME);
  });
}

}  // namespace quillon
