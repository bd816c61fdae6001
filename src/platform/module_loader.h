#pragma once
// Finding and loading one of our modules (a shared object built with the
// library and kept beside it).
#include <string>
#include <string_view>

namespace quillon::platform {

// The handle of the module file `name`, opened from the first place it is
// found; null when it is nowhere or will not load, with the reasons
// appended to `tried`. Never closed: a module stays for the process's life.
void* openModule(std::string_view name, std::string& tried);

}  // namespace quillon::platform
