#pragma once
// Node operations on the package document, for the exporters that build it and
// the importers that read it. The document itself is quillon::XmlDocument; this
// header opens it up to the rest of the library as a pugixml tree.
#include <pugixml.hpp>

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "quillon/xml_document.h"

namespace quillon {

struct XmlDocument::Impl {
  pugi::xml_document doc;
};

namespace platform {
struct XmlAccess {
  static pugi::xml_document& native(XmlDocument& document) { return document.impl_->doc; }
  static const pugi::xml_document& native(const XmlDocument& document) { return document.impl_->doc; }
};
}  // namespace platform

}  // namespace quillon

namespace quillon::platform::xml {

inline pugi::xml_document& native(XmlDocument& document) { return XmlAccess::native(document); }
inline const pugi::xml_document& native(const XmlDocument& document) { return XmlAccess::native(document); }

// The XML declaration every saved document starts with, and the whole
// document after it, without indentation.
void writeDeclaration(pugi::xml_writer& writer);
void writeDocument(const pugi::xml_document& doc, pugi::xml_writer& writer);

// How reading a package ended. A package is UTF-8 (a UTF-16 or UTF-32 text,
// or one declaring another encoding, is refused before it is used) and never
// carries a DOCTYPE, wherever it stands: one that does was made to have
// something expanded.
enum class PackageParse { Ok, NotWellFormed, NotUtf8, HasDoctype, OutOfMemory };

// The root element; a null node when the document is empty.
pugi::xml_node documentElement(const XmlDocument& document);

// The child elements called exactly `name` (case-sensitive), in document order.
std::vector<pugi::xml_node> selectChildren(pugi::xml_node parent, std::string_view name);
// The first of them; a null node when there is none.
pugi::xml_node firstChild(pugi::xml_node parent, std::string_view name);
// An element of that name.
bool isElementCalled(pugi::xml_node node, std::string_view name);

// All character data (text and CDATA) of the node and its descendants, in
// document order.
std::string text(pugi::xml_node node);
// Replaces the node's content with `value`: one text child, or none for "".
// Throws quillon::Error when the node cannot hold text (a null node).
void setText(pugi::xml_node node, std::string_view value);

// Creates the element `name` holding `value` as the last child of `parent`.
// Throws quillon::Error when `name` is not an element name or `parent` cannot
// take a child element. Text that is not valid UTF-8, or holds characters
// XML 1.0 cannot carry, is stored with U+FFFD in their place (setText does
// the same); `replaced`, when given, counts such values.
pugi::xml_node appendElement(pugi::xml_node parent, std::string_view name, std::string_view value,
                             std::size_t* replaced = nullptr);

// Collects pugixml's output in a string.
class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : out_(out) {}
  void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

 private:
  std::string& out_;
};

// The node and its subtree as XML text, UTF-8, without indentation and without
// an XML declaration.
std::string outerXml(pugi::xml_node node);

// Throws quillon::Error unless `name` may stand as an element name: the
// check appendElement makes, for names written as markup.
void requireElementName(std::string_view name);

// An element's tags, made once for all the records that write it.
struct ElementTags {
  explicit ElementTags(std::string_view name);
  std::string open, close, empty;  // "<name>", "</name>", "<name/>"
};

// Markup being made, many small pieces a record: room is asked for once a
// piece and filled by copying, without a string's bookkeeping per append.
class MarkupBuffer {
 public:
  // At least `n` writable bytes at the end; advance() says how many were used.
  char* room(std::size_t n) {
    if (bytes_.size() - used_ < n) grow(n);
    return bytes_.data() + used_;
  }
  void advance(std::size_t n) { used_ += n; }
  void append(std::string_view text) {
    std::memcpy(room(text.size()), text.data(), text.size());
    used_ += text.size();
  }
  std::string_view view() const { return {bytes_.data(), used_}; }
  void clear() { used_ = 0; }

 private:
  void grow(std::size_t n);
  std::string bytes_;
  std::size_t used_ = 0;
};

// Appends the element holding `value` to `out` exactly as the tree prints it
// without indentation: "<name/>" when empty, the text escaped as character
// data. `value` must already be text XML can carry.
void appendElementMarkup(MarkupBuffer& out, const ElementTags& tags, std::string_view value);

}  // namespace quillon::platform::xml
