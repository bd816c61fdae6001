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

FileText::FileText(const std::filesystem::path& file) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (!in) throw Error(ErrorKind::NotFound, fmt::format("cannot read the package {}", file.string()));
  bool ok = std::fseek(in, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(in) : -1;
  ok = ok && size >= 0 && std::fseek(in, 0, SEEK_SET) == 0;
  if (ok) {
    size_ = static_cast<std::size_t>(size);
    data_ = static_cast<char*>(pugi::get_memory_allocation_function()(size_ + 1));
    ok = data_ && std::fread(data_, 1, size_, in) == size_;
  }
  std::fclose(in);
  if (ok && !data_)
    throw Error(ErrorKind::Engine,
                fmt::format("out of memory: the package {} takes {} bytes", file.string(), size));
  if (!ok) {
    if (data_) pugi::get_memory_deallocation_function()(data_);
    throw Error(ErrorKind::IO, fmt::format("cannot read the package {}", file.string()));
  }
}

FileText::~FileText() {
  if (data_) pugi::get_memory_deallocation_function()(data_);
}

namespace {

// A byte-order mark or the first characters of a declaration in UTF-16 or
// UTF-32: a parser told the text is UTF-8 would only call it malformed.
bool looksWide(std::string_view text) {
  for (const std::string_view start :
       {std::string_view("\xFE\xFF", 2), std::string_view("\xFF\xFE", 2), std::string_view("\0\0\xFE\xFF", 4),
        std::string_view("\0<", 2), std::string_view("<\0", 2)})
    if (text.substr(0, start.size()) == start) return true;
  return false;
}

bool declaresOtherThanUtf8(const pugi::xml_document& doc) {
  const auto declaration = doc.first_child();
  if (declaration.type() != pugi::node_declaration) return false;
  const auto encoding = declaration.attribute("encoding");
  if (!encoding) return false;
  std::string name = encoding.value();
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name != "utf-8" && name != "utf8";
}

}  // namespace

PackageParse parsePackageInPlace(XmlDocument& doc, FileText&& text) {
  auto& native = platform::XmlAccess::native(doc);
  if (looksWide(text.view())) return PackageParse::NotUtf8;
  // The document owns the buffer from here on, whether the parse succeeds.
  char* data = std::exchange(text.data_, nullptr);
  const auto result = native.load_buffer_inplace_own(
      data, std::exchange(text.size_, 0), kParseOptions | pugi::parse_doctype | pugi::parse_declaration,
      pugi::encoding_utf8);
  PackageParse outcome = PackageParse::Ok;
  if (result.status == pugi::status_out_of_memory)
    outcome = PackageParse::OutOfMemory;
  else if (!result)
    outcome = PackageParse::NotWellFormed;
  else if (declaresOtherThanUtf8(native))
    outcome = PackageParse::NotUtf8;
  else
    // The parser takes a DOCTYPE only among the document's own children.
    for (const auto child : native.children())
      if (child.type() == pugi::node_doctype) outcome = PackageParse::HasDoctype;
  if (outcome != PackageParse::Ok) native.reset();
  return outcome;
}

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
