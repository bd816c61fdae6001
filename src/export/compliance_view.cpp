#include "export/compliance_view.h"

#include <fmt/format.h>

#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>

#include "db/tables.h"
#include "export/table_exporters.h"
#include "platform/xml.h"
#include "platform/xslt.h"
#include "quillon/error.h"

namespace quillon::exporting {
namespace {

namespace xml = platform::xml;

constexpr std::string_view kFailureText = "显示初审表出错。Err:";

// A failure that carries the number shown to the user.
class ViewError : public Error {
 public:
  ViewError(int number, const std::string& description) : Error(description), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

XmlDocument loadStyleSheet(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    throw ViewError(view_error::kStyleSheetMissing,
                    fmt::format("the style sheet {} does not exist", file.string()));
  }
  XmlDocument sheet;
  if (!sheet.loadFile(file)) {
    throw ViewError(
        view_error::kStyleSheetUnreadable,
        fmt::format("the style sheet {} cannot be read or is not well-formed XML", file.string()));
  }
  return sheet;
}

std::string ownerFilter(std::int16_t ori, std::int32_t id) {
  return db::projectSide(ori) ? fmt::format("PROJECT_ID = {}", id) : fmt::format("RESOURCE_ID={}", id);
}

}  // namespace

bool ComplianceView::acc2Html(std::int16_t ori, std::int32_t id, std::string& html) {
  int number = view_error::kOther;
  std::string description;
  try {
    XmlDocument checks;
    if (!checks.loadText("<Table></Table>")) throw Error("cannot create the document of the checks");
    // The exporter has shown its own failure; the page is made without the
    // checks it could not read (a strict caller gets the failure instead).
    TableExporters(session_).OutputAccToXml(checks, ownerFilter(ori, id), ori);
    const auto sheet = loadStyleSheet(session_.styleSheetFile());
    html = xml::transform(xml::documentElement(checks), sheet);
    return true;
  } catch (const ViewError& e) {
    number = e.number();
    description = e.what();
  } catch (const std::exception& e) {
    description = e.what();
  }
  html.clear();
  session_.noteFailure(description);
  session_.host.message({}, fmt::format("{}{}\r\n{}", kFailureText, number, description), Icon::None);
  return false;
}

}  // namespace quillon::exporting
