// The compliance-check page as a browser shows it: acc2Html on the demo
// library with the installed default style sheet, rendered by headless
// Chromium to a PNG under the build tree (tests/html_render/).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChromium = "/usr/bin/chromium";

std::string fileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

fs::path outputFolder() {
  const auto folder = fs::read_symlink("/proc/self/exe").parent_path() / "html_render";
  fs::create_directories(folder);
  return folder;
}

// Runs the program in a process group of its own, output to `log`; kills the
// group (the browser's helpers too) when it takes longer than `limit`.
int runWithTimeout(const std::vector<std::string>& argv, const fs::path& log, std::chrono::seconds limit) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      ::dup2(fd, STDOUT_FILENO);
      ::dup2(fd, STDERR_FILENO);
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  if (pid < 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ::kill(-pid, SIGKILL);  // helpers that outlived the browser
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::uint32_t bigEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

class HtmlRenderTest : public HomeTest {
 protected:
  void SetUp() override { open(true); }

  // The CONTENT of every check of one owner, as stored.
  std::vector<std::string> checkTexts(const std::string& sql) {
    std::vector<std::string> texts;
    Recordset rs;
    EXPECT_TRUE(obj->GetValue(sql, rs));
    for (; rs.isOpen() && !rs.atEnd(); rs.moveNext()) texts.push_back(rs.value(0).toText());
    return texts;
  }

  void expectHtml5WithChecks(const std::string& html, const std::vector<std::string>& texts) {
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u) << html.substr(0, 80);
    EXPECT_EQ(count(html, "<meta charset=\"utf-8\">"), 1u);
    EXPECT_EQ(count(html, "charset="), 1u) << "one encoding declaration only";
    EXPECT_NE(html.find("<html lang=\"zh-CN\">"), std::string::npos);
    ASSERT_FALSE(texts.empty());
    for (const auto& text : texts) EXPECT_NE(html.find(escaped(text)), std::string::npos) << text;
    EXPECT_NE(html.find("检查内容"), std::string::npos);
  }
};

TEST_F(HtmlRenderTest, LibraryTemplatePageIsHtml5WithEveryCheck) {
  std::string html;
  ASSERT_TRUE(obj->acc2Html(2, 21, html));
  expectHtml5WithChecks(html, checkTexts("SELECT CONTENT FROM T_ACCORDED_CHECK_INFO WHERE RESOURCE_ID = 21"));
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(HtmlRenderTest, ProjectPageRendersInChromium) {
  std::string html;
  ASSERT_TRUE(obj->acc2Html(1, 1, html));
  expectHtml5WithChecks(html, checkTexts("SELECT CONTENT FROM T_ACCORDED_CHECK WHERE PROJECT_ID = 1"));

  const auto folder = outputFolder();
  const auto page = folder / "compliance_checks.html";
  const auto png = folder / "compliance_checks.png";
  std::ofstream(page, std::ios::binary | std::ios::trunc) << html;
  fs::remove(png);

  if (!fs::exists(kChromium)) GTEST_SKIP() << kChromium << " is not installed (apt-get install chromium)";
  const TempDir profile;
  const int status =
      runWithTimeout({kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                      "--no-first-run", "--disable-background-networking", "--disable-component-update",
                      "--disable-sync", "--user-data-dir=" + profile.path().string(),
                      "--screenshot=" + png.string(), "--window-size=1200,900", "file://" + page.string()},
                     folder / "chromium.log", std::chrono::seconds(120));
  ASSERT_EQ(status, 0) << "see " << (folder / "chromium.log");

  ASSERT_TRUE(fs::exists(png)) << png;
  const auto bytes = fileBytes(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(bytes.substr(12, 4), "IHDR");
  EXPECT_EQ(bigEndian32(bytes, 16), 1200u);
  EXPECT_EQ(bigEndian32(bytes, 20), 900u);
  // A blank or nearly blank page compresses to a few kilobytes; a table of
  // Chinese text does not.
  EXPECT_GT(bytes.size(), 20'000u) << png;
}

}  // namespace
}  // namespace quillon::test
