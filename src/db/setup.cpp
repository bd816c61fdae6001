#include "quillon/setup.h"

#include <fmt/format.h>

#include <fstream>

#include "core/installation_layout.h"
#include "db/embedded.h"
#include "platform/database.h"
#include "platform/process_lock.h"
#include "quillon/error.h"

namespace quillon {
namespace fs = std::filesystem;
namespace {

// Written beside the target and renamed, so that a failure never leaves a
// half-written file under the real name.
void writeFile(const fs::path& file, std::string_view content) {
  const fs::path partial = file.string() + ".partial";
  std::error_code ec;
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (out) fs::rename(partial, file, ec);
    if (out && !ec) return;
  }
  fs::remove(partial, ec);
  throw Error(fmt::format("cannot write {}", file.string()));
}

void createFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw Error(fmt::format("cannot create folder {}: {}", folder.string(), ec.message()));
}

void removeDatabase(const fs::path& file) {
  // Refuse to pull the file away from a program that holds it.
  { const auto lock = platform::ProcessLock::acquire(file); }
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::error_code ec;
    fs::remove(fs::path(file.string() + suffix), ec);
    if (ec) throw Error(fmt::format("cannot remove {}{}: {}", file.string(), suffix, ec.message()));
  }
}

}  // namespace

InitResult initializeHome(const fs::path& home, const InitOptions& options) {
  InitResult result;
  result.database = layout::databaseFile(home);
  result.styleSheet = layout::styleSheetFile(home);
  result.settings = layout::settingsFile(home);

  if (fs::exists(result.database)) {
    if (!options.force)
      throw Error(fmt::format("{} already exists; use --force to replace it", result.database.string()));
    removeDatabase(result.database);
  }
  createFolder(result.database.parent_path());
  createFolder(result.styleSheet.parent_path());

  // Build beside the target and rename, so a failure never leaves half a
  // database under the real name.
  const fs::path partial = result.database.string() + ".partial";
  std::error_code ec;
  fs::remove(partial, ec);
  try {
    std::string script(embedded::schema);
    if (options.library || options.demo) script += embedded::library;
    if (options.demo) script += embedded::demo;
    platform::Database::create(partial, script);
  } catch (...) {
    fs::remove(partial, ec);
    throw;
  }
  fs::rename(partial, result.database, ec);
  if (ec) throw Error(fmt::format("cannot create {}: {}", result.database.string(), ec.message()));

  if (options.force || !fs::exists(result.styleSheet)) {
    writeFile(result.styleSheet, embedded::stylesheet);
    result.styleSheetWritten = true;
  }
  if (!fs::exists(result.settings)) {
    const fs::path projects = fs::absolute(home) / "Projects";
    createFolder(projects);
    writeFile(result.settings, fmt::format("[AppInfo]\r\nProjectPath={}/\r\n", projects.string()));
    result.settingsWritten = true;
  }
  return result;
}

}  // namespace quillon
