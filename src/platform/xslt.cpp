#include "platform/xslt.h"

#include <dlfcn.h>
#include <fmt/core.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/xml.h"
#include "platform/xslt_engine/engine.h"
#include "quillon/error.h"

namespace quillon::platform::xml {
namespace {

constexpr const char* kModule = "libquillon_xslt.so";

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
      found.push_back((folder / QUILLON_XSLT_BIN_TO_LIB / "quillon" / kModule).lexically_normal());
    }
  }
  for (const char* folder : {QUILLON_XSLT_BUILD_DIR, QUILLON_XSLT_INSTALL_DIR})
    found.push_back(std::filesystem::path(folder) / kModule);
  return found;
}

struct Module {
  QuillonXsltTransform entry = nullptr;
  std::string failure;
};

const Module& module() {
  static const Module loaded = [] {
    Module m;
    std::string tried;
    for (const auto& path : candidates()) {
      std::error_code ec;
      if (!std::filesystem::exists(path, ec)) continue;
      void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handle) {
        tried += fmt::format("; {}", dlerror());
        continue;
      }
      m.entry = reinterpret_cast<QuillonXsltTransform>(dlsym(handle, "quillon_xslt_transform"));
      if (m.entry) return m;
      tried += fmt::format("; {} has no transform", path.string());
    }
    m.failure = fmt::format("the XSLT processor ({}) cannot be loaded{}", kModule, tried);
    return m;
  }();
  return loaded;
}

struct Freed {
  void operator()(char* p) const { std::free(p); }
};

}  // namespace

std::string transform(pugi::xml_node node, const XmlDocument& stylesheet) {
  if (!node) throw Error("cannot transform a null XML node");
  if (stylesheet.empty()) throw Error("the style sheet document is empty");
  const Module& m = module();
  if (!m.entry) throw Error(m.failure);
  const std::string source = outerXml(node);
  const std::string style = stylesheet.toString();
  char* raw = nullptr;
  std::size_t size = 0;
  const int status = m.entry(source.data(), source.size(), style.data(), style.size(), &raw, &size);
  const std::unique_ptr<char, Freed> result(raw);
  if (!result) throw Error("out of memory in the XSLT transform");
  std::string text(result.get(), size);
  if (status != 0) throw Error(text);
  return text;
}

}  // namespace quillon::platform::xml
