// Tree services and look-ups of the object, forwarded to the tree subsystem.
#include "component/calls.h"
#include "component/session_access.h"
#include "core/session.h"
#include "quillon/dbfunc.h"
#include "tree/document_list.h"
#include "tree/owner_reservation.h"
#include "tree/subtree_delete.h"
#include "tree/tree_insert.h"
#include "tree/tree_lookups.h"

namespace quillon {

bool DBFunc::T_PROJECT_TREE_Insert(const TextArray& PROJECT_TREE) {
  return calls::writes(*session_,
                       [&] { return tree::TreeInsert(*session_).T_PROJECT_TREE_Insert(PROJECT_TREE); });
}

std::string DBFunc::GetBStype(std::int32_t NODE_ID, std::int16_t ORI_MODE) {
  return calls::plain(*session_, [&] { return tree::TreeLookups(*session_).GetBStype(NODE_ID, ORI_MODE); });
}

std::int16_t DBFunc::GetBsTypeByNodeID(std::int32_t NODE_ID, std::int16_t ORI_MODE) {
  return calls::plain(*session_,
                      [&] { return tree::TreeLookups(*session_).GetBsTypeByNodeID(NODE_ID, ORI_MODE); });
}

std::string DBFunc::GetBsTypeByProjectID(std::int32_t ProjectID, std::int16_t ORI_MODE) {
  return calls::plain(*session_,
                      [&] { return tree::TreeLookups(*session_).GetBsTypeByProjectID(ProjectID, ORI_MODE); });
}

std::int32_t DBFunc::GetProjectTypeId(std::int32_t id, std::int16_t ori) {
  return calls::plain(*session_, [&] { return tree::TreeLookups(*session_).GetProjectTypeId(id, ori); });
}

std::int32_t DBFunc::GetProjectIdByNodeId(std::int32_t NODE_ID) {
  return calls::plain(*session_, [&] { return tree::TreeLookups(*session_).GetProjectIdByNodeId(NODE_ID); });
}

std::int16_t DBFunc::GetJudgeWay(std::int16_t promodeId, const std::string& appraiseMode) {
  return calls::plain(*session_,
                      [&] { return tree::TreeLookups(*session_).GetJudgeWay(promodeId, appraiseMode); });
}

void DBFunc::InserMaxNo(std::int16_t ori) {
  calls::writes(*session_, [&] { tree::OwnerReservation(*session_).InserMaxNo(ori); });
}

std::int32_t DBFunc::nextOwnerId(std::int16_t ori) {
  return calls::plain(*session_, [&] { return tree::OwnerReservation(*session_).nextOwnerId(ori); });
}

bool DBFunc::holdsOwners(std::int16_t ori) {
  return calls::plain(*session_,
                      [&] { return tree::OwnerReservation(*session_).largestOwnerId(ori).has_value(); });
}

std::vector<DocumentSummary> DBFunc::listDocuments(std::int16_t ori) {
  return calls::plain(*session_, [&] { return tree::listDocuments(*session_, ori); });
}

Value DBFunc::DeleteTreeNode(std::int32_t NODE_ID, std::int16_t ori) {
  return calls::writes(*session_,
                       [&] { return tree::SubtreeDelete(*session_).DeleteTreeNode(NODE_ID, ori); });
}

}  // namespace quillon
