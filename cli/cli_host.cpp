#include "cli_host.h"

#include <unistd.h>

#include <fstream>
#include <iostream>

#include "json.h"
#include "quillon/error.h"

namespace quillon::cli {
namespace {

const char* iconName(Icon icon) {
  switch (icon) {
    case Icon::Critical:
      return "critical";
    case Icon::Question:
      return "question";
    case Icon::Exclamation:
      return "exclamation";
    case Icon::Information:
      return "information";
    default:
      return "none";
  }
}

// Message texts use CR LF line breaks; a terminal wants LF.
std::string forTerminal(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

void humanBlock(const std::string& title, const std::string& text, const char* tag) {
  std::cerr << "── " << (title.empty() ? "quillon" : title) << " [" << tag << "]\n"
            << forTerminal(text) << "\n";
}

MessageStyle processStyle = MessageStyle::Human;

void line(const char* kind, const std::string& text, const char* humanPrefix) {
  if (processStyle == MessageStyle::Json)
    std::cerr << "{\"kind\":\"" << kind << "\",\"text\":" << jsonString(text) << "}" << std::endl;
  else
    std::cerr << humanPrefix << forTerminal(text) << "\n";
}

}  // namespace

void setMessageStyle(MessageStyle style) { processStyle = style; }
void note(const std::string& text) { line("note", text, ""); }
void usageNote(const std::string& text) { line("usage", text, "quillon: error: "); }

void CliHost::message(const std::string& title, const std::string& text, Icon icon) {
  if (style_ == MessageStyle::Json) {
    std::cerr << "{\"kind\":\"message\",\"title\":" << jsonString(title) << ",\"text\":" << jsonString(text)
              << ",\"icon\":\"" << iconName(icon) << "\"}" << std::endl;
    return;
  }
  humanBlock(title, text, iconName(icon));
}

bool CliHost::question(const std::string& title, const std::string& text, Icon) {
  bool yes = false;
  if (answer_)
    yes = *answer_;
  else if (isatty(STDIN_FILENO))
    yes = askTerminal(title, text);
  if (style_ == MessageStyle::Json) {
    std::cerr << "{\"kind\":\"question\",\"title\":" << jsonString(title) << ",\"text\":" << jsonString(text)
              << ",\"answer\":\"" << (yes ? "yes" : "no") << "\"}" << std::endl;
  } else if (answer_ || !isatty(STDIN_FILENO)) {
    humanBlock(title, text + "\n→ " + (yes ? "yes" : "no"), "question");
  }
  return yes;
}

bool CliHost::askTerminal(const std::string& title, const std::string& text) {
  humanBlock(title, text, "question");
  std::cerr << "[y/N] " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return false;
  return line == "y" || line == "Y" || line == "yes" || line == "是";
}

void CliHost::error(const std::string& text, const std::exception* cause) {
  if (style_ == MessageStyle::Json) {
    std::string extra;
    if (const auto* e = dynamic_cast<const Error*>(cause)) {
      extra = ",\"errorKind\":" + jsonString(errorKindName(e->kind()));
      if (!e->dbfCode().empty()) extra += ",\"code\":" + jsonString(e->dbfCode());
    }
    std::cerr << "{\"kind\":\"error\",\"text\":" << jsonString(text) << extra << "}" << std::endl;
    return;
  }
  std::cerr << "quillon: error: " << forTerminal(text) << "\n";
}

void CliHost::reason(const std::string& member, const std::string& text) {
  if (style_ == MessageStyle::Json) {
    std::cerr << "{\"kind\":\"reason\",\"member\":" << jsonString(member) << ",\"text\":" << jsonString(text)
              << "}" << std::endl;
    return;
  }
  std::cerr << "quillon: " << forTerminal(member) << " failed: " << forTerminal(text) << "\n";
}

}  // namespace quillon::cli
