#include "commands.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include <fmt/format.h>

#include "members.h"
#include "nearest.h"
#include "quillon/component_folder.h"
#include "quillon/error.h"

namespace quillon::cli {

std::vector<CommandEntry>& commandSetups() {
  static std::vector<CommandEntry> all;
  return all;
}

bool addCommand(std::vector<std::string> names, CommandSetup setup) {
  commandSetups().push_back({std::move(names), std::move(setup)});
  return true;
}

namespace {

// The global options that take a value in the next word.
bool takesValue(const std::string& word) {
  return word == "--home" || word == "--messages" || word == "--answer" || word == "--set";
}

// The first word that is not a global option or an option's value: the
// command the user named, or empty when there is none.
std::string commandWord(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (takesValue(word)) {
      ++i;
      continue;
    }
    if (word.empty() || word[0] != '-') return word;
  }
  return {};
}

}  // namespace

void addReachableCommands(CLI::App& app, Globals& globals, int argc, const char* const* argv) {
  const std::string named = commandWord(argc, argv);
  bool helpAll = false;
  for (int i = 1; i < argc; ++i) helpAll = helpAll || std::string(argv[i]) == "--help-all";
  if (!named.empty() && !helpAll) {
    for (const auto& entry : commandSetups()) {
      for (const auto& name : entry.names) {
        if (name == named) return entry.setup(app, globals);
      }
    }
  }
  for (const auto& entry : commandSetups()) entry.setup(app, globals);
  std::vector<std::string> names;
  for (const auto* sub : app.get_subcommands({})) names.push_back(sub->get_name());
  names.push_back("help");

  auto* help = app.add_subcommand("help", "Show the help of the command line or of one command");
  auto topic = std::make_shared<std::string>();
  help->add_option("COMMAND", *topic, "The command to show the help of");
  help->callback([&app, &globals, topic, names] {
    if (topic->empty()) {
      std::cout << app.help();
      return;
    }
    CLI::App* sub = nullptr;
    for (auto* candidate : app.get_subcommands({})) {
      if (candidate->get_name() == *topic) sub = candidate;
    }
    if (!sub) {
      usageNote(fmt::format("'{}' is not a command{}", *topic, didYouMean(*topic, names)));
      globals.exitCode = 2;
      return;
    }
    std::cout << sub->help();
  });
  if (!named.empty() && std::find(names.begin(), names.end(), named) == names.end())
    throw CLI::ValidationError(
        fmt::format("'{}' is not a command{}; see quillon --help", named, didYouMean(named, names)));
}

// A person's data lives in their own data folder, never beside the program
// (which is /usr/bin on a desk); a host program keeps the library's default.
std::filesystem::path Globals::homePath() const {
  const auto set = [](const char* name) -> const char* {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
  };
  if (!home.empty() || set("QUILLON_HOME")) return resolveComponentFolder(home);
  if (const char* data = set("XDG_DATA_HOME"); data && data[0] == '/')
    return std::filesystem::path(data) / "quillon";
  if (const char* user = set("HOME")) return std::filesystem::path(user) / ".local" / "share" / "quillon";
  return resolveComponentFolder(home);
}

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
    // Before anything else: an import killed between storing its rows and
    // moving its document folders in is finished (or taken back) first.
    if (object.connected()) object.recoverImports();
    if (strict) {
      try {
        object.requireConnected();
      } catch (const Error& e) {
        errors.error(fmt::format("cannot use the database: {}; nothing was done", e.what()), &e);
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
      errors.error(why.rfind(e.what(), 0) == 0 ? why : e.what(), &e);
      return 3;
    }
  } catch (const UsageError& e) {
    usageNote(e.what());
    return 2;
  } catch (const std::exception& e) {
    errors.error(e.what(), &e);
    return 3;
  }
}

}  // namespace quillon::cli
