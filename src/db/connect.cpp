#include "db/connect.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <set>

#include "core/installation_layout.h"
#include "db/embedded.h"
#include "fileutil/settings_file.h"
#include "quillon/error.h"
#include "quillon/setup.h"

namespace quillon::db {

std::optional<std::string> serverUrl(const std::filesystem::path& home) {
  if (const char* url = std::getenv("QUILLON_DATABASE_URL"); url && *url) return std::string(url);
  std::string url = pub::GetPrivateProfileString("Database", "Url", "", layout::settingsFile(home).string());
  if (url.empty()) return std::nullopt;
  return url;
}

std::string deskName(const std::filesystem::path& home) {
  std::string desk =
      pub::GetPrivateProfileString("Database", "Desk", "", layout::settingsFile(home).string());
  if (!desk.empty()) return desk;
  std::array<char, 256> host{};
  if (::gethostname(host.data(), host.size() - 1) != 0) host[0] = '\0';
  std::error_code ec;
  const auto folder = std::filesystem::weakly_canonical(home, ec);
  return std::string(host.data()) + ":" + (ec ? home : folder).string();
}

std::shared_ptr<engine::Database> openDatabase(const std::filesystem::path& home) {
  if (const auto url = serverUrl(home))
    return engine::Database::openServer(*url, deskName(home), schemaNames());
  return engine::Database::open(layout::databaseFile(home));
}

std::vector<std::string> schemaNames() {
  // Every word of the schema that holds a capital: the names it defines (SQL
  // words are written in capitals too, and harmlessly spell themselves).
  std::set<std::string> names;
  const std::string_view text = embedded::schema;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "--") == 0) {
      const auto end = text.find('\n', i);
      i = end == std::string_view::npos ? text.size() : end;
      continue;
    }
    const auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    if (!word(text[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && word(text[end])) ++end;
    const std::string_view name = text.substr(i, end - i);
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return std::isupper(static_cast<unsigned char>(c)); }))
      names.emplace(name);
    i = end;
  }
  return {names.begin(), names.end()};
}

}  // namespace quillon::db

namespace quillon {

int unlockDesk(const std::filesystem::path& home, const std::string& desk) {
  const auto url = db::serverUrl(home);
  if (!url)
    throw Error(ErrorKind::InvalidInput,
                "the installation is not on a server: its settings name none, and a file is held only "
                "while its program runs");
  return engine::Database::releaseDesk(*url, desk);
}

}  // namespace quillon
