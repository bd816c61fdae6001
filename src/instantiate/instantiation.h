#pragma once
// A new tender document (a project) from a template of the library: its
// project record and attached data (New_Bs), and its document tree
// (Get_Tree_NodeFromInfo). The caller makes the two calls one after the other
// with the same project number; neither calls the other.
#include <cstdint>
#include <string>

#include "core/session.h"

namespace quillon::instantiate {

class TemplateInstantiation {
 public:
  explicit TemplateInstantiation(Session& session) : session_(session) {}

  // Copies the template's live project record, compliance checks, bid-opening
  // lines and scoring items (with factors and automatic rules) under the
  // project number `project_id` (decimal text). False when the project record
  // or the checks could not be copied. A `project_id` that is not a number
  // throws quillon::Error("Type mismatch") after the project record was
  // written. `project_type` is not used.
  bool New_Bs(std::int32_t resource_id, std::int32_t project_type, const std::string& bsName,
              const std::string& project_id);

  // Copies the template's document tree under project node PARENT_NOED_ID
  // (of layer Layer_ID), depth first in node order, each copy numbered just
  // before it is written. project_id 0 takes the next free project number;
  // an empty bsName keeps the template's name. Returns the project number,
  // or -1 when the copy stopped (nodes written before stay).
  std::int32_t Get_Tree_NodeFromInfo(std::int32_t resource_id, std::int32_t project_id,
                                     const std::string& bsName, std::int32_t PARENT_NOED_ID,
                                     std::int32_t Layer_ID);

  // The steps, public so that each can be exercised on its own.

  // project_id after copying; 0 when the template has no live record; -1 on
  // failure (and, when a live record exists, for project_id -1).
  std::int32_t copy_ProjectFromInfo(std::int32_t resource_id, const std::string& bsName,
                                    std::int32_t project_id);
  bool initProjectAccordedChecks(std::int32_t resource_id, std::int32_t project_id);
  bool initProjectOpenBidDetails(std::int32_t resource_id, std::int32_t project_id);
  bool initProjectGradeIngredients(std::int32_t resource_id, std::int32_t project_id);

  // Whether a template (project) node has at least one live child on the next
  // layer. A node number of 0 has none; a failed count counts as none.
  bool isHaveChild(std::int32_t PARENT_NOED_ID, std::int32_t Layer_ID);
  bool R_isHaveChild(std::int32_t PARENT_NOED_ID, std::int32_t Layer_ID);

 private:
  bool hasLiveChild(const char* table, std::int32_t parent, std::int32_t layer);

  Session& session_;
};

}  // namespace quillon::instantiate
