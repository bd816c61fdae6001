#include "quillon/xml_document.h"

#include <fmt/core.h>
#include <cctype>

#include <cstdio>
#include <memory>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/xml.h"
#include "quillon/error.h"

namespace quillon {
namespace {

// No DOCTYPE processing at all, so no entity can be declared, let alone
// expanded from a file or the net; only the predefined entities and character
// references are decoded. Line ends are kept as written, so a carriage return
// stored in a field comes back as one, and a text that is a single space (the
// null marker of a field) is not dropped as formatting whitespace.
constexpr unsigned kParseOptions = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single;

// pugixml's own declaration carries no encoding; ours is written by hand.
constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";

}  // namespace

namespace platform::xml {

void writeDeclaration(pugi::xml_writer& writer) { writer.write(kDeclaration.data(), kDeclaration.size()); }

// Indentation would add whitespace text to every element, so the output is raw.
void writeDocument(const pugi::xml_document& doc, pugi::xml_writer& writer) {
  writeDeclaration(writer);
  for (const auto child : doc.children()) {
    if (child.type() == pugi::node_declaration) continue;
    child.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
  }
}

}  // namespace platform::xml

XmlDocument::XmlDocument() : impl_(std::make_unique<Impl>()) {}
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;
XmlDocument::~XmlDocument() = default;

bool XmlDocument::loadText(std::string_view xml) {
  const auto result = impl_->doc.load_buffer(xml.data(), xml.size(), kParseOptions);
  if (!result) impl_->doc.reset();
  return static_cast<bool>(result);
}

bool XmlDocument::loadFile(const std::filesystem::path& file) {
  const auto result = impl_->doc.load_file(file.c_str(), kParseOptions);
  if (!result) impl_->doc.reset();
  return static_cast<bool>(result);
}

void XmlDocument::saveFile(const std::filesystem::path& file) const {
  platform::AtomicFile::removeLeftoversBeside(file);
  platform::AtomicFile out(file);
  platform::xml::writeDocument(impl_->doc, out);
  out.commit();
}

std::string XmlDocument::toString() const {
  std::string out;
  platform::xml::StringWriter writer(out);
  platform::xml::writeDocument(impl_->doc, writer);
  return out;
}

bool XmlDocument::empty() const { return !impl_->doc.document_element(); }

}  // namespace quillon
