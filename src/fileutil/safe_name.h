#pragma once
// Names from a package are untrusted: one used as part of a path must stay
// one component inside its folder.
#include <string>
#include <string_view>

namespace quillon::pub {

// `name` with every "/", "\", NUL and other control character turned into
// "_"; a name that is then empty, "." or ".." is "_".
std::string pathSafeName(std::string_view name);

}  // namespace quillon::pub
