#include "core/error_report.h"

#include <string>

namespace quillon::report {

void coded(Host& host, std::string_view failureText, std::string_view code, std::string_view description) {
  std::string text(failureText);
  text += kLineBreak;
  text += kCodeLabel;
  text += code;
  text += kLineBreak;
  text += kDetailLabel;
  text += description;
  host.message(std::string(kTitle), text, Icon::Critical);
}

void detailed(Host& host, std::string_view title, std::string_view failureText,
              std::string_view description) {
  std::string text(failureText);
  text += kLineBreak;
  text += kDetailLabel;
  text += description;
  host.message(std::string(title), text, Icon::Critical);
}

}  // namespace quillon::report
