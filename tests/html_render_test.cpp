// The compliance-check page as a browser shows it: acc2Html on the demo
// library with the installed default style sheet, rendered by headless
// Chromium to a PNG under the build tree (tests/html_render/).
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli_support.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;
constexpr auto npos = std::string::npos;
constexpr const char* kChromium = "/usr/bin/chromium";

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text)
    out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
  return out;
}

class HtmlRenderTest : public HomeTest {
 protected:
  void SetUp() override { open(true); }

  // The page of one owner: HTML5 in Chinese that shows every check it has
  // and no other.
  std::string page(std::int16_t ori, std::int32_t id, const std::string& checksSql) {
    std::string html;
    EXPECT_TRUE(obj->acc2Html(ori, id, html));
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u) << html.substr(0, 80);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), npos);
    EXPECT_EQ(html.find("charset="), html.rfind("charset=")) << "one encoding declaration only";
    EXPECT_NE(html.find("<html lang=\"zh-CN\">"), npos);
    const auto texts = rows(checksSql);
    EXPECT_NE(html.find(fmt::format("共 {} 项", texts.size())), npos);
    for (const auto& text : texts) EXPECT_NE(html.find(escaped(text)), npos) << text;
    return html;
  }
};

TEST_F(HtmlRenderTest, PagesAreHtml5WithEveryCheckAndRenderInChromium) {
  page(2, 21, "SELECT CONTENT FROM T_ACCORDED_CHECK_INFO WHERE RESOURCE_ID = 21");
  const auto html = page(1, 1, "SELECT CONTENT FROM T_ACCORDED_CHECK WHERE PROJECT_ID = 1");
  EXPECT_TRUE(host.shown.empty());

  const auto folder = fs::read_symlink("/proc/self/exe").parent_path() / "html_render";
  fs::create_directories(folder);
  const auto file = folder / "compliance_checks.html", png = folder / "compliance_checks.png";
  const auto log = folder / "chromium.log";
  std::ofstream(file, std::ios::binary | std::ios::trunc) << html;
  fs::remove(png);
  if (!fs::exists(kChromium)) GTEST_SKIP() << kChromium << " is not installed (apt-get install chromium)";
  const TempDir profile;
  // timeout runs the browser in a process group of its own and ends it when it
  // takes too long; helpers that outlive the browser end with that group.
  const auto command = fmt::format(
      "timeout -k 5 120 {} --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync --user-data-dir={} "
      "--screenshot={} --window-size=1200,900 file://{} >{} 2>&1 & "
      "p=$!; wait $p; s=$?; kill -9 -$p 2>/dev/null; exit $s",
      kChromium, shellQuote(profile.path().string()), shellQuote(png.string()), shellQuote(file.string()),
      shellQuote(log.string()));
  ASSERT_EQ(std::system(command.c_str()), 0) << "see " << log;

  std::ifstream in(png, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_GT(bytes.size(), 24u) << png;
  // The signature, then the header chunk: width 1200 and height 900, big-endian.
  EXPECT_EQ(bytes.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\x04\xb0\0\0\x03\x84", 8));
  // A blank or nearly blank page compresses to a few kilobytes; a table of
  // Chinese text does not.
  EXPECT_GT(bytes.size(), 20'000u) << png;
}

}  // namespace
}  // namespace quillon::test
