#pragma once
// An XML-document argument of `quillon call`: the file is loaded when it
// exists, otherwise a new empty package document is made; save() writes it
// back to the same path after the call.
#include <string>

#include "quillon/xml_document.h"

namespace quillon::cli {

class XmlArg {
 public:
  explicit XmlArg(std::string path);
  XmlDocument& doc() { return doc_; }
  void save() const;

 private:
  std::string path_;
  XmlDocument doc_;
};

}  // namespace quillon::cli
