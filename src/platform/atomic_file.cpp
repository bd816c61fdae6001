#include "platform/atomic_file.h"

#include <fmt/core.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "quillon/error.h"

namespace quillon::platform {
namespace {

std::string describe(int error) { return std::generic_category().message(error); }

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(target_.string() + ".XXXXXX") {
  errno = 0;
  const int fd = ::mkstemp(temporary_.data());
  if (fd < 0)
    throw Error(fmt::format("cannot create the XML file {}: {}", target_.string(), describe(errno)));
  ::fchmod(fd, 0644);
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary_.c_str());
    throw Error(fmt::format("cannot create the XML file {}: {}", target_.string(), describe(error)));
  }
}

AtomicFile::~AtomicFile() {
  if (file_) std::fclose(file_);
  if (!committed_) ::unlink(temporary_.c_str());
}

void AtomicFile::write(const void* data, size_t size) {
  if (error_ == 0 && std::fwrite(data, 1, size, file_) != size) error_ = errno ? errno : EIO;
}

void AtomicFile::commit() {
  int error = error_;
  if (error == 0 && std::fflush(file_) != 0) error = errno ? errno : EIO;
  if (error == 0 && ::fsync(::fileno(file_)) != 0) error = errno;
  if (std::fclose(file_) != 0 && error == 0) error = errno ? errno : EIO;
  file_ = nullptr;
  if (error == 0 && std::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
  if (error != 0)
    throw Error(fmt::format("cannot write the XML file {}: {}", target_.string(), describe(error)));
  committed_ = true;
}

}  // namespace quillon::platform
