#pragma once
// The floors on a PostgreSQL server, on libpq alone: rows go in and out by
// COPY, in one transaction.
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "floors.h"

namespace quillon::bench {

struct PgCloser {
  void operator()(PGconn* conn) const { PQfinish(conn); }
};
using PgConnection = std::unique_ptr<PGconn, PgCloser>;
PgConnection pgConnect(const std::string& conninfo);
void pgExec(PGconn* conn, const std::string& sql);

// Rows written by COPY ... FROM STDIN, read by COPY (query) TO STDOUT.
std::unique_ptr<FloorDb> serverFloor(PGconn* conn);

// The rows a project export writes, each table's by one COPY (query) TO
// STDOUT, straight into the file, synced and renamed.
void serverFloorProjectExport(PGconn* conn, std::int32_t project, const std::filesystem::path& file);

// Every row of every table of the file database into the server's empty
// database: the schema, then each table by one COPY, in one transaction.
void serverFloorMigrate(sqlite3* from, PGconn* to, std::string_view schema);

}  // namespace quillon::bench
