#pragma once
// External identity of the component. Linux has no component registration, so
// these are kept for clients that key settings or logs on them.
#include <string_view>

namespace quillon::identity {

inline constexpr std::string_view kTypeLibraryName = "Quillon";
inline constexpr std::string_view kTypeLibraryId = "879DC877-9DEC-421F-B195-3EA3B453C180";
inline constexpr std::string_view kClassId = "D297F137-C35E-4EF0-B9EA-D5AE9D7B9100";
inline constexpr std::string_view kProgramId = "Quillon.DBFunc";
inline constexpr std::string_view kInterfaceId = "CCF5960C-68B7-4C5D-B455-4EE4A81C0048";
inline constexpr std::string_view kInterfaceName = "_DBFunc";

}  // namespace quillon::identity
