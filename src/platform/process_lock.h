#pragma once
// Exclusive use of a database file across processes. Objects of one process
// share the lock; another process that asks for it is refused at once.
#include <filesystem>
#include <memory>

namespace quillon::platform {

class ProcessLock {
 public:
  // Throws quillon::Error when another process holds the file.
  static std::shared_ptr<ProcessLock> acquire(const std::filesystem::path& file);
  struct Key {
   private:
    Key() = default;
    friend class ProcessLock;
  };
  ProcessLock(Key, int fd) : fd_(fd) {}
  ~ProcessLock();
  ProcessLock(const ProcessLock&) = delete;
  ProcessLock& operator=(const ProcessLock&) = delete;

 private:
  int fd_;
};

}  // namespace quillon::platform
