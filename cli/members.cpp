#include "members.h"
#include "nearest.h"

#include <fmt/format.h>

#include <charconv>
#include <iostream>
#include <limits>

#include "quillon/error.h"
#include "quillon/text.h"

namespace quillon::cli {

std::map<std::string, Member>& members() {
  static std::map<std::string, Member> all;
  return all;
}

bool addMembers(std::initializer_list<std::pair<const std::string, Member>> list) {
  for (const auto& entry : list) members().insert(entry);
  return true;
}

std::int64_t parseInteger(const std::string& text, std::int64_t min, std::int64_t max) {
  std::int64_t v = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, v);
  if (text.empty() || ec != std::errc() || ptr != end)
    throw UsageError(fmt::format("'{}' is not a whole number", text));
  if (v < min || v > max) throw UsageError(fmt::format("{} is out of range ({} to {})", text, min, max));
  return v;
}

const std::string& CallContext::text(std::size_t i) const { return args.at(i); }

std::int32_t CallContext::int32(std::size_t i) const {
  return static_cast<std::int32_t>(parseInteger(args.at(i), std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max()));
}

std::int16_t CallContext::int16(std::size_t i) const {
  return static_cast<std::int16_t>(parseInteger(args.at(i), std::numeric_limits<std::int16_t>::min(),
                                                std::numeric_limits<std::int16_t>::max()));
}

bool CallContext::boolean(std::size_t i) const {
  const std::string& t = args.at(i);
  if (t == "true" || t == "1" || t == "yes") return true;
  if (t == "false" || t == "0" || t == "no") return false;
  throw UsageError(fmt::format("'{}' is not a Boolean (true or false)", t));
}

std::vector<std::string> CallContext::rest(std::size_t from) const {
  return from >= args.size()
             ? std::vector<std::string>{}
             : std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(from), args.end());
}

void CallContext::print(bool b) const { out << (b ? "true" : "false") << '\n'; }
void CallContext::print(std::int64_t n) const { out << n << '\n'; }
void CallContext::print(const std::string& text) const { out << text << '\n'; }
void CallContext::print(const Value& v) const {
  if (v.isEmpty()) return;
  out << (v.isNull() ? std::string("null") : v.toText()) << '\n';
}

int runMember(DBFunc& object, const std::string& name, const std::vector<std::string>& args,
              std::ostream& out, CliHost& host) {
  const auto it = members().find(name);
  try {
    if (it == members().end()) {
      std::vector<std::string> names;
      for (const auto& [known, member] : members()) names.push_back(known);
      throw UsageError(fmt::format("unknown member '{}'{}", name, didYouMean(name, names)));
    }
    const Member& m = it->second;
    if (args.size() < m.minArgs || (m.maxArgs && args.size() > *m.maxArgs))
      throw UsageError(fmt::format("usage: {} {}", name, m.params));
    CallContext ctx{object, out, args};
    m.invoke(ctx);
    out.flush();
    // The member returned its failure value, perhaps without a message: say
    // why, and leave the exit status to what the member returned.
    if (m.callsObject && !object.lastError().empty()) host.reason(name, object.lastError());
    return 0;
  } catch (const UsageError& e) {
    host.error(e.what());
    return 2;
  } catch (const std::exception& e) {
    out.flush();
    host.error(e.what());
    return 3;
  }
}

void requireName(const std::string& name, const std::string& option) {
  if (!isValidUtf8(name)) throw UsageError(option + " is not valid UTF-8 text");
  // Blanks alone would make a document no one can tell from a nameless one
  // in any list; the empty text keeps its own meaning where it has one.
  static constexpr std::string_view kBlanks[] = {" ", "\t", "\r", "\n", "\u3000", "\u00a0"};
  std::string_view rest = name;
  for (bool found = true; found && !rest.empty();) {
    found = false;
    for (const auto blank : kBlanks) {
      if (rest.substr(0, blank.size()) == blank) {
        rest.remove_prefix(blank.size());
        found = true;
      }
    }
  }
  if (!name.empty() && rest.empty()) throw UsageError(option + " holds only blanks; give a name");
  // The name of a document becomes a file and folder name at the office that
  // imports it, with a node number and an extension added: file names here
  // have at most 255 bytes.
  constexpr std::size_t kMostBytes = 200;
  if (name.size() > kMostBytes)
    throw UsageError(
        fmt::format("{} is {} bytes long; it may have at most {} (about {} Chinese characters), as it "
                    "becomes a file name "
                    "where the document is imported",
                    option, name.size(), kMostBytes, kMostBytes / 3));
}

void setField(DBFunc& object, const std::string& field, const std::string& value) {
  if (field == "InputBsPath")
    object.InputBsPath = value;
  else if (field == "vNew_PARENT_NOED_ID")
    object.vNew_PARENT_NOED_ID = value;
  else if (field == "PARENT_LAYER_ID")
    object.PARENT_LAYER_ID = static_cast<std::int32_t>(parseInteger(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  else
    throw UsageError(
        fmt::format("unknown data member '{}' (InputBsPath, vNew_PARENT_NOED_ID, PARENT_LAYER_ID)", field));
}

std::string getField(const DBFunc& object, const std::string& field) {
  if (field == "InputBsPath") return object.InputBsPath;
  if (field == "vNew_PARENT_NOED_ID") return object.vNew_PARENT_NOED_ID;
  if (field == "PARENT_LAYER_ID") return std::to_string(object.PARENT_LAYER_ID);
  throw UsageError(
      fmt::format("unknown data member '{}' (InputBsPath, vNew_PARENT_NOED_ID, PARENT_LAYER_ID)", field));
}

}  // namespace quillon::cli
