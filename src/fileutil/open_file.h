#pragma once
// A descriptor opened without following a link and without waiting on a
// pipe: sources come from folders sent by others, where either could be
// planted, and a link checked first and opened later can be swapped between
// the two steps.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

namespace quillon::pub {

class OpenFile {
 public:
  // `extra`: O_DIRECTORY to open a folder only. Invalid when the open fails.
  OpenFile(int folder, const char* name, int extra)
      : fd_(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | extra)),
        error_(fd_ < 0 ? errno : 0) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  explicit operator bool() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Why the open failed (ELOOP for a link), 0 when it did not.
  int error() const { return error_; }

 private:
  int fd_;
  int error_;
};

}  // namespace quillon::pub
