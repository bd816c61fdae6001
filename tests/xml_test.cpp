// The XML layer: the package document's texts through save and load, names
// matched exactly, no DTD or entity ever expanded, and the XSLT transform that
// may build text and nothing more.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/xml.h"
#include "platform/xslt.h"
#include "quillon/error.h"
#include "test_support.h"

namespace fs = std::filesystem;
namespace xml = quillon::platform::xml;
using quillon::XmlDocument;
constexpr auto npos = std::string::npos;

namespace {

XmlDocument parsed(std::string_view text) {
  XmlDocument doc;
  EXPECT_TRUE(doc.loadText(text)) << text;
  return doc;
}

// A style sheet with these top-level elements; EXSLT elements are extensions.
XmlDocument sheet(const std::string& body, const std::string& version = "1.0") {
  return parsed("<xsl:stylesheet version=\"" + version +
                "\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" xmlns:exsl=\"http://exslt.org/common\""
                " extension-element-prefixes=\"exsl\">" +
                body + "</xsl:stylesheet>");
}

// What `call` returns, or "error: " and the description of the quillon::Error it throws.
template <class Call>
std::string outcome(Call call) {
  try {
    return call();
  } catch (const quillon::Error& e) {
    return "error: " + e.description();
  }
}

TEST(XmlTest, SavesRawUtf8AndLoadsEveryTextBack) {
  const quillon::test::TempDir dir;
  const auto file = dir.path() / "doc.xml";
  const std::vector<std::string> values = {"a<b>c&d", "中文", "\r", "a\r\nb", "", " ", "\"'"};
  XmlDocument doc = parsed("<Table>\r\n</Table>");
  const auto record =
      xml::appendElement(xml::appendElement(xml::documentElement(doc), "T", "\r"), "Record", "");
  for (const auto& value : values) xml::appendElement(record, "F", value);
  // A declaration, no indentation, characters as they are but markup.
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Table>\r\n<T>\r<Record><F>a&lt;b&gt;c&amp;d</F><F>中文</F>"
      "<F>\r</F><F>a\r\nb</F><F/><F> </F><F>\"'</F></Record></T></Table>";
  EXPECT_EQ(doc.toString(), expected);
  std::ofstream(file) << std::string(500, 'x');  // a longer file is replaced
  doc.saveFile(file);
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
  XmlDocument back;
  ASSERT_TRUE(back.loadFile(file));
  const auto fields =
      xml::selectChildren(xml::firstChild(xml::firstChild(xml::documentElement(back), "T"), "Record"), "F");
  ASSERT_EQ(fields.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(xml::text(fields[i]), values[i]) << i;

  // A save that cannot finish leaves what stood there and no stray file.
  fs::create_directories(dir.path() / "busy" / "inside");
  EXPECT_THROW(doc.saveFile(dir.path() / "busy"), quillon::Error);
  EXPECT_TRUE(fs::is_directory(dir.path() / "busy" / "inside"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);  // doc.xml, busy

  const auto missing = (dir.path() / "missing" / "out.xml").string();
  const auto failure = outcome([&] { return doc.saveFile(missing), std::string(); });
  EXPECT_EQ(failure.find("error: "), 0u) << failure;
  EXPECT_NE(failure.find(missing), npos) << failure;
}

TEST(XmlTest, NeverProcessesDoctypeOrEntities) {
  const quillon::test::TempDir dir;
  std::ofstream(dir.path() / "secret.txt") << "TOPSECRET";
  XmlDocument doc;
  ASSERT_TRUE(doc.loadText("<!DOCTYPE x [<!ENTITY e SYSTEM \"" + (dir.path() / "secret.txt").string() +
                           "\"><!ENTITY p SYSTEM \"file:///etc/passwd\"><!ENTITY i \"INNER\">]>"
                           "<x>&e;&p;&i;&lt;&amp;&#x4E2D;&#13;</x>"));
  // Undeclared for us, the references stay literal text.
  EXPECT_EQ(xml::text(xml::documentElement(doc)), "&e;&p;&i;<&中\r");
  const auto out = doc.toString();
  EXPECT_EQ(out.find("TOPSECRET"), npos);
  EXPECT_EQ(out.find("DOCTYPE"), npos);
  // The transform parses the text again: still nothing is expanded.
  EXPECT_EQ(xml::transform(xml::documentElement(doc), sheet("<xsl:output method=\"text\"/>")),
            "&e;&p;&i;<&中\n");
}

TEST(XmlTest, FailedLoadEmptiesTheDocumentAndNodesSurviveAMove) {
  XmlDocument doc = parsed("<a/>");
  EXPECT_FALSE(doc.loadText("<a><b></a>"));
  EXPECT_TRUE(doc.empty());
  doc = parsed("<a/>");
  EXPECT_FALSE(doc.loadFile("/nonexistent/nope.xml"));
  EXPECT_TRUE(doc.empty());
  EXPECT_FALSE(doc.loadText(""));

  doc = parsed("<Table/>");
  const auto root = xml::documentElement(doc);
  XmlDocument moved(std::move(doc));
  xml::appendElement(root, "T", "");
  EXPECT_TRUE(xml::firstChild(xml::documentElement(moved), "T"));
}

TEST(XmlTest, ChildrenByExactNameTextOfTheSubtreeAndNewContent) {
  const auto doc = parsed(
      "<r><Bookmarks_Name>1</Bookmarks_Name><x>old<Bookmarks_Name>n</Bookmarks_Name></x>"
      "<BOOKMARKS_NAME>u</BOOKMARKS_NAME>text<Bookmarks_Name>2<![CDATA[<z>]]></Bookmarks_Name></r>");
  const auto root = xml::documentElement(doc);
  const auto found = xml::selectChildren(root, "Bookmarks_Name");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(xml::text(found[0]) + xml::text(found[1]), "12<z>");
  EXPECT_TRUE(xml::selectChildren(root, "bookmarks_name").empty());
  EXPECT_FALSE(xml::firstChild(root, "bookmarks_name"));
  EXPECT_EQ(xml::text(xml::firstChild(root, "BOOKMARKS_NAME")), "u");
  EXPECT_EQ(xml::text(root), "1oldnutext2<z>");

  const auto x = xml::firstChild(root, "x");
  xml::setText(x, "new");
  EXPECT_EQ(xml::outerXml(x), "<x>new</x>");
  xml::setText(x, "");
  EXPECT_FALSE(x.first_child());
  EXPECT_THROW(xml::setText(pugi::xml_node(), "x"), quillon::Error);

  const auto e = xml::appendElement(x, "E", " ");
  xml::appendElement(x, "Z", "");
  EXPECT_EQ(xml::outerXml(x), "<x><E> </E><Z/></x>");
  EXPECT_EQ(x.last_child().previous_sibling(), e);
  for (const auto* bad : {"", "a b", "1a", "a<b", "a&b"})
    EXPECT_THROW(xml::appendElement(x, bad, "x"), quillon::Error) << bad;
  EXPECT_THROW(xml::appendElement(pugi::xml_node(), "A", "x"), quillon::Error);
}

// --- transform ---

TEST(XmlTest, TransformWorksOnTheSubtreeAndAnswersInUtf8) {
  const auto doc =
      parsed("<Table><T><Record><A>x &amp; 中</A></Record><Record><A>y</A></Record></T></Table>");
  const auto style = sheet(
      "<xsl:output method=\"html\"/><xsl:template match=\"/T\"><table><xsl:for-each select=\"Record\">"
      "<tr><td><xsl:value-of select=\"A\"/></td></tr></xsl:for-each></table></xsl:template>");
  EXPECT_EQ(xml::transform(xml::firstChild(xml::documentElement(doc), "T"), style),
            "<table>\n<tr><td>x &amp; 中</td></tr>\n<tr><td>y</td></tr>\n</table>\n");
  // The root element is not /T, so only built-in rules apply: the text.
  EXPECT_EQ(xml::transform(xml::documentElement(doc), style), "x &amp; 中y\n");
  const auto gb2312 = sheet(
      "<xsl:output method=\"xml\" encoding=\"GB2312\"/>"
      "<xsl:template match=\"/\"><r><xsl:value-of select=\"A\"/></r></xsl:template>");
  EXPECT_EQ(xml::transform(xml::documentElement(parsed("<A>中文</A>")), gb2312),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>中文</r>\n");
}

TEST(XmlTest, TransformReportsBadStyleSheets) {
  const auto doc = parsed("<A>x</A>");
  const auto root = xml::documentElement(doc);
  EXPECT_THROW(xml::transform(root, XmlDocument()), quillon::Error);
  EXPECT_THROW(xml::transform(root, parsed("<html>no style sheet</html>")), quillon::Error);
  EXPECT_THROW(
      xml::transform(root, sheet("<xsl:template match=\"/\"><xsl:value-of select=\"((\"/></xsl:template>")),
      quillon::Error);
  const auto stop = outcome([&] {
    return xml::transform(root, sheet("<xsl:template match=\"/\"><xsl:message terminate=\"yes\">STOP-HERE"
                                      "</xsl:message></xsl:template>"));
  });
  EXPECT_EQ(stop.rfind("error: ", 0), 0u) << stop;
  EXPECT_NE(stop.find("STOP-HERE"), npos) << stop;
}

TEST(XmlTest, StyleSheetCannotReadOrWriteFiles) {
  const quillon::test::TempDir dir;
  std::ofstream(dir.path() / "secret.xml") << "<s>TOPSECRET</s>";
  const auto written = dir.path() / "written.html";
  std::vector<std::string> bodies;
  for (const auto& uri : {"file://" + (dir.path() / "secret.xml").string(), std::string("file:///etc/passwd"),
                          std::string("http://127.0.0.1:9/x.xml")})
    bodies.push_back("<xsl:copy-of select=\"document('" + uri + "')\"/>");
  // Every way of writing a result document: XSLT 1.1, 2.0 and EXSLT.
  for (const std::string element : {"xsl:document", "xsl:result-document", "exsl:document"})
    bodies.push_back("X<" + element + " href=\"" + written.string() + "\">leak</" + element + ">");
  const auto doc = parsed("<A>x</A>");
  for (const auto& body : bodies) {
    // Refusing the transform is as good as reading nothing.
    const auto out = outcome([&] {
      return xml::transform(xml::documentElement(doc),
                            sheet("<xsl:template match=\"/\">" + body + "</xsl:template>", "1.1"));
    });
    EXPECT_EQ(out.find("TOPSECRET"), npos) << out;
    EXPECT_EQ(out.find("root:"), npos) << out;
    EXPECT_FALSE(fs::exists(written)) << body;
  }
}

TEST(XmlTest, TransformsRunConcurrently) {
  const auto doc = parsed("<A>x</A>");
  const auto style = sheet(
      "<xsl:output method=\"text\"/><xsl:template match=\"A\">[<xsl:value-of select=\".\"/>]</xsl:template>");
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20; ++i) EXPECT_EQ(xml::transform(xml::documentElement(doc), style), "[x]");
    });
  for (auto& thread : threads) thread.join();
}

}  // namespace
