#include "import_staging.h"

#include <fmt/format.h>
#include <unistd.h>

#include <stdexcept>
#include <string_view>
#include <system_error>

#include "quillon/file_write.h"

namespace quillon::cli {

namespace fs = std::filesystem;
namespace {

constexpr std::string_view kStagingPrefix = ".quillon-import-";
constexpr std::string_view kStagingSuffix = ".staging";

}  // namespace

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
