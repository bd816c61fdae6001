#pragma once
// Installation folders filled with many rows, built once per size and kept
// for the whole benchmark run.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "quillon/dbfunc.h"
#include "quillon/host.h"

namespace quillon::bench {

struct BenchHome {
  std::filesystem::path folder;
  SilentHost host;
  std::unique_ptr<DBFunc> obj;
  ~BenchHome();
};

// A fresh installation (schema only) in a temporary folder; `fill` runs once
// inside one transaction on its connection.
std::unique_ptr<BenchHome> makeHome(const std::string& tag, const std::function<void(DBFunc&)>& fill);

// Appends `count` project-tree rows numbered from `firstId` (bound inserts).
void addProjectTreeRows(DBFunc& obj, std::int64_t firstId, std::int64_t count, std::int32_t projectId);

// "WITH RECURSIVE n(i) ..." numbering rows 1..n, for INSERT ... SELECT.
std::string numbers(std::int64_t n);
void run(DBFunc& obj, const std::string& sql);

}  // namespace quillon::bench
