#include "platform/xslt.h"

#include <fmt/core.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/libxml_module.h"
#include "platform/xml.h"
#include "quillon/error.h"

namespace quillon::platform::xml {
namespace {

struct Freed {
  void operator()(char* p) const { std::free(p); }
};

}  // namespace

std::string transform(pugi::xml_node node, const XmlDocument& stylesheet) {
  if (!node) throw Error("cannot transform a null XML node");
  if (stylesheet.empty()) throw Error("the style sheet document is empty");
  const auto run = libxmlModule().transform;
  const std::string source = outerXml(node);
  const std::string style = stylesheet.toString();
  char* raw = nullptr;
  std::size_t size = 0;
  const int status = run(source.data(), source.size(), style.data(), style.size(), &raw, &size);
  const std::unique_ptr<char, Freed> result(raw);
  if (!result) throw Error("out of memory in the XSLT transform");
  std::string text(result.get(), size);
  if (status != 0) throw Error(text);
  return text;
}

}  // namespace quillon::platform::xml
