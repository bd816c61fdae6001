#pragma once
// A file written under a temporary name beside its target, flushed to the
// disk and renamed over the target only when complete: a killed process or a
// full disk leaves the old file or the new one, never a part of one.
#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <string>

namespace quillon::platform {

class AtomicFile : public pugi::xml_writer {
 public:
  // Creates the temporary file; throws quillon::Error when it cannot.
  explicit AtomicFile(std::filesystem::path target);
  ~AtomicFile() override;  // removes the temporary file unless committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // The first write error is kept and reported by commit().
  void write(const void* data, size_t size) override;
  // Flushes, syncs and renames; throws quillon::Error with the reason.
  void commit();

 private:
  std::filesystem::path target_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  int error_ = 0;
  bool committed_ = false;
};

}  // namespace quillon::platform
