#pragma once
// A folder beside a document root that an import's files go to first: only
// an import that is stored moves them in, so a failed one leaves the root as
// it was. Its name ends in a letter, and a document folder's name ends in the
// node's number, so no document can be given the staging folder's name.
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon::cli {

class Staging {
 public:
  // Creates the root when missing (and removes it again, still empty, when
  // nothing is moved in). Throws std::runtime_error.
  explicit Staging(const std::filesystem::path& root);
  ~Staging();
  Staging(const Staging&) = delete;
  Staging& operator=(const Staging&) = delete;

  // The staging folder, ending with "/", as the component joins names to it.
  std::string folderText() const { return path_.string() + "/"; }
  // Document folders and files the import made so far.
  std::pair<int, int> counted() const;
  const std::filesystem::path& path() const { return path_; }
  const std::filesystem::path& root() const { return root_; }
  // The document folders made so far; throws when one of them exists in the
  // root already.
  std::vector<std::string> foldersToMove() const;
  // The import is stored: its journal entry moves the folders from here on.
  void handOver() { handedOver_ = true; }

 private:
  std::filesystem::path root_;
  std::filesystem::path path_;
  bool createdRoot_ = false;
  bool handedOver_ = false;
};

// A folder of its own under the system's temporary folder, removed with
// everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace quillon::cli
