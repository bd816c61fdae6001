#pragma once
// Shared fixtures: a fresh installation folder per test and a host that
// records what the component showed.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillon/dbfunc.h"
#include "quillon/host.h"

namespace quillon::test {

struct Shown {
  std::string title;
  std::string text;
  Icon icon;
  bool question;
};

class RecordingHost final : public Host {
 public:
  void message(const std::string& title, const std::string& text, Icon icon) override {
    shown.push_back({title, text, icon, false});
  }
  bool question(const std::string& title, const std::string& text, Icon icon) override {
    shown.push_back({title, text, icon, true});
    return answer;
  }
  std::vector<Shown> shown;
  bool answer = false;
};

// A temporary folder removed when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Every row of a query on `object`, fields joined by '|', NULL as "NULL".
std::vector<std::string> rowsOf(DBFunc& object, const std::string& sql);

// The server the suite runs against as well (QUILLON_TEST_SERVER, a
// connection string without a database name), if any.
std::optional<std::string> testServer();

// A database of its own on the test server, dropped with the object.
class ServerDatabase {
 public:
  ServerDatabase();
  ~ServerDatabase();
  const std::string& url() const { return url_; }

 private:
  std::string name_;
  std::string url_;
};

// A test with its own installation folder (schema only, or the demo library)
// and one object on it.
class HomeTest : public ::testing::Test {
 protected:
  void SetUp() override { open(false); }
  void open(bool demo);
  // Runs SQL that must succeed (test data set-up).
  void exec(const std::string& sql);
  // Single value of a query, as text ("NULL" for NULL).
  std::string scalar(const std::string& sql);
  // Every row of a query, fields joined by '|', NULL as "NULL".
  std::vector<std::string> rows(const std::string& sql);
  bool onServer() const { return server != nullptr; }
  // The engine's own words for a failure: the file's or the server's.
  std::string engineSays(const std::string& onFile, const std::string& onTheServer) const {
    return onServer() ? onTheServer : onFile;
  }
  // Each row inserted into `table` leaves `what` (an expression over its
  // row, "new") in the table "writes", which tells the order of the writes.
  void logInserts(const std::string& table, const std::string& what);
  // A trigger `name` that refuses, with `message`, to delete a row of
  // `table` while `condition` (over the row, "old") holds.
  void refuseDeletes(const std::string& name, const std::string& table, const std::string& condition,
                     const std::string& message);
  void dropTrigger(const std::string& name, const std::string& table);

  TempDir dir;
  RecordingHost host;
  // On the test server, the database the installation works in.
  std::unique_ptr<ServerDatabase> server;
  std::unique_ptr<DBFunc> obj;
};

}  // namespace quillon::test
