#include "import_staging.h"

#include <fmt/format.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace quillon::cli {

namespace fs = std::filesystem;
namespace {

constexpr std::string_view kStagingPrefix = ".quillon-import-";

// A process that has ended but whose parent has not collected it yet still
// answers kill(); its state in /proc tells.
bool processIsGone(long pid) {
  std::ifstream stat(fmt::format("/proc/{}/stat", pid));
  std::string line;
  if (!stat || !std::getline(stat, line)) return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
  const auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() &&
         (line[close + 2] == 'Z' || line[close + 2] == 'X');
}

constexpr std::string_view kStagingSuffix = ".staging";

// The process a leftover of ours belongs to, from "<prefix><pid><suffix>"
// (a suffix ending in "-" may be followed by anything); 0 when the name is
// not of that form.
long ownerOf(const std::string& name, std::string_view prefix, std::string_view suffix) {
  if (name.rfind(prefix, 0) != 0) return 0;
  const auto digitsEnd = name.find_first_not_of("0123456789", prefix.size());
  if (digitsEnd == std::string::npos || digitsEnd == prefix.size() || digitsEnd - prefix.size() > 9) return 0;
  const std::string_view rest = std::string_view(name).substr(digitsEnd);
  if (rest != suffix && !(suffix.back() == '-' && rest.substr(0, suffix.size()) == suffix)) return 0;
  return std::strtol(name.c_str() + prefix.size(), nullptr, 10);
}

}  // namespace

void removeLeftovers(const fs::path& folder, std::string_view prefix, std::string_view suffix) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const long pid = ownerOf(it->path().filename().string(), prefix, suffix);
    if (pid > 0 && processIsGone(pid)) {
      std::error_code ignored;
      fs::remove_all(it->path(), ignored);
    }
  }
}

Staging::Staging(const fs::path& root) : root_(root) {
  std::error_code ec;
  createdRoot_ = fs::create_directories(root_, ec);
  if (ec) throw std::runtime_error(fmt::format("cannot create {}: {}", root_.string(), ec.message()));
  // An import killed before it was stored leaves its staging folder; one
  // killed after has had it emptied by the recovery of this command's start.
  removeLeftovers(root_, kStagingPrefix, kStagingSuffix);
  path_ = root_ / fmt::format("{}{}{}", kStagingPrefix, ::getpid(), kStagingSuffix);
  fs::remove_all(path_, ec);
  fs::create_directory(path_, ec);
  if (ec) throw std::runtime_error(fmt::format("cannot create {}: {}", path_.string(), ec.message()));
}

Staging::~Staging() {
  std::error_code ec;
  fs::remove_all(path_, ec);
  if (createdRoot_ && !handedOver_) fs::remove(root_, ec);  // only when empty
}

std::pair<int, int> Staging::counted() const {
  int folders = 0, files = 0;
  for (const auto& entry : fs::directory_iterator(path_)) {
    ++folders;
    for (const auto& inside : fs::recursive_directory_iterator(entry.path()))
      files += inside.is_regular_file() ? 1 : 0;
  }
  return {folders, files};
}

std::vector<std::string> Staging::foldersToMove() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) {
    const fs::path target = root_ / entry.path().filename();
    if (fs::exists(fs::symlink_status(target)))
      throw std::runtime_error(fmt::format("{} exists already; nothing was imported", target.string()));
    names.push_back(entry.path().filename().string());
  }
  return names;
}

ScratchFolder::ScratchFolder() {
  // Checks that were killed leave their scratch folders (with copied
  // documents); the next check removes those of processes that are gone.
  removeLeftovers(fs::temp_directory_path(), "quillon-check-", "-");
  std::string pattern =
      (fs::temp_directory_path() / fmt::format("quillon-check-{}-XXXXXX", ::getpid())).string();
  if (!::mkdtemp(pattern.data()))
    throw std::runtime_error(fmt::format("cannot create a scratch folder {}", pattern));
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace quillon::cli
