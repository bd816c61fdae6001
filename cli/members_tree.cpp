// Tree services and look-ups for `quillon call`.
#include "members.h"

namespace quillon::cli {
namespace {

const bool registered = addMembers({
    {"T_PROJECT_TREE_Insert",
     {"NODE_ID NODE_NAME PROJECT_ID BUNDLE_ID LAYER_ID PARENT_NOED_ID TYPE_ID RESOURCE_TYPE_ID STS "
      "PROJECT_TYPE_ID Bookmarks_Name NODE_ORDER",
      0, std::nullopt,
      [](CallContext& c) {
        c.print(c.object.T_PROJECT_TREE_Insert(TextArray{1, c.rest(0)}));
      }}},
    {"GetBStype",
     {"NODE_ID ORI_MODE", 2, 2, [](CallContext& c) { c.print(c.object.GetBStype(c.int32(0), c.int16(1))); }}},
    {"GetBsTypeByNodeID",
     {"NODE_ID ORI_MODE", 2, 2,
      [](CallContext& c) { c.print(std::int64_t{c.object.GetBsTypeByNodeID(c.int32(0), c.int16(1))}); }}},
    {"GetBsTypeByProjectID",
     {"ProjectID ORI_MODE", 2, 2,
      [](CallContext& c) { c.print(c.object.GetBsTypeByProjectID(c.int32(0), c.int16(1))); }}},
    {"GetProjectTypeId",
     {"id ori", 2, 2,
      [](CallContext& c) { c.print(std::int64_t{c.object.GetProjectTypeId(c.int32(0), c.int16(1))}); }}},
    {"GetProjectIdByNodeId",
     {"NODE_ID", 1, 1,
      [](CallContext& c) { c.print(std::int64_t{c.object.GetProjectIdByNodeId(c.int32(0))}); }}},
    {"GetJudgeWay",
     {"promodeId appraiseMode", 2, 2,
      [](CallContext& c) { c.print(std::int64_t{c.object.GetJudgeWay(c.int16(0), c.text(1))}); }}},
    {"InserMaxNo", {"ori", 1, 1, [](CallContext& c) { c.object.InserMaxNo(c.int16(0)); }}},
    {"DeleteTreeNode",
     {"NODE_ID ori", 2, 2, [](CallContext& c) { c.print(c.object.DeleteTreeNode(c.int32(0), c.int16(1))); }}},
});

}  // namespace
}  // namespace quillon::cli
