#include "quillon/progress.h"

namespace quillon {
namespace {
thread_local ProgressListener* current = nullptr;
}

ProgressScope::ProgressScope(ProgressListener& listener) : previous_(current) { current = &listener; }
ProgressScope::~ProgressScope() { current = previous_; }

ProgressListener* currentProgressListener() { return current; }

}  // namespace quillon
