#pragma once
// A document written to its file while it is being built. The root's child
// elements are sections; a section's finished children are written out in
// batches and removed from the tree, so a package of any size never stands
// whole in memory. The bytes are exactly those the whole document, saved at
// the end, would have had.
#include <pugixml.hpp>

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/atomic_file.h"
#include "quillon/xml_document.h"

namespace quillon::platform::xml {

class StreamedDocument {
 public:
  // Creates the file's temporary (AtomicFile) and makes this the stream of
  // `doc` on this thread until destroyed.
  StreamedDocument(XmlDocument& doc, std::filesystem::path target);
  ~StreamedDocument();
  StreamedDocument(const StreamedDocument&) = delete;
  StreamedDocument& operator=(const StreamedDocument&) = delete;

  // The stream `doc` is being written through on this thread, if any.
  static StreamedDocument* of(const XmlDocument& doc);

  // `section` is a child element of the root, appended last; until it is
  // closed nothing else is appended to the root.
  void flushSection(pugi::xml_node section);  // writes and removes its children
  void closeSection(pugi::xml_node section);  // and removes the section itself
  // Writes `markup` (complete child elements, as the tree would print them)
  // into `section` after what it holds, without building nodes for it.
  void writeInto(pugi::xml_node section, std::string_view markup);

  // Writes what is left and renames the file into place; throws
  // quillon::Error. Without it the target is left as it was.
  void commit();

 private:
  void openRoot();
  // Writes the section's start tag once and what it holds so far.
  void openSection(pugi::xml_node section);

  XmlDocument& doc_;
  AtomicFile file_;
  StreamedDocument* previous_;
  bool rootOpen_ = false;
  bool sectionOpen_ = false;  // the open section's start tag is written
};

}  // namespace quillon::platform::xml
