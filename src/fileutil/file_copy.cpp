#include "fileutil/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <system_error>

#include "platform/atomic_file.h"
#include "quillon/error.h"

namespace quillon::pub {
namespace {

class ReadOnlyFile {
 public:
  // Not following a link and not waiting on a pipe: sources come from
  // folders sent by others, where either could be planted.
  explicit ReadOnlyFile(const std::filesystem::path& file)
      : fd_(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)) {}
  ~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool isRegular() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool CopyWholeFile(const std::filesystem::path& from, const std::filesystem::path& to, IfTargetExists mode) {
  const ReadOnlyFile source(from);
  if (!source.isRegular()) return false;
  std::error_code ec;
  // Spares writing a copy that could not be kept.
  if (mode == IfTargetExists::Fail && std::filesystem::exists(std::filesystem::symlink_status(to, ec)))
    return false;
  try {
    platform::AtomicFile target(to);
    std::array<char, 1 << 16> buffer;
    for (;;) {
      const ssize_t n = ::read(source.fd(), buffer.data(), buffer.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) break;
      target.write(buffer.data(), static_cast<size_t>(n));
    }
    if (mode == IfTargetExists::Fail) return target.commitIfAbsent();
    target.commit();
    return true;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace quillon::pub
