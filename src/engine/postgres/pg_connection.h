#pragma once
// The PostgreSQL engine: one database on a server shared by the desks of an
// installation. A desk holds the installation for its own use (a second
// program on the same desk is refused); writers of all desks take turns, one
// transaction at a time; readers never wait.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/connection.h"

namespace quillon::engine::postgres {

// Connects to the database `url` names (a libpq connection URI or
// key=value string) for `desk`. `spellings` are the names of the
// installation's tables and columns as its schema writes them: the server
// gives result columns back in lower case. Throws engine::EngineError, or
// quillon::Error when the engine cannot be loaded or the desk is held.
std::shared_ptr<Connection> open(const std::string& url, const std::string& desk,
                                 std::vector<std::string> spellings);

// Whether the database holds the installation's tables (`probe`, one of
// them) yet; runs `script` to make them when it does not. True when it ran.
bool createIfEmpty(const std::string& url, std::string_view probe, std::string_view script);

// Ends the programs that hold `desk` (a desk left held by a program that no
// longer answers); how many there were.
int releaseDesk(const std::string& url, const std::string& desk);

// How many times this process has waited for a server's answer: what a
// command costs on a network, counted for the benchmarks.
std::uint64_t roundTrips();

}  // namespace quillon::engine::postgres
