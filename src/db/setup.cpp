#include "quillon/setup.h"
#include "platform/error_kinds.h"

#include <fmt/format.h>

#include <stdlib.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/installation_layout.h"
#include "db/embedded.h"
#include "engine/database.h"
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

// The settings text with `key` of [section] set to `value`: the line
// replaced where there is one, else added to the section, else the section
// added at the end.
std::string withSetting(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const auto end = text.find('\n', at);
    std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end == std::string::npos ? text.size() : end + 1;
  }
  const auto lowered = [](std::string t) {
    for (auto& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  const std::string header = "[" + lowered(section) + "]", name = lowered(key);
  std::size_t sectionAt = lines.size(), insertAt = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string l = lowered(lines[i]);
    if (!l.empty() && l.front() == '[') {
      if (sectionAt != lines.size() && insertAt == lines.size()) insertAt = i;
      if (l.rfind(header, 0) == 0) sectionAt = i;
      continue;
    }
    if (sectionAt != lines.size() && insertAt == lines.size()) {
      const auto eq = l.find('=');
      if (eq != std::string::npos && l.substr(0, l.find_last_not_of(" \t", eq - 1) + 1) == name) {
        lines[i] = key + "=" + value;
        sectionAt = lines.size() + 1;  // done
        break;
      }
    }
  }
  if (sectionAt == lines.size()) {
    if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
    lines.push_back("[" + section + "]");
    lines.push_back(key + "=" + value);
  } else if (sectionAt < lines.size()) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), key + "=" + value);
  }
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

std::string readWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
  std::string settings = fs::exists(result.settings) ? readWhole(result.settings) : std::string();
  if (settings.empty()) {
    const fs::path projects = fs::absolute(home) / "Projects";
    createFolder(projects);
    settings = fmt::format("[AppInfo]\r\nProjectPath={}/\r\n", projects.string());
  }
  writeFileAtomically(result.settings, withSetting(settings, "Database", "Url", options.server));
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
