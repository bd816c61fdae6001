#include "terminal_progress.h"

#include <unistd.h>

namespace quillon::cli {

ProgressOnTerminal::ProgressOnTerminal(bool forPeople) {
  if (forPeople && ::isatty(STDERR_FILENO)) listening_.emplace(bar_);
}

}  // namespace quillon::cli
