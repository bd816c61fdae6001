// A hostile compliance-check text through the export and the style sheet:
// the page is always made, is UTF-8, and the text never becomes markup (the
// page has as many tags as with a harmless text).
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "quillon/dbfunc.h"
#include "quillon/text.h"
#include "scratch_install.h"

namespace {

using namespace quillon;

// Every check of the demo project gets `text` as its content, bound.
void setChecks(const std::string& text) {
  sqlite3* db = nullptr;
  const auto file = fuzz::ScratchInstall::instance().home() / "Data" / "zbs.mdb";
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) fuzz::fail("cannot open the scratch database");
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "update T_ACCORDED_CHECK set CONTENT = ? where PROJECT_ID = 1", -1, &stmt, nullptr);
  sqlite3_bind_text(stmt, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(stmt) != SQLITE_DONE) fuzz::fail(sqlite3_errmsg(db));
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

std::string render(const std::string& text) {
  setChecks(text);
  fuzz::YesHost host;
  DBFunc object(host, fuzz::ScratchInstall::instance().home());
  std::string html;
  if (!object.complianceHtml(1, 1, html)) fuzz::fail("no page: " + object.lastError());
  return html;
}

std::size_t tags(const std::string& html) {
  return static_cast<std::size_t>(std::count(html.begin(), html.end(), '<'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::size_t harmless = tags(render("x"));
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string html = render(text);
  if (!isValidUtf8(html)) fuzz::fail("the page is not UTF-8");
  if (tags(html) != harmless) fuzz::fail("the check text changed the page's markup");
  return 0;
}
