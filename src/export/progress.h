#pragma once
// Progress of a running export, for callers that show it (a terminal bar).
// The exporters look for a listener once per table; with none installed the
// per-row cost is one counter increment.
#include <cstdint>
#include <string_view>

namespace quillon::exporting {

// Rows are reported in steps of this many, and once more when a table ends.
inline constexpr std::int64_t kProgressStep = 1000;

class ProgressListener {
 public:
  virtual ~ProgressListener() = default;
  // `expectedRows` is what the table's query matches, counted before the rows
  // are read (a table that skips non-live rows may write fewer); -1 when the
  // count failed.
  virtual void tableStarted(std::string_view table, std::int64_t expectedRows) = 0;
  virtual void rowsWritten(std::string_view table, std::int64_t rows) = 0;
  // Also after a failure, before the failure is reported. Tables whose query
  // cannot be opened are not reported at all.
  virtual void tableFinished(std::string_view table, std::int64_t rows) = 0;
};

// Installs `listener` for the exports run on this thread while the scope
// lives. Scopes nest; the innermost listens.
class ProgressScope {
 public:
  explicit ProgressScope(ProgressListener& listener);
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  ProgressListener* previous_;
};

// The listener of this thread, or null.
ProgressListener* currentProgressListener();

// Counts the rows of one table and tells the listener, if any, every
// kProgressStep rows.
class TableProgress {
 public:
  TableProgress(std::string_view table, ProgressListener* listener) : table_(table), listener_(listener) {}
  bool listening() const { return listener_ != nullptr; }
  void start(std::int64_t expectedRows) {
    started_ = listener_ != nullptr;
    if (started_) listener_->tableStarted(table_, expectedRows);
  }
  void row() {
    if (++rows_ % kProgressStep == 0 && listener_) listener_->rowsWritten(table_, rows_);
  }
  // Ends what start() began; nothing when it was never called.
  void finish() {
    if (started_) listener_->tableFinished(table_, rows_);
    started_ = false;
  }
  std::int64_t rows() const { return rows_; }

 private:
  std::string_view table_;
  ProgressListener* listener_;
  std::int64_t rows_ = 0;
  bool started_ = false;
};

}  // namespace quillon::exporting
