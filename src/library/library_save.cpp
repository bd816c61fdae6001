#include "library/library_save.h"

#include "db/row_copy.h"
#include "library/library_tables.h"

namespace quillon::library {

bool LibrarySave::SavaBsInResource(const std::string& project_id, const std::string& /*resource_id*/,
                                   const Value& RESOURCE_NAME) {
  const std::string name = RESOURCE_NAME.toText();
  const std::int32_t number = saveTrInResource(project_id, std::string(), name);
  if (number > 0) session_.ownerMade = number;
  const std::string resource = std::to_string(number);
  // Each table stands on its own: one that fails does not stop the others.
  saveOpenBIDInResource(project_id, resource);
  saveACCORDED_CHECKInResource(project_id, resource);
  save_T_GRADE_INGREDIENTInResource(project_id, resource);
  save_ProjectInResource(project_id, resource, name);
  return true;
}

bool LibrarySave::saveOpenBIDInResource(const std::string& project_id, const std::string& resource_id) {
  return copy::copyRows(session_, tables::kOpenBid, {Value(project_id), Value(resource_id)}).ok;
}

bool LibrarySave::saveACCORDED_CHECKInResource(const std::string& project_id,
                                               const std::string& resource_id) {
  return copy::copyRows(session_, tables::kChecks, {Value(project_id), Value(resource_id)}).ok;
}

bool LibrarySave::save_T_GRADE_INGREDIENTInResource(const std::string& project_id,
                                                    const std::string& resource_id) {
  return copy::copyRows(session_, tables::kGradeItems, {Value(project_id), Value(resource_id)}).ok;
}

bool LibrarySave::save_ProjectInResource(const std::string& project_id, const std::string& resource_id,
                                         const std::string& RESOURCE_NAME) {
  return copy::copyRows(session_, tables::kProject,
                        {Value(project_id), Value(resource_id), Value(), Value(RESOURCE_NAME)})
      .ok;
}

}  // namespace quillon::library
