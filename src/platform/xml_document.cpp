#include "quillon/xml_document.h"

#include <fmt/core.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

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

// Indentation would add whitespace text to every element, so the output is raw.
void writeDocument(const pugi::xml_document& doc, pugi::xml_writer& writer) {
  writer.write(kDeclaration.data(), kDeclaration.size());
  for (const auto child : doc.children()) {
    if (child.type() == pugi::node_declaration) continue;
    child.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
  }
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class FileWriter : public pugi::xml_writer {
 public:
  explicit FileWriter(std::FILE* file) : file_(file) {}
  void write(const void* data, size_t size) override {
    if (error_ == 0 && std::fwrite(data, 1, size, file_) != size) error_ = errno ? errno : EIO;
  }
  int error() const { return error_; }

 private:
  std::FILE* file_;
  int error_ = 0;
};

std::string describe(int error) { return std::generic_category().message(error); }

}  // namespace

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
  // Written beside the target, flushed to the disk and renamed over it: a
  // killed process or a full disk leaves the old file or the new one, never
  // a part of one.
  std::string temporary = file.string() + ".XXXXXX";
  errno = 0;
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) throw Error(fmt::format("cannot create the XML file {}: {}", file.string(), describe(errno)));
  ::fchmod(fd, 0644);
  File handle(::fdopen(fd, "wb"));
  if (!handle) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    throw Error(fmt::format("cannot create the XML file {}: {}", file.string(), describe(error)));
  }
  FileWriter writer(handle.get());
  writeDocument(impl_->doc, writer);
  int error = writer.error();
  if (error == 0 && std::fflush(handle.get()) != 0) error = errno ? errno : EIO;
  if (error == 0 && ::fsync(::fileno(handle.get())) != 0) error = errno;
  if (std::fclose(handle.release()) != 0 && error == 0) error = errno ? errno : EIO;
  if (error == 0 && std::rename(temporary.c_str(), file.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    throw Error(fmt::format("cannot write the XML file {}: {}", file.string(), describe(error)));
  }
}

std::string XmlDocument::toString() const {
  std::string out;
  platform::xml::StringWriter writer(out);
  writeDocument(impl_->doc, writer);
  return out;
}

bool XmlDocument::empty() const { return !impl_->doc.document_element(); }

}  // namespace quillon
