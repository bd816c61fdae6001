// quillon call / quillon shell: invoke the object's members by name.
#include <iostream>
#include <sstream>

#include <unistd.h>

#include <fmt/format.h>

#include "commands.h"
#include "members.h"

namespace quillon::cli {
namespace {

std::string memberList() {
  std::string text = "Members:\n";
  for (const auto& [name, m] : members())
    text += "  " + name + (m.params.empty() ? "" : " " + m.params) + "\n";
  return text;
}

// Splits a line the way a POSIX shell would for words: blanks separate,
// '...' is literal, "..." allows \" and \\, a backslash escapes outside.
std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(std::move(word)), word.clear(), inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'') {
      const auto end = line.find('\'', i + 1);
      if (end == std::string::npos) throw UsageError("unterminated ' quote");
      word += line.substr(i + 1, end - i - 1);
      i = end;
    } else if (c == '"') {
      for (++i;; ++i) {
        if (i >= line.size()) throw UsageError("unterminated \" quote");
        if (line[i] == '"') break;
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) ++i;
        word += line[i];
      }
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
    } else {
      word += c;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

constexpr const char* kShellHelp =
    "MEMBER ARG...     call a member, as quillon call does ('help MEMBER' shows its parameters)\n"
    "set FIELD VALUE   write a data member (InputBsPath, vNew_PARENT_NOED_ID, PARENT_LAYER_ID)\n"
    "get FIELD         print a data member\n"
    "help              this text, and the members\n"
    "# ...             a comment; end the session with Ctrl-D\n";

int runShell(DBFunc& object, CliHost& host) {
  // A person at a terminal gets a prompt and help; a script's lines run as
  // they come, with nothing added to the output.
  const bool terminal = ::isatty(STDIN_FILENO) != 0;
  const auto prompt = [terminal] {
    if (terminal) std::cerr << "quillon> " << std::flush;
  };
  if (terminal) std::cerr << "One object for this session; 'help' lists what you can type.\n";
  int status = 0;
  std::string line;
  for (prompt(); std::getline(std::cin, line); prompt()) {
    int lineStatus = 0;
    try {
      const auto words = splitWords(line);
      if (words.empty() || words[0][0] == '#') continue;
      if (words[0] == "help" && words.size() == 1) {
        std::cout << kShellHelp << "\n" << memberList() << std::flush;
      } else if (words[0] == "help") {
        const auto it = members().find(words[1]);
        if (it == members().end()) throw UsageError(fmt::format("unknown member '{}'", words[1]));
        std::cout << words[1] << " " << it->second.params << std::endl;
      } else if (words[0] == "set") {
        if (words.size() != 3) throw UsageError("usage: set FIELD VALUE");
        setField(object, words[1], words[2]);
      } else if (words[0] == "get") {
        if (words.size() != 2) throw UsageError("usage: get FIELD");
        std::cout << getField(object, words[1]) << std::endl;
      } else {
        lineStatus = runMember(object, words[0], {words.begin() + 1, words.end()}, std::cout, host);
      }
    } catch (const UsageError& e) {
      host.error(e.what());
      lineStatus = 2;
    }
    if (lineStatus != 0) status = lineStatus;
  }
  return status;
}

const bool registered = addCommand({"call", "shell"}, [](CLI::App& app, Globals& g) {
  auto* call = app.add_subcommand("call", "Create one object, invoke MEMBER with ARGs, print the result");
  call->prefix_command();
  call->fallthrough(false);  // every word after the member is its argument
  call->footer(
      "Usage: quillon call MEMBER [ARG...]\n"
      "Results print as true/false, decimal numbers or text; an empty result prints nothing.\n"
      "GetValue prints true/false, then each row as one JSON object per line.\n"
      "When the member fails, also silently (false, -1, empty), its reason follows on stderr as\n"
      "'MEMBER failed: REASON' (with --messages json: {\"kind\":\"reason\",...}); the exit status is\n"
      "still 0: the printed result is the member's.\n"
      "An array parameter takes the remaining ARGs as its elements 1, 2, ...; an XML-document\n"
      "parameter is a file path (loaded when it exists, saved back after the call).\n\n" +
      memberList());
  call->callback([&g, call] {
    const auto words = call->remaining();
    if (words.empty()) {
      usageNote("call needs MEMBER [ARG...]; quillon help call lists the members");
      g.exitCode = 2;
      return;
    }
    g.exitCode = g.withObject([&](DBFunc& object, CliHost& host) {
      return runMember(object, words[0], {words.begin() + 1, words.end()}, std::cout, host);
    });
  });

  auto* shell = app.add_subcommand(
      "shell", "One object for the session: run 'MEMBER ARG...' lines from stdin (shell-style quoting)");
  shell->footer(
      "Lines: MEMBER ARG... (as quillon call), 'set FIELD VALUE', 'get FIELD', 'help [MEMBER]'; '#' starts\n"
      "a comment. On a terminal a prompt (quillon> ) is shown on stderr.\n"
      "Exit status: 0 when every line ran, else the status of the last line that failed (2 or 3).");
  shell->callback([&g] { g.exitCode = g.withObject(runShell); });
});

}  // namespace
}  // namespace quillon::cli
