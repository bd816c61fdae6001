#include "quillon/setup.h"
#include "platform/error_kinds.h"

#include <fmt/format.h>

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/installation_layout.h"
#include "db/embedded.h"
#include "engine/database.h"
#include "fileutil/settings_file.h"
#include "platform/atomic_file.h"
#include "platform/process_lock.h"
#include "quillon/error.h"
#include "quillon/file_write.h"

namespace quillon {
namespace fs = std::filesystem;
namespace {

void createFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec)
    throw Error(platform::kindOfErrno(ec.value()),
                fmt::format("cannot create folder {}: {}", folder.string(), ec.message()));
}

// What SQLite keeps beside a database: a journal or log left from the old
// file would be played into the new one.
void removeSidecars(const fs::path& file) {
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    std::error_code ec;
    fs::remove(fs::path(file.string() + suffix), ec);
    if (ec)
      throw Error(platform::kindOfErrno(ec.value()),
                  fmt::format("cannot remove {}{}: {}", file.string(), suffix, ec.message()));
  }
}

// A desk of an installation whose tables live on a server.
InitResult initializeDesk(const fs::path& home, const InitOptions& options) {
  InitResult result;
  result.styleSheet = layout::styleSheetFile(home);
  result.settings = layout::settingsFile(home);
  std::string script(embedded::schema);
  if (options.library || options.demo) script += embedded::library;
  if (options.demo) script += embedded::demo;
  result.serverCreated = engine::Database::createOnServer(options.server, "T_PROJECT_TREE", script);
  createFolder(result.styleSheet.parent_path());
  if (!fs::exists(result.styleSheet)) {
    writeFileAtomically(result.styleSheet, embedded::stylesheet);
    result.styleSheetWritten = true;
  }
  if (!fs::exists(result.settings)) {
    const fs::path projects = fs::absolute(home) / "Projects";
    createFolder(projects);
    pub::WritePrivateProfileString("AppInfo", "ProjectPath", projects.string() + "/",
                                   result.settings.string());
  }
  pub::WritePrivateProfileString("Database", "Url", options.server, result.settings.string());
  result.settingsWritten = true;
  return result;
}

}  // namespace

InitResult initializeHome(const fs::path& home, const InitOptions& options) {
  if (!options.server.empty()) return initializeDesk(home, options);
  InitResult result;
  result.database = layout::databaseFile(home);
  result.styleSheet = layout::styleSheetFile(home);
  result.settings = layout::settingsFile(home);

  const bool replacing = fs::exists(result.database);
  if (replacing && !options.force)
    throw Error(ErrorKind::Refused,
                fmt::format("{} already exists; use --force to replace it", result.database.string()));
  // Refuse to pull the file away from a program that holds it, and keep
  // others out until the new one stands in its place: until then the old
  // database is whole.
  const auto lock = replacing ? platform::ProcessLock::acquire(result.database) : nullptr;
  createFolder(result.database.parent_path());
  createFolder(result.styleSheet.parent_path());

  // Built under a name of its own beside the target and moved in only when
  // complete, so a failure never leaves half a database under the real name;
  // a new one refuses a database another init has put there meanwhile.
  std::string partial = result.database.string() + ".XXXXXX";
  errno = 0;
  const int fd = ::mkstemp(partial.data());
  if (fd < 0)
    throw Error(platform::kindOfErrno(errno),
                fmt::format("cannot create {}: {}", result.database.string(), std::strerror(errno)));
  ::close(fd);
  std::error_code ec;
  try {
    std::string script(embedded::schema);
    if (options.library || options.demo) script += embedded::library;
    if (options.demo) script += embedded::demo;
    engine::Database::create(partial, script);
  } catch (...) {
    fs::remove(partial, ec);
    throw;
  }
  if (replacing) {
    removeSidecars(result.database);
    fs::rename(partial, result.database, ec);
    if (ec) {
      std::error_code ignored;
      fs::remove(partial, ignored);
      throw Error(platform::kindOfErrno(ec.value()),
                  fmt::format("cannot create {}: {}", result.database.string(), ec.message()));
    }
  } else if (const int error = platform::renameIfAbsent(partial, result.database); error != 0) {
    fs::remove(partial, ec);
    throw Error(error == EEXIST ? ErrorKind::Refused : platform::kindOfErrno(error),
                error == EEXIST
                    ? fmt::format("{} already exists; use --force to replace it", result.database.string())
                    : fmt::format("cannot create {}: {}", result.database.string(), std::strerror(error)));
  }
  platform::syncFolderOf(result.database);

  if (options.force || !fs::exists(result.styleSheet)) {
    writeFileAtomically(result.styleSheet, embedded::stylesheet);
    result.styleSheetWritten = true;
  }
  if (!fs::exists(result.settings)) {
    const fs::path projects = fs::absolute(home) / "Projects";
    createFolder(projects);
    writeFileAtomically(result.settings, fmt::format("[AppInfo]\r\nProjectPath={}/\r\n", projects.string()));
    result.settingsWritten = true;
  }
  return result;
}

}  // namespace quillon
