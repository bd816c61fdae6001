#pragma once
// Lists of path items: one text whose items are separated by the character
// U+00FF. Folder paths are split into their levels through these lists. The
// text is UTF-8, so the separator is the two bytes C3 BF and every position or
// length here counts characters, not bytes.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::pub {

// U+00FF in UTF-8.
inline constexpr std::string_view kListSeparator = "\xC3\xBF";

// Number of items of the list; never less than 1. A separator at the very
// start does not begin an empty first item.
int16_t CountFilesInList(const std::string& FileList);

// Item FileNumber (1-based) of the list. A list without any separator is its
// own one item, whatever FileNumber is. A list of at most 4 characters (after
// a separator has been put in front) gives the empty text. Throws
// quillon::Error when FileNumber names no item of a longer list.
std::string GetFileFromList(const std::string& FileList, int16_t FileNumber);

}  // namespace quillon::pub
