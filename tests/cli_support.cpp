#include "cli_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quillon::test {
namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

std::string shellQuote(const std::string& word) {
  std::string out = "'";
  for (const char c : word) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

CommandResult runQuillon(const std::string& args, const std::string& input, const std::string& prelude) {
  static int counter = 0;
  const auto base = std::filesystem::temp_directory_path() /
                    ("quillon-cli-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  const std::string in = base.string() + ".in", out = base.string() + ".out", err = base.string() + ".err";
  std::ofstream(in, std::ios::binary) << input;
  std::string cmd = std::string(QUILLON_CLI_PATH) + " " + args + " <" + in + " >" + out + " 2>" + err;
  // bash, whatever sh is here, so that limits have one meaning (ulimit -f
  // counts KiB in bash, 512-byte blocks in dash).
  if (!prelude.empty()) cmd = "bash -c " + shellQuote(prelude + cmd);
  const int raw = std::system(cmd.c_str());
  CommandResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  for (const auto& f : {in, out, err}) std::filesystem::remove(f);
  return r;
}

}  // namespace quillon::test
