#include "platform/xml_stream.h"

#include <string>

#include "platform/xml.h"

namespace quillon::platform::xml {
namespace {

thread_local StreamedDocument* current = nullptr;

constexpr unsigned kFormat = pugi::format_raw;

void writeText(pugi::xml_writer& out, const std::string& text) { out.write(text.data(), text.size()); }

}  // namespace

StreamedDocument::StreamedDocument(XmlDocument& doc, std::filesystem::path target)
    : doc_(doc), file_(target), previous_(current) {
  AtomicFile::removeLeftoversBeside(target);  // our own temporary is in use: it stays
  current = this;
}

StreamedDocument::~StreamedDocument() { current = previous_; }

StreamedDocument* StreamedDocument::of(const XmlDocument& doc) {
  for (auto* s = current; s; s = s->previous_)
    if (&s->doc_ == &doc) return s;
  return nullptr;
}

void StreamedDocument::openRoot() {
  if (rootOpen_) return;
  writeDeclaration(file_);
  writeText(file_, std::string("<") + documentElement(doc_).name() + ">");
  rootOpen_ = true;
}

void StreamedDocument::flushSection(pugi::xml_node section) {
  if (!section.first_child()) return;
  openSection(section);
}

void StreamedDocument::openSection(pugi::xml_node section) {
  openRoot();
  if (!sectionOpen_) {
    writeText(file_, std::string("<") + section.name() + ">");
    sectionOpen_ = true;
  }
  while (const auto child = section.first_child()) {
    child.print(file_, "", kFormat, pugi::encoding_utf8);
    section.remove_child(child);
  }
}

void StreamedDocument::writeInto(pugi::xml_node section, std::string_view markup) {
  if (markup.empty()) return;
  openSection(section);
  file_.write(markup.data(), markup.size());
}

void StreamedDocument::closeSection(pugi::xml_node section) {
  flushSection(section);
  if (sectionOpen_) {
    writeText(file_, std::string("</") + section.name() + ">");
  } else {
    // Never had a child: written as the whole document would write it.
    openRoot();
    section.print(file_, "", kFormat, pugi::encoding_utf8);
  }
  sectionOpen_ = false;
  section.parent().remove_child(section);
}

void StreamedDocument::commit() {
  const auto root = documentElement(doc_);
  if (rootOpen_) {
    for (const auto child : root.children()) child.print(file_, "", kFormat, pugi::encoding_utf8);
    writeText(file_, std::string("</") + root.name() + ">");
  } else {
    writeDocument(native(doc_), file_);
  }
  file_.commit();
}

}  // namespace quillon::platform::xml
