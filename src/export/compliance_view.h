#pragma once
// The compliance checks of one project or template as HTML, through the
// installation's style sheet Conf/AccordedCheck.xsl.
#include <cstdint>
#include <string>

#include "core/session.h"

namespace quillon::exporting {

// Error numbers of the failure message of acc2Html.
namespace view_error {
inline constexpr int kStyleSheetMissing = 53;     // the style sheet file is not there
inline constexpr int kStyleSheetUnreadable = 75;  // it cannot be read, or is not well-formed XML
inline constexpr int kOther = 5;                  // it does not compile or apply, or anything else failed
}  // namespace view_error

class ComplianceView {
 public:
  explicit ComplianceView(Session& session) : session_(session) {}

  // The checks of project `id` (ori 1) or library template `id` (other ori)
  // exported into a fresh package document and transformed by the style
  // sheet into `html`. On failure `html` is emptied, the host shows
  // "显示初审表出错。Err:" + number + CRLF + description without icon under its
  // default title, and the result is false. A failure of the check export
  // itself has shown its own message; the view then shows what was written.
  bool acc2Html(std::int16_t ori, std::int32_t id, std::string& html);

 private:
  Session& session_;
};

}  // namespace quillon::exporting
