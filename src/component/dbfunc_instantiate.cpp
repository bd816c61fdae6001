// A new tender document from a template: forwarded to the instantiation
// subsystem, one commit per call.
#include "component/calls.h"
#include "component/session_access.h"
#include "core/session.h"
#include "instantiate/instantiation.h"
#include "quillon/dbfunc.h"

namespace quillon {

bool DBFunc::New_Bs(std::int32_t resource_id, std::int32_t project_type, const std::string& bsName,
                    const std::string& project_id) {
  return calls::writes(*session_, [&] {
    return instantiate::TemplateInstantiation(*session_).New_Bs(resource_id, project_type, bsName,
                                                                project_id);
  });
}

std::int32_t DBFunc::Get_Tree_NodeFromInfo(std::int32_t resource_id, std::int32_t project_id,
                                           const std::string& bsName, std::int32_t PARENT_NOED_ID,
                                           std::int32_t Layer_ID) {
  return calls::writes(*session_, [&] {
    return instantiate::TemplateInstantiation(*session_).Get_Tree_NodeFromInfo(
        resource_id, project_id, bsName, PARENT_NOED_ID, Layer_ID);
  });
}

}  // namespace quillon
