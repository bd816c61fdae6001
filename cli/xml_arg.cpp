#include "xml_arg.h"

#include <filesystem>

#include "members.h"

namespace quillon::cli {

XmlArg::XmlArg(std::string path) : path_(std::move(path)) {
  if (std::filesystem::exists(path_)) {
    if (!doc_.loadFile(path_)) throw UsageError("'" + path_ + "' is not a well-formed XML file");
  } else {
    doc_.loadText("<Table>\r\n</Table>");
  }
}

void XmlArg::save() const { doc_.saveFile(path_); }

}  // namespace quillon::cli
