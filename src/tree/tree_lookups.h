#pragma once
// Single facts about a node, a project or a template: the name and number of
// its project type, the project a node belongs to, and the evaluation method
// of a procurement mode. ORI_MODE / ori 1 is the project side, any other value
// the library side.
//
// A query that cannot be opened gives the failure value named below. Reading
// a row that is not there, a NULL, or a value that does not convert ends the
// look-up with quillon::Error for the caller.
#include <cstdint>
#include <string>

#include "core/session.h"

namespace quillon::tree {

class TreeLookups {
 public:
  explicit TreeLookups(Session& session) : session_(session) {}

  // TYPE_NAME of the node's project type; empty when there is none.
  std::string GetBStype(std::int32_t NODE_ID, std::int16_t ORI_MODE);
  // The node's project type number; -1 when the query cannot be opened, an
  // error when the node does not exist.
  std::int16_t GetBsTypeByNodeID(std::int32_t NODE_ID, std::int16_t ORI_MODE);
  // TYPE_NAME of the project type of a project or template, live or not;
  // empty when the query cannot be opened, an error when there is no row.
  std::string GetBsTypeByProjectID(std::int32_t ProjectID, std::int16_t ORI_MODE);
  // PROJECT_TYPE of the live project record or template tree row; -1 when the
  // query cannot be opened, an error when there is no live row.
  std::int32_t GetProjectTypeId(std::int32_t id, std::int16_t ori);
  // PROJECT_ID of a project-side node (the last row read wins); 0 when none.
  std::int32_t GetProjectIdByNodeId(std::int32_t NODE_ID);
  // judge_way of the live row for the pair, read as a number's leading part
  // and rounded to 16 bits; 0 when there is none.
  std::int16_t GetJudgeWay(std::int16_t promodeId, const std::string& appraiseMode);

 private:
  Session& session_;
};

}  // namespace quillon::tree
