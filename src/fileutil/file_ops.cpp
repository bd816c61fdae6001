#include "fileutil/file_ops.h"
#include "platform/error_kinds.h"

#include <unistd.h>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "fileutil/file_copy.h"
#include "quillon/error.h"

namespace quillon::pub {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kSeparators = "/\\";

bool IsSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

void MakeFolderIfMissing(const std::string& folder) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return;
  fs::create_directory(folder, ec);
  if (ec) throw Error(platform::kindOfErrno(ec.value()), ec.message());
}

// A file for DelFile: a regular file, or a link whose target is one. Folders,
// special files and dangling links are not.
bool NamesFile(const fs::path& path) {
  std::error_code ec;
  const auto own = fs::symlink_status(path, ec);
  if (ec) return false;
  if (fs::is_symlink(own)) return fs::is_regular_file(fs::status(path, ec));
  return fs::is_regular_file(own);
}

}  // namespace

bool FileExists(const std::string& filename) {
  std::error_code ec;
  static_cast<void>(fs::status(filename, ec));
  return !(ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory);
}

std::string DirExists_Base(const std::string& DirStr, bool makeIfNoExist) {
  std::string_view dir = DirStr;
  if (!dir.empty() && IsSeparator(dir.back())) dir.remove_suffix(1);

  // The first level is empty for an absolute path, so the rebuilt path keeps
  // its leading "/".
  auto separator = dir.find_first_of(kSeparators);
  std::string rebuilt(dir.substr(0, separator));
  while (separator != std::string_view::npos) {
    const auto start = separator + 1;
    separator = dir.find_first_of(kSeparators, start);
    rebuilt += '/';
    rebuilt += dir.substr(start, separator == std::string_view::npos ? separator : separator - start);
    if (makeIfNoExist) MakeFolderIfMissing(rebuilt);
  }
  return rebuilt;
}

std::string DelFile(const std::string& path) {
  if (!NamesFile(path)) return path;
  // unlink rather than a general remove: it takes a link away without touching
  // its target, ignores the file's own write bit, and never removes a folder
  // that took the file's place meanwhile.
  return ::unlink(path.c_str()) == 0 ? std::string() : path;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  try {
    return CopyWholeFile(from, to, failIfExists ? IfTargetExists::Fail : IfTargetExists::Replace);
  } catch (const Error&) {
    return false;
  }
}

}  // namespace quillon::pub
