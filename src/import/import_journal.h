#pragma once
// The journal of imports whose document folders are still to be moved into
// place (quillon/import_journal.h), kept in a table of the database so that
// it is committed with the import's rows.
#include "core/session.h"
#include "quillon/import_journal.h"

namespace quillon::importing {

class ImportJournal {
 public:
  explicit ImportJournal(Session& session) : session_(session) {}

  // Writes the entry in the open transaction (creating the journal's table
  // the first time). Throws quillon::Error when it cannot.
  void record(const ImportJournalEntry& entry);
  // Moves the entry's folders into place and removes the entry; when a move
  // fails, moves back what was moved, removes the import's rows with the
  // entry and throws with the reason.
  void finish(const ImportJournalEntry& entry);
  // Finishes (or takes back) every import a killed process left unfinished;
  // nothing on an installation without a journal.
  void recover();

 private:
  void removeRows(std::int32_t firstOwner, const Value& lastOwner);
  // The last owner the entry's import took, as recorded; NULL when unknown.
  Value lastOwnerOf(const ImportJournalEntry& entry);
  void forget(const ImportJournalEntry& entry);

  Session& session_;
};

}  // namespace quillon::importing
