#include "fileutil/path_helpers.h"

namespace quillon::pub {
namespace {

constexpr const char* kSeparators = "/\\";

}  // namespace

std::string GetFileNameNoPath(const std::string& strFileName) {
  const auto last = strFileName.find_last_not_of(kSeparators);
  if (last == std::string::npos) return {};
  const auto before = strFileName.find_last_of(kSeparators, last);
  const auto start = before == std::string::npos ? 0 : before + 1;
  return strFileName.substr(start, last + 1 - start);
}

std::string GetFileNameNoExt(const std::string& strFileName) {
  const auto dot = strFileName.rfind('.');
  return dot == std::string::npos ? std::string() : strFileName.substr(0, dot);
}

std::string ExtractFilePath(const std::string& path) {
  const auto separator = path.find_last_of(kSeparators);
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string SlashSeparated(std::string path) {
  for (auto& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace quillon::pub
