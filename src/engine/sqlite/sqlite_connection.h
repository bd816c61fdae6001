#pragma once
// The SQLite engine: a database file opened for this process's exclusive use.
#include <filesystem>
#include <memory>
#include <string_view>

#include "engine/connection.h"

namespace quillon::engine::sqlite {

// Opens an existing file read-write (never creates one). Throws
// engine::EngineError, or quillon::Error when the file is absent or held.
std::shared_ptr<Connection> open(const std::filesystem::path& file);
// Creates a new database file and runs `script` on it.
void create(const std::filesystem::path& file, std::string_view script);

}  // namespace quillon::engine::sqlite
