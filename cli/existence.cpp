#include "existence.h"

#include <fmt/format.h>

#include <stdexcept>

#include "quillon/error.h"

namespace quillon::cli {
namespace {

// The reservation rows an import writes carry no type and no name.
constexpr const char* kNamesSomething = "(TYPE_ID IS NOT NULL OR NODE_NAME IS NOT NULL)";

void require(bool found, const char* what, std::int64_t number) {
  if (!found) throw Error(ErrorKind::NotFound, fmt::format("{} {} does not exist", what, number));
}

}  // namespace

void requireProject(DBFunc& object, std::int64_t project) {
  require(object.Db_GetCount("TJ_PROCUREMENT_PROJECT", fmt::format("PROJECT_ID = {}", project)) > 0 ||
              object.Db_GetCount("T_PROJECT_TREE",
                                 fmt::format("PROJECT_ID = {} AND {}", project, kNamesSomething)) > 0,
          "project", project);
}

void requireTemplate(DBFunc& object, std::int64_t resource) {
  require(object.Db_GetCount("TJ_PROCUREMENT_PROJECT_INFO", fmt::format("RESOURCE_ID = {}", resource)) > 0 ||
              object.Db_GetCount("T_RESOURCE_TREE",
                                 fmt::format("RESOURCE_ID = {} AND {}", resource, kNamesSomething)) > 0,
          "template", resource);
}

void requireProjectNode(DBFunc& object, std::int64_t node) {
  require(object.Db_GetCount("T_PROJECT_TREE", fmt::format("NODE_ID = {} AND {}", node, kNamesSomething)) > 0,
          "node", node);
}

}  // namespace quillon::cli
