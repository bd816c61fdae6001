#include "platform/libxml_module.h"

#include <dlfcn.h>
#include <fmt/core.h>

#include <filesystem>
#include <vector>

#include "quillon/error.h"

namespace quillon::platform {
namespace {

constexpr const char* kModule = "libquillon_libxml.so";

// Where the module may be: beside the library (or program) this code is in,
// one folder up from it (a test program in the build tree), in the private
// folder (quillon/) beside the installed library or in the library folder
// of the prefix a program built with this code is installed in (the
// command, wherever the prefix was moved), and where the build and the
// installation put it.
std::vector<std::filesystem::path> candidates() {
  std::vector<std::filesystem::path> found;
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&candidates), &self) != 0 && self.dli_fname) {
    // The program may have been started through a link: its real folder too.
    std::error_code ec;
    const std::filesystem::path named(self.dli_fname);
    const auto real = std::filesystem::canonical(named, ec);
    for (const auto& file : {named, ec ? named : real}) {
      const auto folder = file.parent_path();
      found.push_back(folder / kModule);
      found.push_back(folder.parent_path() / kModule);
      found.push_back(folder / "quillon" / kModule);
      found.push_back((folder / QUILLON_MODULE_BIN_TO_LIB / "quillon" / kModule).lexically_normal());
    }
  }
  for (const char* folder : {QUILLON_MODULE_BUILD_DIR, QUILLON_MODULE_INSTALL_DIR})
    found.push_back(std::filesystem::path(folder) / kModule);
  return found;
}

LibxmlModule load() {
  LibxmlModule m;
  std::string tried;
  for (const auto& path : candidates()) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) continue;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      tried += fmt::format("; {}", dlerror());
      continue;
    }
    m.transform = reinterpret_cast<QuillonXsltTransform>(dlsym(handle, "quillon_xslt_transform"));
    m.readPackage = reinterpret_cast<QuillonReadPackage>(dlsym(handle, "quillon_read_package"));
    if (m.transform && m.readPackage) return m;
    tried += fmt::format("; {} lacks an entry point", path.string());
  }
  m.failure = fmt::format("the XSLT processor and package reader ({}) cannot be loaded{}", kModule, tried);
  return m;
}

}  // namespace

const LibxmlModule& libxmlModule() {
  static const LibxmlModule loaded = load();
  if (!loaded.failure.empty()) throw Error(loaded.failure);
  return loaded;
}

}  // namespace quillon::platform
