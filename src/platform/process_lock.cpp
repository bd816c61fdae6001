#include "platform/process_lock.h"
#include "platform/error_kinds.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "quillon/error.h"

namespace quillon::platform {
namespace {

// flock() locks belong to an open file description, so a second open of the
// same file in this process would conflict with our own lock: objects of one
// process therefore share one lock, keyed by the file's identity.
std::mutex registryMutex;
std::map<std::pair<dev_t, ino_t>, std::weak_ptr<ProcessLock>>& registry() {
  static std::map<std::pair<dev_t, ino_t>, std::weak_ptr<ProcessLock>> r;
  return r;
}

}  // namespace

std::shared_ptr<ProcessLock> ProcessLock::acquire(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw Error(kindOfErrno(errno), std::string("unable to open database file: ") + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    throw Error(kindOfErrno(err), std::string("unable to open database file: ") + std::strerror(err));
  }
  const std::lock_guard guard(registryMutex);
  const auto key = std::make_pair(st.st_dev, st.st_ino);
  if (auto it = registry().find(key); it != registry().end()) {
    if (auto held = it->second.lock()) {
      ::close(fd);
      return held;
    }
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK)
      throw Error(ErrorKind::Locked, "database is locked: the file is in exclusive use by another program");
    throw Error(ErrorKind::IO, std::string("unable to lock database file: ") + std::strerror(err));
  }
  auto lock = std::make_shared<ProcessLock>(Key{}, fd);
  registry()[key] = lock;
  return lock;
}

ProcessLock::~ProcessLock() {
  // Closing the descriptor releases the flock.
  ::close(fd_);
}

}  // namespace quillon::platform
