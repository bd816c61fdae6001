// Templates and projects for `quillon call`: a new document from a template,
// and a project saved into the library.
#include "members.h"

namespace quillon::cli {
namespace {

const bool registered = addMembers({
    {"New_Bs",
     {"resource_id project_type bsName project_id", 4, 4,
      [](CallContext& c) { c.print(c.object.New_Bs(c.int32(0), c.int32(1), c.text(2), c.text(3))); }}},
    {"Get_Tree_NodeFromInfo",
     {"resource_id project_id bsName PARENT_NOED_ID Layer_ID", 5, 5,
      [](CallContext& c) {
        c.print(std::int64_t{
            c.object.Get_Tree_NodeFromInfo(c.int32(0), c.int32(1), c.text(2), c.int32(3), c.int32(4))});
      }}},
    {"SavaBsInResource",
     {"project_id resource_id RESOURCE_NAME", 3, 3,
      [](CallContext& c) { c.print(c.object.SavaBsInResource(c.text(0), c.text(1), Value(c.text(2)))); }}},
});

}  // namespace
}  // namespace quillon::cli
