#pragma once
// The command's host: message boxes and questions as readable blocks or as
// JSON lines on stderr.
#include <exception>
#include <optional>

#include "quillon/host.h"

namespace quillon::cli {

enum class MessageStyle { Human, Json };

// Lines on stderr outside a message box follow the --messages style of the
// process: a note, or a usage error.
void setMessageStyle(MessageStyle style);
void note(const std::string& text);
void usageNote(const std::string& text);

class CliHost final : public Host {
 public:
  CliHost(MessageStyle style, std::optional<bool> answer) : style_(style), answer_(answer) {}
  void message(const std::string& title, const std::string& text, Icon icon) override;
  bool question(const std::string& title, const std::string& text, Icon icon) override;
  // An error that ended a call; with --messages json its kind and DBF code
  // go with it when `cause` is the component's error.
  void error(const std::string& text, const std::exception* cause = nullptr);
  // Why a member returned its failure value; the command goes on.
  void reason(const std::string& member, const std::string& text);

 private:
  bool askTerminal(const std::string& title, const std::string& text);
  MessageStyle style_;
  std::optional<bool> answer_;
};

}  // namespace quillon::cli
