#pragma once
// What a stored import still has to do with its files. The rows of an import
// and its journal entry are committed together; the document folders are
// then moved from a staging folder into the document root, and the entry is
// removed. A process killed in between leaves the entry, and the next
// program on the installation finishes the moves (DBFunc::recoverImports),
// or, when they cannot be made, takes the rows back out: rows and folders are
// there together or not at all.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillon {

struct ImportJournalEntry {
  std::filesystem::path staging;     ///< where the folders wait
  std::filesystem::path root;        ///< where they go
  std::vector<std::string> folders;  ///< their names
  std::int32_t firstOwner = 0;       ///< the import's rows are the project-side owners from here on
};

}  // namespace quillon
