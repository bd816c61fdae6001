#pragma once
// Running the `quillon` command from tests.
#include <string>

namespace quillon::test {

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the quillon binary with `args` (already shell-quoted) and optional
// standard input; `prelude` runs in the same shell first (limits, traps).
CommandResult runQuillon(const std::string& args, const std::string& input = "",
                         const std::string& prelude = "");

// Single-quotes a word for the shell.
std::string shellQuote(const std::string& word);

}  // namespace quillon::test
