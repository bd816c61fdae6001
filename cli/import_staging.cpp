#include "import_staging.h"

#include <fmt/format.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace quillon::cli {

namespace fs = std::filesystem;

Staging::Staging(const fs::path& root) : root_(root) {
  std::error_code ec;
  createdRoot_ = fs::create_directories(root_, ec);
  if (ec) throw std::runtime_error(fmt::format("cannot create {}: {}", root_.string(), ec.message()));
  path_ = root_ / fmt::format(".quillon-import-{}", ::getpid());
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
