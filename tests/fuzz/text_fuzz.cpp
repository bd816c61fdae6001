// The texts of a package the component reads by its own rules: the path and
// list helpers, numeric text and the value rule. Each is checked against a
// property its callers rely on, not against a copy of its code.
#include <fmt/format.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "fileutil/file_ops.h"
#include "fileutil/path_helpers.h"
#include "fileutil/safe_name.h"
#include "import/record_copy.h"
#include "quillon/dbfunc.h"
#include "quillon/error.h"
#include "quillon/recordset.h"
#include "quillon/value.h"
#include "scratch_install.h"

namespace {

using namespace quillon;

bool isSeparator(char c) { return c == '/' || c == '\\'; }

void paths(const std::string& s) {
  const std::string name = pub::GetFileNameNoPath(s);
  const std::string folder = pub::ExtractFilePath(s);
  for (char c : name)
    if (isSeparator(c)) quillon::fuzz::fail("a file name with a separator: " + name);
  if (!s.empty() && !isSeparator(s.back()) && folder + name != s)
    quillon::fuzz::fail(fmt::format("folder '{}' and name '{}' do not make '{}'", folder, name, s));
  const std::string stem = pub::GetFileNameNoExt(s);
  if (s.rfind(stem, 0) != 0) quillon::fuzz::fail("the name without extension is not a prefix: " + stem);
  if (!stem.empty() && (s[stem.size()] != '.' || s.find('.', stem.size() + 1) != std::string::npos))
    quillon::fuzz::fail("the extension is not what follows the last dot: " + s);

  const std::string safe = pub::pathSafeName(s);
  if (safe.empty() || safe == "." || safe == "..") quillon::fuzz::fail("an unsafe name: " + safe);
  for (unsigned char c : safe)
    if (isSeparator(static_cast<char>(c)) || c < 0x20 || c == 0x7f)
      quillon::fuzz::fail("unsafe byte in " + safe);
}

void numbers(const std::string& s) {
  const double leading = leadingNumber(s);
  if (std::isnan(leading)) quillon::fuzz::fail("NaN read from " + s);
  // A text that is a number as a whole is read the same both ways.
  try {
    const double strict = Value(s).toDouble();
    if (strict != leading)
      quillon::fuzz::fail(fmt::format("'{}' reads {} strictly, {} leading", s, strict, leading));
  } catch (const Error&) {
  }
  if (std::isfinite(leading) && leadingNumber(formatNumber(leading)) != leading)
    quillon::fuzz::fail(fmt::format("{} does not read back from '{}'", leading, formatNumber(leading)));
}

// The value rule through a real result set, one column of each kind.
void valueRule(const std::string& s) {
  static fuzz::YesHost host;
  static DBFunc object(host, fuzz::ScratchInstall::instance().home());
  static const bool made =
      object.ExecuteSql("create table if not exists FUZZ_VALUES(N integer, D double, T text)");
  if (!made) quillon::fuzz::fail("cannot make the scratch table: " + object.lastError());
  Recordset rs;
  if (!object.GetValue("Select N, D, T from FUZZ_VALUES", rs)) quillon::fuzz::fail(object.lastError());
  if (rs.fieldType(0) != field_type::kLong || rs.fieldType(1) != field_type::kDouble ||
      rs.fieldType(2) != field_type::kText)
    quillon::fuzz::fail("the scratch table's columns are not a whole number, a double and a text");
  rs.addNew();
  const double leading = leadingNumber(s);
  const std::string_view text = s;
  try {
    rs.setValue(0, importing::byValueRule(rs.fieldType(0), &text));
    if (rs.value(0).toInt64() != roundToInt32(leading))
      quillon::fuzz::fail("a whole number stored wrong: " + s);
  } catch (const Error&) {
    // Overflow: only for what does not fit 32 bits.
    if (std::isfinite(leading) && std::fabs(leading) < 2147483647.0)
      quillon::fuzz::fail("a false overflow: " + s);
  }
  rs.setValue(1, importing::byValueRule(rs.fieldType(1), &text));
  if (rs.value(1).toDouble() != leading) quillon::fuzz::fail("a double stored wrong: " + s);
  rs.setValue(2, importing::byValueRule(rs.fieldType(2), &text));
  if (rs.value(2).toText() != (s.empty() ? " " : s)) quillon::fuzz::fail("a text stored wrong: " + s);
  rs.close();  // the row is never stored
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);
  paths(s);
  numbers(s);
  valueRule(s);
  return 0;
}
