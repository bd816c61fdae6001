#pragma once
// Progress of a long operation (an export, an import), for callers that show
// it, such as a terminal bar. The work looks for a listener once per table;
// with none installed the per-row cost is one counter increment.
#include <cstdint>
#include <string_view>

#include "quillon/export.h"

namespace quillon {

/// Rows are reported in steps of this many, and once more when a table ends.
inline constexpr std::int64_t kProgressStep = 1000;

class QUILLON_API ProgressListener {
 public:
  virtual ~ProgressListener() = default;
  /// `expectedRows` is what the table's query matches, counted before the rows
  /// are read (a table that skips non-live rows may write fewer); -1 when the
  /// count failed.
  virtual void tableStarted(std::string_view table, std::int64_t expectedRows) = 0;
  virtual void rowsWritten(std::string_view table, std::int64_t rows) = 0;
  /// Also after a failure, before the failure is reported. Tables whose query
  /// cannot be opened are not reported at all.
  virtual void tableFinished(std::string_view table, std::int64_t rows) = 0;
};

/// Installs `listener` for the work run on this thread while the scope lives.
/// Scopes nest; the innermost listens.
class QUILLON_API ProgressScope {
 public:
  explicit ProgressScope(ProgressListener& listener);
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  ProgressListener* previous_;
};

/// The listener of this thread, or null.
QUILLON_API ProgressListener* currentProgressListener();

}  // namespace quillon
