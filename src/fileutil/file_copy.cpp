#include "fileutil/file_copy.h"
#include "platform/error_kinds.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/atomic_file.h"
#include "quillon/error.h"

namespace quillon::pub {

bool CopyOpenedFile(const OpenFile& source, const std::filesystem::path& from,
                    const std::filesystem::path& to, IfTargetExists mode) {
  // Missing, or a link (which is never followed): nothing to copy. Any
  // other reason the file cannot be opened is a copy that failed.
  if (!source) {
    if (source.error() == ENOENT || source.error() == ELOOP || source.error() == ENOTDIR) return false;
    throw Error(platform::kindOfErrno(source.error()),
                fmt::format("cannot read {}: {}", from.string(), std::strerror(source.error())));
  }
  struct stat st {};
  if (::fstat(source.fd(), &st) != 0)
    throw Error(platform::kindOfErrno(errno),
                fmt::format("cannot read {}: {}", from.string(), std::strerror(errno)));
  if (!S_ISREG(st.st_mode)) return false;
  std::error_code ec;
  // Spares writing a copy that could not be kept.
  if (mode == IfTargetExists::Fail && std::filesystem::exists(std::filesystem::symlink_status(to, ec)))
    return false;
  platform::AtomicFile target(to);
  target.limitModeTo(st.st_mode);
  std::array<char, 1 << 16> buffer;
  for (;;) {
    const ssize_t n = ::read(source.fd(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      throw Error(platform::kindOfErrno(errno),
                  fmt::format("cannot read {}: {}", from.string(), std::strerror(errno)));
    if (n == 0) break;
    target.write(buffer.data(), static_cast<size_t>(n));
  }
  if (mode == IfTargetExists::Fail) return target.commitIfAbsent();
  target.commit();
  return true;
}

bool CopyWholeFile(const std::filesystem::path& from, const std::filesystem::path& to, IfTargetExists mode) {
  return CopyOpenedFile(OpenFile(AT_FDCWD, from.c_str(), 0), from, to, mode);
}

}  // namespace quillon::pub
