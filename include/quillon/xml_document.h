#pragma once
// An in-memory XML document: the package document that exporters append to
// and importers read. Loading never expands a DTD or an entity.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "quillon/export.h"

namespace quillon {

namespace platform {
struct XmlAccess;
}

class QUILLON_API XmlDocument {
 public:
  XmlDocument();  ///< an empty document
  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;
  ~XmlDocument();

  /// A failed load leaves the document empty and returns false.
  bool loadText(std::string_view xml);
  bool loadFile(const std::filesystem::path& file);
  /// Writes UTF-8, replacing an existing file; throws quillon::Error.
  void saveFile(const std::filesystem::path& file) const;
  std::string toString() const;
  bool empty() const;  ///< no document element

 private:
  struct Impl;
  friend struct platform::XmlAccess;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quillon
