#include "fileutil/copy_dir.h"

#include <dirent.h>
#include <fmt/format.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "fileutil/file_copy.h"
#include "fileutil/open_file.h"
#include "quillon/error.h"

namespace quillon::pub {
namespace fs = std::filesystem;
namespace {

// The first thing that could not be copied; the copy goes on with the rest.
struct Failure {
  std::string first;
  void note(const fs::path& what, const std::string& why) {
    if (first.empty()) first = fmt::format("cannot copy {}: {}", what.string(), why);
  }
};

void copyContents(int from, const fs::path& source, const fs::path& to, Failure& failure) {
  const int listing = ::dup(from);
  DIR* opened = listing >= 0 ? ::fdopendir(listing) : nullptr;
  if (!opened) {
    if (listing >= 0) ::close(listing);
    failure.note(source, std::strerror(errno));
    return;
  }
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opened, ::closedir);
  ::rewinddir(dir.get());
  for (errno = 0; const dirent* entry = ::readdir(dir.get()); errno = 0) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const fs::path target = to / name;
    const OpenFile inside(from, name.c_str(), 0);
    if (!inside) {
      if (inside.error() != ELOOP)  // a link, never followed
        failure.note(source / name, std::strerror(inside.error()));
      continue;
    }
    struct stat st {};
    if (::fstat(inside.fd(), &st) != 0) {
      failure.note(source / name, std::strerror(errno));
    } else if (S_ISDIR(st.st_mode)) {
      if (::mkdir(target.c_str(), st.st_mode & 0777) != 0 && !(errno == EEXIST && fs::is_directory(target)))
        failure.note(target, std::strerror(errno));
      else
        copyContents(inside.fd(), source / name, target, failure);
    } else if (S_ISREG(st.st_mode)) {
      try {
        CopyOpenedFile(inside, source / name, target, IfTargetExists::Replace);
      } catch (const Error& e) {
        failure.note(source / name, e.what());
      }
    }
  }
  if (errno != 0) failure.note(source, std::strerror(errno));
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

Failure copyFolder(const std::string& DirFrom, const std::string& DirTo) {
  Failure failure;
  std::error_code ec;
  auto source = fs::absolute(DirFrom, ec).lexically_normal();
  if (ec) return failure;
  if (!source.has_filename()) source = source.parent_path();
  const OpenFile folder(AT_FDCWD, source.c_str(), O_DIRECTORY);
  if (!folder) return failure;  // missing, a link or no folder: nothing to copy

  const auto target = fs::path(DirTo) / source.filename();
  if (LiesWithin(target, source)) return failure;
  fs::create_directories(target, ec);
  if (ec) {
    failure.note(target, ec.message());
    return failure;
  }
  copyContents(folder.fd(), source, target, failure);
  return failure;
}

}  // namespace

void CopyDir(const std::string& DirFrom, const std::string& DirTo) { copyFolder(DirFrom, DirTo); }

void CopyFolderInto(const std::string& DirFrom, const std::string& DirTo) {
  const Failure failure = copyFolder(DirFrom, DirTo);
  if (!failure.first.empty()) throw Error(failure.first);
}

}  // namespace quillon::pub
