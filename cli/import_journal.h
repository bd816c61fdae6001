#pragma once
// What a stored import still has to do with its files. The rows of an import
// and its journal entry are committed together; the document folders are
// then moved from the staging folder into the document root, and the entry
// is removed. A process killed in between leaves the entry, and the next
// command on the installation finishes the moves, or, when they cannot be
// made, takes the rows back out: rows and folders are there together or not
// at all.
#include <filesystem>
#include <string>
#include <vector>

#include "quillon/dbfunc.h"

namespace quillon::cli {

struct JournalEntry {
  std::filesystem::path staging;     // where the folders wait
  std::filesystem::path root;        // where they go
  std::vector<std::string> folders;  // their names
  std::int32_t firstOwner = 0;       // the import's rows are the project-side owners from here on
};

// Writes the entry in the object's open transaction (creating the journal's
// table the first time). Throws when it cannot.
void recordImport(DBFunc& object, const JournalEntry& entry);

// Moves the entry's folders into place and removes the entry; when a move
// fails, moves back what was moved, removes the import's rows with the entry
// and throws with the reason.
void finishImport(DBFunc& object, const JournalEntry& entry);

// Finishes (or takes back) every import a killed process left unfinished.
// Does nothing on an installation without a journal. Call it before the
// object is made strict.
void recoverImports(DBFunc& object);

}  // namespace quillon::cli
