#pragma once
// A project's tender document saved into the library as a new template: its
// document tree renumbered under a new resource number, then its live
// attached rows (bid-opening lines, compliance checks, scoring items with
// factors and automatic rules, project record).
#include <cstdint>
#include <string>
#include <unordered_set>

#include "core/session.h"
#include "engine/connection.h"
#include "quillon/recordset.h"
#include "quillon/value.h"

namespace quillon::library {

class LibrarySave {
 public:
  explicit LibrarySave(Session& session) : session_(session) {}

  // True when every step ran. `resource_id` is not used: the template always
  // takes the next free resource number. Failures of the tree copy (a NULL
  // that cannot be written, a statement the engine rejects, a RESOURCE_NAME
  // without text) throw quillon::Error; tree rows already written stay and
  // the attached tables are not copied. Failures of the attached tables end
  // only that table's copy, silently.
  bool SavaBsInResource(const std::string& project_id, const std::string& resource_id,
                        const Value& RESOURCE_NAME);

  // The steps, public so that each can be exercised on its own.

  // Copies the project's tree and returns the new resource number.
  std::int32_t saveTrInResource(const std::string& project_id, const std::string& resource_id,
                                const std::string& RESOURCE_NAME);
  bool saveOpenBIDInResource(const std::string& project_id, const std::string& resource_id);
  bool saveACCORDED_CHECKInResource(const std::string& project_id, const std::string& resource_id);
  bool save_T_GRADE_INGREDIENTInResource(const std::string& project_id, const std::string& resource_id);
  bool save_ProjectInResource(const std::string& project_id, const std::string& resource_id,
                              const std::string& RESOURCE_NAME);

 private:
  // `written` holds the template's rows so far: they are sent before the
  // library is searched.
  std::int32_t parentInLibrary(const Recordset& row, const std::unordered_set<std::int64_t>& nodes,
                               std::int32_t first, std::int32_t next, engine::RowWriter& written);
  Session& session_;
};

}  // namespace quillon::library
