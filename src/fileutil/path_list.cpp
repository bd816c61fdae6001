#include "fileutil/path_list.h"

#include <cstddef>
#include <vector>

#include "quillon/error.h"

namespace quillon::pub {
namespace {

bool StartsWithSeparator(std::string_view text) { return text.starts_with(kListSeparator); }

// In valid UTF-8 the byte C3 only ever leads a character, so every match of
// the two bytes is a whole U+00FF and never the middle of another character.
std::size_t CountSeparators(std::string_view text) {
  std::size_t count = 0;
  for (auto pos = text.find(kListSeparator); pos != std::string_view::npos;
       pos = text.find(kListSeparator, pos + kListSeparator.size())) {
    ++count;
  }
  return count;
}

// Characters (code points) of a UTF-8 text: every byte that is not a
// continuation byte starts one.
std::size_t CountCharacters(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// The texts between consecutive separators of a list that starts with one;
// element k - 1 is item k.
std::vector<std::string_view> ItemsAfterSeparators(std::string_view list) {
  std::vector<std::string_view> items;
  auto start = kListSeparator.size();
  while (true) {
    const auto next = list.find(kListSeparator, start);
    if (next == std::string_view::npos) {
      items.push_back(list.substr(start));
      return items;
    }
    items.push_back(list.substr(start, next - start));
    start = next + kListSeparator.size();
  }
}

}  // namespace

int16_t CountFilesInList(const std::string& FileList) {
  std::string_view list = FileList;
  std::string closed;
  if (!list.ends_with(kListSeparator)) {
    closed = FileList + std::string(kListSeparator);
    list = closed;
  }
  // A leading separator would be counted as an item of its own; dropping the
  // closing one evens that out.
  if (StartsWithSeparator(list)) list.remove_suffix(kListSeparator.size());
  const auto count = CountSeparators(list);
  return count == 0 ? 1 : static_cast<int16_t>(count);
}

std::string GetFileFromList(const std::string& FileList, int16_t FileNumber) {
  if (CountSeparators(FileList) == 0) return FileList;
  const std::string list = StartsWithSeparator(FileList) ? FileList : std::string(kListSeparator) + FileList;
  // Very short lists give nothing, whichever item is asked for; callers rely
  // on that rather than on an error.
  if (CountCharacters(list) <= 4) return {};
  const auto items = ItemsAfterSeparators(list);
  if (FileNumber < 1 || static_cast<std::size_t>(FileNumber) > items.size()) {
    throw Error(ErrorKind::InvalidInput, "Invalid procedure call or argument");
  }
  return std::string(items[static_cast<std::size_t>(FileNumber) - 1]);
}

}  // namespace quillon::pub
