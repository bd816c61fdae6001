#include "commands.h"

#include <fmt/format.h>

#include "members.h"
#include "quillon/component_folder.h"

namespace quillon::cli {

std::vector<CommandSetup>& commandSetups() {
  static std::vector<CommandSetup> all;
  return all;
}

bool addCommand(CommandSetup setup) {
  commandSetups().push_back(std::move(setup));
  return true;
}

std::filesystem::path Globals::homePath() const { return resolveComponentFolder(home); }

std::unique_ptr<CliHost> Globals::makeHost() const {
  std::optional<bool> a;
  if (answer == "yes")
    a = true;
  else if (answer == "no")
    a = false;
  return std::make_unique<CliHost>(messages == "json" ? MessageStyle::Json : MessageStyle::Human, a);
}

int Globals::withObject(const std::function<int(DBFunc&, CliHost&)>& body) const {
  const auto host = makeHost();
  return withObjectOn(*host, *host, [&](DBFunc& object) { return body(object, *host); });
}

int Globals::withStrictObject(const std::function<int(DBFunc&, CliHost&)>& body) const {
  const auto host = makeHost();
  return withObjectOn(
      *host, *host, [&](DBFunc& object) { return body(object, *host); }, true);
}

int Globals::withObjectOn(Host& shown, CliHost& errors, const std::function<int(DBFunc&)>& body,
                          bool strict) const {
  try {
    DBFunc object(shown, homePath());
    if (strict) {
      if (!object.connected()) {
        errors.error(fmt::format("cannot use the database: {}; nothing was done", object.lastError()));
        return 3;
      }
      object.setStrict(true);
    }
    for (const auto& s : sets) {
      const auto eq = s.find('=');
      if (eq == std::string::npos) throw UsageError("--set takes FIELD=VALUE, got '" + s + "'");
      setField(object, s.substr(0, eq), s.substr(eq + 1));
    }
    try {
      return body(object);
    } catch (const UsageError&) {
      throw;
    } catch (const std::exception& e) {
      // The object may know more than the error says (the row and column
      // that stopped a copy); the error's own text begins the reason.
      const std::string& why = object.lastError();
      errors.error(why.rfind(e.what(), 0) == 0 ? why : e.what());
      return 3;
    }
  } catch (const UsageError& e) {
    errors.error(e.what());
    return 2;
  } catch (const std::exception& e) {
    errors.error(e.what());
    return 3;
  }
}

}  // namespace quillon::cli
