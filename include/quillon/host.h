#pragma once
// The host shows the component's message boxes and asks its yes/no questions.
// The component never talks to a terminal or a window itself.
#include <string>

#include "quillon/export.h"

namespace quillon {

enum class Icon { None, Critical, Question, Exclamation, Information };

class QUILLON_API Host {
 public:
  virtual ~Host() = default;
  /// A message box with an OK button; returns when the user has closed it. An
  /// empty title asks for the host's default title.
  virtual void message(const std::string& title, const std::string& text, Icon icon) = 0;
  /// A question with Yes and No buttons; true for Yes.
  virtual bool question(const std::string& title, const std::string& text, Icon icon) = 0;
};

/// Shows nothing and answers every question with No: for batch callers that
/// rely on failure values alone.
class QUILLON_API SilentHost final : public Host {
 public:
  void message(const std::string&, const std::string&, Icon) override {}
  bool question(const std::string&, const std::string&, Icon) override { return false; }
};

}  // namespace quillon
