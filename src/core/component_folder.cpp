#include "quillon/component_folder.h"

#include <dlfcn.h>

#include <cstdlib>

namespace quillon {

std::filesystem::path resolveComponentFolder(const std::filesystem::path& given) {
  if (!given.empty()) return given;
  if (const char* env = std::getenv("QUILLON_HOME"); env && *env) return env;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&resolveComponentFolder), &info) != 0 && info.dli_fname)
    return std::filesystem::absolute(info.dli_fname).parent_path();
  return std::filesystem::current_path();
}

}  // namespace quillon
