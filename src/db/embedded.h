#pragma once
// Data files compiled into the library (see cmake/Embed.cmake).
#include <string_view>

namespace quillon::embedded {
extern const std::string_view schema;
extern const std::string_view library;
extern const std::string_view demo;
extern const std::string_view stylesheet;
}  // namespace quillon::embedded
