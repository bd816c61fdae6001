#include "export/progress.h"

namespace quillon::exporting {
namespace {
thread_local ProgressListener* current = nullptr;
}

ProgressScope::ProgressScope(ProgressListener& listener) : previous_(current) { current = &listener; }
ProgressScope::~ProgressScope() { current = previous_; }

ProgressListener* currentProgressListener() { return current; }

}  // namespace quillon::exporting
