#include "platform/module_loader.h"

#include <dlfcn.h>
#include <fmt/core.h>

#include <filesystem>
#include <vector>

namespace quillon::platform {
namespace {

// Where the module may be: beside the library (or program) this code is in,
// one folder up from it (a test program in the build tree), in the private
// folder (quillon/) beside the installed library or in the library folder
// of the prefix a program built with this code is installed in (the
// command, wherever the prefix was moved), and where the build and the
// installation put it.
std::vector<std::filesystem::path> candidates(std::string_view module) {
  std::vector<std::filesystem::path> found;
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&candidates), &self) != 0 && self.dli_fname) {
    // The program may have been started through a link: its real folder too.
    std::error_code ec;
    const std::filesystem::path named(self.dli_fname);
    const auto real = std::filesystem::canonical(named, ec);
    for (const auto& file : {named, ec ? named : real}) {
      const auto folder = file.parent_path();
      found.push_back(folder / module);
      found.push_back(folder.parent_path() / module);
      found.push_back(folder / "quillon" / module);
      found.push_back((folder / QUILLON_MODULE_BIN_TO_LIB / "quillon" / module).lexically_normal());
    }
  }
  for (const char* folder : {QUILLON_MODULE_BUILD_DIR, QUILLON_MODULE_INSTALL_DIR})
    found.push_back(std::filesystem::path(folder) / module);
  return found;
}

}  // namespace

void* openModule(std::string_view name, std::string& tried) {
  for (const auto& path : candidates(name)) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) continue;
    if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    tried += fmt::format("; {}", dlerror());
  }
  return nullptr;
}

}  // namespace quillon::platform
