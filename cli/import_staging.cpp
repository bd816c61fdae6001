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

// An import killed before its end leaves its staging folder; the next one
// removes those of processes that are gone.
void removeAbandonedStaging(const fs::path& root) {
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(kStagingPrefix, 0) != 0) continue;
    const std::string digits = name.substr(kStagingPrefix.size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const long pid = std::strtol(digits.c_str(), nullptr, 10);
    if (pid <= 0 || processIsGone(pid)) {
      std::error_code ignored;
      fs::remove_all(it->path(), ignored);
    }
  }
}

}  // namespace

Staging::Staging(const fs::path& root) : root_(root) {
  std::error_code ec;
  createdRoot_ = fs::create_directories(root_, ec);
  if (ec) throw std::runtime_error(fmt::format("cannot create {}: {}", root_.string(), ec.message()));
  removeAbandonedStaging(root_);
  path_ = root_ / fmt::format("{}{}", kStagingPrefix, ::getpid());
  fs::remove_all(path_, ec);
  fs::create_directory(path_, ec);
  if (ec) throw std::runtime_error(fmt::format("cannot create {}: {}", path_.string(), ec.message()));
}

Staging::~Staging() {
  std::error_code ec;
  fs::remove_all(path_, ec);
  if (createdRoot_ && moved_.empty()) fs::remove(root_, ec);  // only when empty
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

void Staging::commit() {
  for (const auto& entry : fs::directory_iterator(path_)) {
    const fs::path target = root_ / entry.path().filename();
    if (fs::exists(fs::symlink_status(target)))
      throw std::runtime_error(fmt::format("{} exists already; nothing was imported", target.string()));
  }
  for (const auto& entry : fs::directory_iterator(path_)) {
    const fs::path target = root_ / entry.path().filename();
    fs::rename(entry.path(), target);
    moved_.push_back(target);
  }
}

void Staging::undo() {
  std::error_code ec;
  for (const auto& folder : moved_) fs::remove_all(folder, ec);
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "quillon-check-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    throw std::runtime_error(fmt::format("cannot create a scratch folder {}", pattern));
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace quillon::cli
