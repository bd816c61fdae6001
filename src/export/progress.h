#pragma once
// Row counting for one exported table, told to the thread's progress
// listener when there is one.
#include <cstdint>
#include <string_view>

#include "quillon/progress.h"

namespace quillon::exporting {

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

 private:
  std::string_view table_;
  ProgressListener* listener_;
  std::int64_t rows_ = 0;
  bool started_ = false;
};

}  // namespace quillon::exporting
