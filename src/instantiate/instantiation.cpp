#include "instantiate/instantiation.h"

#include <fmt/format.h>

#include <array>

#include "db/queries.h"
#include "db/row_copy.h"
#include "instantiate/template_tables.h"
#include "quillon/value.h"

namespace quillon::instantiate {

bool TemplateInstantiation::New_Bs(std::int32_t resource_id, std::int32_t /*project_type*/,
                                   const std::string& bsName, const std::string& project_id) {
  const std::int32_t project = roundToInt32(leadingNumber(project_id));
  if (copy_ProjectFromInfo(resource_id, bsName, project) == -1) return false;
  // The number must really be one; the project record above is kept even
  // when it is not.
  (void)Value(project_id).toDouble();
  if (!initProjectAccordedChecks(resource_id, project)) return false;
  initProjectOpenBidDetails(resource_id, project);
  initProjectGradeIngredients(resource_id, project);
  return true;
}

std::int32_t TemplateInstantiation::copy_ProjectFromInfo(std::int32_t resource_id, const std::string& bsName,
                                                         std::int32_t project_id) {
  if (project_id == -1) {
    try {
      return copy::hasSourceRows(session_, tables::kProject, Value(resource_id)) ? -1 : 0;
    } catch (const std::exception& e) {
      session_.silentFailure(e);
      return -1;
    }
  }
  const auto outcome = copy::copyRows(session_, tables::kProject,
                                      {Value(resource_id), Value(project_id), Value(), Value(bsName)});
  if (!outcome.ok) return -1;
  return outcome.inserted > 0 ? project_id : 0;
}

bool TemplateInstantiation::initProjectAccordedChecks(std::int32_t resource_id, std::int32_t project_id) {
  return copy::copyRows(session_, tables::kChecks, {Value(resource_id), Value(project_id)}).ok;
}

bool TemplateInstantiation::initProjectOpenBidDetails(std::int32_t resource_id, std::int32_t project_id) {
  return copy::copyRows(session_, tables::kOpenBid, {Value(resource_id), Value(project_id)}).ok;
}

bool TemplateInstantiation::initProjectGradeIngredients(std::int32_t resource_id, std::int32_t project_id) {
  return copy::copyRows(session_, tables::kGradeItems, {Value(resource_id), Value(project_id)}).ok;
}

bool TemplateInstantiation::isHaveChild(std::int32_t PARENT_NOED_ID, std::int32_t Layer_ID) {
  return hasLiveChild("T_RESOURCE_TREE", PARENT_NOED_ID, Layer_ID);
}

bool TemplateInstantiation::R_isHaveChild(std::int32_t PARENT_NOED_ID, std::int32_t Layer_ID) {
  return hasLiveChild("T_PROJECT_TREE", PARENT_NOED_ID, Layer_ID);
}

bool TemplateInstantiation::hasLiveChild(const char* table, std::int32_t parent, std::int32_t layer) {
  if (parent == 0) return false;
  // The object's own connection answers the same count a second connection
  // would, without opening one per node.
  const std::array<Value, 2> values{Value(parent), Value(copy::plusOne(layer))};
  return db::Queries(session_).Db_GetCount(table, "PARENT_NOED_ID=? and LAYER_ID=? AND sts='V'", values) >= 1;
}

}  // namespace quillon::instantiate
