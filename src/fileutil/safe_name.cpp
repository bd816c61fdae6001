#include "fileutil/safe_name.h"

namespace quillon::pub {

std::string pathSafeName(std::string_view name) {
  std::string safe(name);
  for (char& c : safe) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) c = '_';
  }
  if (safe.empty() || safe == "." || safe == "..") return "_";
  return safe;
}

}  // namespace quillon::pub
