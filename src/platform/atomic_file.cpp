#include "platform/atomic_file.h"
#include "platform/error_kinds.h"

#include <fcntl.h>
#include <fmt/core.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "quillon/error.h"
#include "quillon/file_write.h"

namespace quillon::platform {
namespace {

std::string describe(int error) { return std::generic_category().message(error); }

// Hidden, and carrying the writer's process number so that the leftovers of
// a killed writer can be told from a file still being written.
constexpr std::string_view kTemporaryPrefix = ".quillon-tmp-";

std::string temporaryNameFor(const std::filesystem::path& target) {
  return (target.parent_path() / fmt::format("{}{}-XXXXXX", kTemporaryPrefix, ::getpid())).string();
}

}  // namespace

// File systems without the no-replace rename get a hard link, which fails
// the same way when the name is taken.
int renameIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

// Without this the folder's entry of a rename can be lost to a power
// failure, bringing the old name back.
void syncFolderOf(const std::filesystem::path& path) {
  auto folder = path.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

AtomicFile::AtomicFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(temporaryNameFor(target_)) {
  errno = 0;
  const int fd = ::mkstemp(temporary_.data());
  if (fd < 0)
    throw Error(kindOfErrno(errno), fmt::format("cannot create {}: {}", target_.string(), describe(errno)));
  ::fchmod(fd, 0644);
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary_.c_str());
    throw Error(kindOfErrno(error), fmt::format("cannot create {}: {}", target_.string(), describe(error)));
  }
}

void AtomicFile::removeLeftoversBeside(const std::filesystem::path& target) {
  removeLeftovers(target.parent_path(), kTemporaryPrefix, "-");
}

AtomicFile::~AtomicFile() {
  if (file_) std::fclose(file_);
  if (!committed_) ::unlink(temporary_.c_str());
}

void AtomicFile::limitModeTo(unsigned mode) {
  if (error_ == 0 && ::fchmod(::fileno(file_), 0644 & mode) != 0) error_ = errno;
}

void AtomicFile::write(const void* data, size_t size) {
  if (error_ == 0 && std::fwrite(data, 1, size, file_) != size) error_ = errno ? errno : EIO;
}

// The data reaches the disk before the name does: after a crash the target
// is the old file or the whole new one.
void AtomicFile::finishWriting() {
  int error = error_;
  if (error == 0 && std::fflush(file_) != 0) error = errno ? errno : EIO;
  if (error == 0 && ::fsync(::fileno(file_)) != 0) error = errno;
  if (std::fclose(file_) != 0 && error == 0) error = errno ? errno : EIO;
  file_ = nullptr;
  if (error != 0)
    throw Error(kindOfErrno(error), fmt::format("cannot write {}: {}", target_.string(), describe(error)));
}

void AtomicFile::commit() {
  finishWriting();
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0)
    throw Error(kindOfErrno(errno), fmt::format("cannot write {}: {}", target_.string(), describe(errno)));
  committed_ = true;
  syncFolderOf(target_);
}

bool AtomicFile::commitIfAbsent() {
  finishWriting();
  const int error = renameIfAbsent(temporary_, target_);
  if (error == EEXIST) return false;
  if (error != 0)
    throw Error(kindOfErrno(error), fmt::format("cannot write {}: {}", target_.string(), describe(error)));
  committed_ = true;
  syncFolderOf(target_);
  return true;
}

}  // namespace quillon::platform

namespace quillon {

void renameDurably(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0)
    throw Error(platform::kindOfErrno(errno),
                fmt::format("cannot write {}: {}", to.string(), std::generic_category().message(errno)));
  platform::syncFolderOf(to);
}

void writeFileAtomically(const std::filesystem::path& file, std::string_view content) {
  platform::AtomicFile::removeLeftoversBeside(file);
  platform::AtomicFile out(file);
  out.write(content);
  out.commit();
}

}  // namespace quillon
