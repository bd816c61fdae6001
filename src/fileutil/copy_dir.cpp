#include "fileutil/copy_dir.h"

#include "fileutil/file_copy.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillon::pub {
namespace fs = std::filesystem;
namespace {

void CopyContents(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code entry_ec;
    const auto kind = it->symlink_status(entry_ec).type();
    const auto target = to / it->path().filename();
    if (kind == fs::file_type::directory) {
      fs::create_directory(target, entry_ec);
      if (!entry_ec) CopyContents(it->path(), target);
    } else if (kind == fs::file_type::regular) {
      CopyWholeFile(it->path(), target, IfTargetExists::Replace);
    }
  }
}

// Copying a folder into itself or below itself would never end.
bool LiesWithin(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const auto in = fs::weakly_canonical(inner, ec);
  if (ec) return true;
  const auto out = fs::weakly_canonical(outer, ec);
  if (ec) return true;
  return std::mismatch(out.begin(), out.end(), in.begin(), in.end()).first == out.end();
}

}  // namespace

void CopyDir(const std::string& DirFrom, const std::string& DirTo) {
  std::error_code ec;
  auto source = fs::absolute(DirFrom, ec).lexically_normal();
  if (ec) return;
  if (!source.has_filename()) source = source.parent_path();
  if (!fs::is_directory(fs::symlink_status(source, ec))) return;

  const auto target = fs::path(DirTo) / source.filename();
  if (LiesWithin(target, source)) return;
  fs::create_directories(target, ec);
  if (ec) return;
  CopyContents(source, target);
}

}  // namespace quillon::pub
