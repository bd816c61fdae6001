#pragma once
// The coded failure report that the database services show before they
// return their failure value.
#include <string_view>

#include "quillon/host.h"

namespace quillon::report {

inline constexpr std::string_view kConnectionFailed = "DBF-00001";
inline constexpr std::string_view kStatementFailed = "DBF-00002";
inline constexpr std::string_view kSerialFailed = "DBF-00003";

inline constexpr std::string_view kTitle = "错误";
inline constexpr std::string_view kCodeLabel = "错误编号：";
inline constexpr std::string_view kDetailLabel = "详细信息：";
inline constexpr std::string_view kLineBreak = "\r\n";

// failureText CRLF "错误编号：" code CRLF "详细信息：" description, under the
// title "错误" with the critical icon.
void coded(Host& host, std::string_view failureText, std::string_view code, std::string_view description);

// failureText CRLF "详细信息：" description: the exporters' own form.
void detailed(Host& host, std::string_view title, std::string_view failureText, std::string_view description);

}  // namespace quillon::report
