#pragma once
// A progress bar on stderr for the long commands (export, import), shown
// only on a terminal and not with JSON messages.
#include <fmt/format.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>

#include "quillon/progress.h"

namespace quillon::cli {

// Tables with fewer rows are over before a bar would be worth reading.
constexpr std::int64_t kBarFromRows = 2000;
constexpr int kBarWidth = 30;

// One bar per large table on stderr, redrawn in place.
class TerminalProgress final : public ProgressListener {
 public:
  void tableStarted(std::string_view table, std::int64_t expectedRows) override {
    table_ = table;
    expected_ = expectedRows;
    shown_ = expectedRows >= kBarFromRows;
    if (shown_) draw(0);
  }
  void rowsWritten(std::string_view, std::int64_t rows) override {
    if (shown_) draw(rows);
  }
  void tableFinished(std::string_view, std::int64_t rows) override {
    if (!shown_) return;
    draw(rows);
    std::cerr << '\n' << std::flush;
    shown_ = false;
  }

 private:
  void draw(std::int64_t rows) const {
    const std::int64_t total = std::max(expected_, rows);
    const auto filled = static_cast<std::size_t>(total > 0 ? rows * kBarWidth / total : kBarWidth);
    std::cerr << fmt::format("\r{:<30} [{}{}] {}/{} rows\x1b[K", table_, std::string(filled, '#'),
                             std::string(kBarWidth - filled, '.'), rows, total)
              << std::flush;
  }

  std::string table_;
  std::int64_t expected_ = 0;
  bool shown_ = false;
};

// Listens while it lives, when stderr is a terminal and messages are for people.
class ProgressOnTerminal {
 public:
  explicit ProgressOnTerminal(bool forPeople);

 private:
  TerminalProgress bar_;
  std::optional<ProgressScope> listening_;
};

}  // namespace quillon::cli
