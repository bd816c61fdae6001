#include "package/package_document.h"

#include "platform/xml.h"
#include "quillon/error.h"

namespace quillon::package {

namespace xml = platform::xml;

XmlDocument loadNewXMl() {
  XmlDocument doc;
  if (!doc.loadText(kEmptyPackage)) throw Error("cannot create an empty package document");
  // The line break between the root's tags is layout, not content: a reader
  // sees a root without children, and the saved file does not start every
  // package with a stray text node.
  auto root = xml::documentElement(doc);
  for (auto child = root.first_child(); child;) {
    const auto next = child.next_sibling();
    if (child.type() == pugi::node_pcdata) root.remove_child(child);
    child = next;
  }
  return doc;
}

pugi::xml_node createNode(pugi::xml_node parent, std::string_view name, std::string_view text,
                          std::size_t* replaced) {
  if (!parent) throw Error("cannot add an element to a missing XML node");
  return xml::appendElement(parent, name, text, replaced);
}

}  // namespace quillon::package
