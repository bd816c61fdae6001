#include <fmt/format.h>
#include <signal.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

#include "quillon/file_write.h"

namespace quillon {

namespace fs = std::filesystem;
namespace {

// The process a leftover belongs to, from "<prefix><pid><suffix>"; 0 when
// the name is not of that form.
long ownerOf(const std::string& name, std::string_view prefix, std::string_view suffix) {
  if (name.rfind(prefix, 0) != 0) return 0;
  const auto digitsEnd = name.find_first_not_of("0123456789", prefix.size());
  if (digitsEnd == std::string::npos || digitsEnd == prefix.size() || digitsEnd - prefix.size() > 9) return 0;
  const std::string_view rest = std::string_view(name).substr(digitsEnd);
  if (rest != suffix && !(suffix.back() == '-' && rest.substr(0, suffix.size()) == suffix)) return 0;
  return std::strtol(name.c_str() + prefix.size(), nullptr, 10);
}

// kill() still answers for a zombie; its state in /proc tells.
bool processIsGone(long pid) {
  std::ifstream stat(fmt::format("/proc/{}/stat", pid));
  std::string line;
  if (!stat || !std::getline(stat, line)) return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
  const auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() &&
         (line[close + 2] == 'Z' || line[close + 2] == 'X');
}

}  // namespace

void removeLeftovers(const fs::path& folder, std::string_view prefix, std::string_view suffix) {
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const long pid = ownerOf(it->path().filename().string(), prefix, suffix);
    if (pid > 0 && processIsGone(pid)) {
      std::error_code ignored;
      fs::remove_all(it->path(), ignored);
    }
  }
}

}  // namespace quillon
