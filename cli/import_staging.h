#pragma once
// A folder beside a document root that an import's files go to first: only
// an import that is stored moves them in, so a failed one leaves the root as
// it was.
#include <filesystem>
#include <string>
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
  // Moves the document folders into the root; throws, moving nothing, when
  // one of them exists there already.
  void commit();
  // Takes back what commit() moved, when the database then refused.
  void undo();

 private:
  std::filesystem::path root_;
  std::filesystem::path path_;
  bool createdRoot_ = false;
  std::vector<std::filesystem::path> moved_;
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
