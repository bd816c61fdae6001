#pragma once
// What one DBFunc object holds: its host, its component folder, its
// connection and why its last call failed. Every subsystem works through a
// Session.
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/installation_layout.h"
#include "engine/database.h"
#include "engine/transaction.h"
#include "quillon/error.h"
#include "quillon/host.h"

namespace quillon {

struct Session {
  Session(Host& h, std::filesystem::path folder) : host(h), home(std::move(folder)) {}

  Host& host;
  std::filesystem::path home;
  std::shared_ptr<engine::Database> db;  // null when the connection failed
  // Why the last public call failed; empty after a success.
  std::string lastError;
  // Set by callers (the command line) for which a silent failure is a
  // failure: the member that noted one throws it when it returns.
  bool strict = false;
  // The first silent failure of the last call, as the error a strict
  // caller gets.
  std::optional<Error> silentError;
  // Text values the last call wrote with U+FFFD in place of bytes or
  // characters its output format cannot carry.
  std::int64_t valuesReplaced = 0;
  // Names the last call gave imported rows in place of the package's
  // (a template renamed for a clash): package name, stored name.
  std::vector<std::pair<std::string, std::string>> namesChanged;
  // The owner number the last call gave the template it made.
  std::optional<std::int32_t> ownerMade;
  // Why the connection could not be made, when it could not.
  std::optional<Error> openFailure;

  // The connection, or an Error describing its absence.
  engine::Database& database() const;

  // Notes why a call is failing, keeping the first reason given: later
  // failures of the same call are most often its consequences.
  void noteFailure(std::string_view why);
  // A failure the call answers with its failure value (after its report,
  // where it shows one): noted, never thrown here. A strict caller gets it
  // as a quillon::Error when the member returns (component/calls.h).
  void silentFailure(const std::exception& e, std::string_view dbfCode = {});

  // Runs the work of one public operation as one commit, keeping what was
  // written before a failure (see engine/transaction.h).
  template <class Work>
  auto writing(Work&& work) {
    return engine::keepWritten(db.get(), engine::Intent::Write, std::forward<Work>(work));
  }
  // The same for an operation that reads: one snapshot, no write lock.
  template <class Work>
  auto reading(Work&& work) {
    return engine::keepWritten(db.get(), engine::Intent::Read, std::forward<Work>(work));
  }

  std::filesystem::path databaseFile() const { return layout::databaseFile(home); }
  std::filesystem::path styleSheetFile() const { return layout::styleSheetFile(home); }
  std::filesystem::path settingsFile() const { return layout::settingsFile(home); }
};

// Description given when an operation needs the database and there is none.
inline constexpr const char* kNoConnection =
    "Object variable or With block variable not set (the object has no database connection)";

}  // namespace quillon
