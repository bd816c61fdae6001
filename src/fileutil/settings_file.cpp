#include "fileutil/settings_file.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "quillon/file_write.h"

namespace quillon::pub {
namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// The name of a "[name]" line, or nothing when the line is not a section line.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (!line.starts_with('[')) return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return TrimBlanks(line.substr(1, close - 1));
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultText, const std::string& iniFile) {
  std::ifstream in(iniFile, std::ios::binary);
  if (!in) return defaultText;
  bool in_section = false;
  bool first_line = true;
  std::string raw;
  while (std::getline(in, raw)) {
    std::string_view line = raw;
    if (first_line && line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
    first_line = false;
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (const auto name = SectionName(line)) {
      in_section = SameName(*name, section);
      continue;
    }
    const auto equals = line.find('=');
    if (!in_section || equals == std::string_view::npos) continue;
    if (SameName(TrimBlanks(line.substr(0, equals)), key)) {
      return std::string(TrimBlanks(line.substr(equals + 1)));
    }
  }
  return defaultText;
}

void WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& iniFile) {
  std::ifstream in(iniFile, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string raw; std::getline(in, raw);) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    lines.push_back(std::move(raw));
  }
  const std::string setting = key + "=" + value;
  // Where the key's line is, or where the section ends.
  std::optional<std::size_t> sectionEnd;
  bool inSection = false, written = false;
  for (std::size_t i = 0; i < lines.size() && !written; ++i) {
    std::string_view line = lines[i];
    if (i == 0 && line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
    line = TrimBlanks(line);
    if (const auto name = SectionName(line)) {
      if (inSection) sectionEnd = i;
      inSection = SameName(*name, section);
      if (sectionEnd) break;
      continue;
    }
    const auto equals = line.find('=');
    if (inSection && equals != std::string_view::npos && SameName(TrimBlanks(line.substr(0, equals)), key)) {
      lines[i] = setting;
      written = true;
    }
  }
  if (!written && (inSection || sectionEnd)) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd.value_or(lines.size())), setting);
  } else if (!written) {
    if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
    lines.push_back("[" + section + "]");
    lines.push_back(setting);
  }
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  writeFileAtomically(iniFile, text);
}

std::string ProjectPathIn(const std::string& iniFile) {
  return TrimZero(GetPrivateProfileString("AppInfo", "ProjectPath", "", iniFile));
}

std::string TrimZero(const std::string& vstr) {
  std::string text = vstr.substr(0, vstr.find('\0'));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

}  // namespace quillon::pub
