#pragma once
// A file written under a temporary name beside its target, flushed to the
// disk and renamed over the target only when complete: a killed process or a
// full disk leaves the old file or the new one, never a part of one.
#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon::platform {

// Moves `from` to `to` unless something is at `to` already: 0, EEXIST, or
// the error number of the failure.
int renameIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to);
// Makes a finished rename into the path's folder survive a power failure.
void syncFolderOf(const std::filesystem::path& path);

class AtomicFile : public pugi::xml_writer {
 public:
  // Creates the temporary file; throws quillon::Error when it cannot.
  explicit AtomicFile(std::filesystem::path target);
  // Removes the temporary files that killed writers left beside `target`.
  // Each package or page written calls it once; copies of many files into
  // one folder do not, as it reads the whole folder.
  static void removeLeftoversBeside(const std::filesystem::path& target);
  ~AtomicFile() override;  // removes the temporary file unless committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Narrows the permissions of the file to those of `mode` (it starts as
  // rw-r--r--): a copy gives nobody more than its source did.
  void limitModeTo(unsigned mode);
  // The first write error is kept and reported by commit().
  void write(const void* data, size_t size) override;
  void write(std::string_view text) { write(text.data(), text.size()); }
  // Flushes, syncs and renames over the target; throws quillon::Error with
  // the reason.
  void commit();
  // The same, but an existing target is left alone: false then, and the
  // temporary file is removed.
  bool commitIfAbsent();

 private:
  void finishWriting();

  std::filesystem::path target_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  int error_ = 0;
  bool committed_ = false;
};

}  // namespace quillon::platform
