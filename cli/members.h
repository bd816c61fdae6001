#pragma once
// The members that `quillon call` and `quillon shell` can invoke, by the
// names of the object's interface. Each subsystem registers its own members
// from a members_*.cpp file.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli_host.h"
#include "quillon/dbfunc.h"
#include "quillon/value.h"

namespace quillon::cli {

// Wrong arguments or an unknown member: exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CallContext {
  DBFunc& object;
  std::ostream& out;
  const std::vector<std::string>& args;

  std::size_t count() const { return args.size(); }
  const std::string& text(std::size_t i) const;
  std::int32_t int32(std::size_t i) const;
  std::int16_t int16(std::size_t i) const;
  bool boolean(std::size_t i) const;
  std::vector<std::string> rest(std::size_t from) const;

  void print(bool b) const;
  void print(std::int64_t n) const;
  void print(const std::string& text) const;
  void print(const Value& v) const;  // Empty prints nothing
};

struct Member {
  std::string params;  // for help: "Table strFilter"
  std::size_t minArgs = 0;
  std::optional<std::size_t> maxArgs;  // none: any number
  std::function<void(CallContext&)> invoke;
  // False for the public data members, which no call can fail.
  bool callsObject = true;
};

std::map<std::string, Member>& members();
bool addMembers(std::initializer_list<std::pair<const std::string, Member>> list);

// Runs one member line; returns the exit status (0, 2 or 3).
// Errors and the reasons of failure values go to `host`.
int runMember(DBFunc& object, const std::string& name, const std::vector<std::string>& args,
              std::ostream& out, CliHost& host);

// Public data members for --set, `set` and `get`.
void setField(DBFunc& object, const std::string& field, const std::string& value);
std::string getField(const DBFunc& object, const std::string& field);

// Throws UsageError, naming `option`, unless `name` is UTF-8 text (what the
// people's commands store must be writable into every package later) that
// is empty or holds more than blanks, and short enough to be a file name.
void requireName(const std::string& name, const std::string& option);

// Parses a whole decimal number; throws UsageError.
std::int64_t parseInteger(const std::string& text, std::int64_t min, std::int64_t max);

}  // namespace quillon::cli
