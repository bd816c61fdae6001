#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#include "platform/xml.h"
#include "platform/xslt.h"
#include "quillon/error.h"

namespace fs = std::filesystem;
namespace xml = quillon::platform::xml;
using quillon::XmlDocument;

namespace {

constexpr const char* kHead =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">";

XmlDocument sheet(const std::string& body) {
  XmlDocument doc;
  EXPECT_TRUE(doc.loadText(kHead + body + "</xsl:stylesheet>"));
  return doc;
}

class XmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quillon_xml_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static XmlDocument parsed(std::string_view text) {
    XmlDocument doc;
    EXPECT_TRUE(doc.loadText(text)) << text;
    return doc;
  }
  XmlDocument reloaded(const XmlDocument& doc) const {
    doc.saveFile(dir_ / "doc.xml");
    XmlDocument back;
    EXPECT_TRUE(back.loadFile(dir_ / "doc.xml"));
    return back;
  }
  fs::path dir_;
};

TEST_F(XmlTest, FieldTextsSurviveSaveAndLoad) {
  const std::vector<std::string> values = {"a<b>c&d", "中文标书", "\r", "a\r\nb", "", " ", "\"'"};
  XmlDocument doc = parsed("<Table>\r\n</Table>");
  const auto record = xml::appendElement(xml::documentElement(doc), "Record", "");
  for (const auto& value : values) xml::appendElement(record, "F", value);

  const auto back = reloaded(doc);
  for (const XmlDocument* loaded : {&std::as_const(doc), &back}) {
    const auto record = xml::firstChild(xml::documentElement(*loaded), "Record");
    const auto fields = xml::selectChildren(record, "F");
    ASSERT_EQ(fields.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(xml::text(fields[i]), values[i]) << i;
  }
}

TEST_F(XmlTest, SavesRawUtf8WithDeclarationAndReplacesTheFile) {
  std::ofstream(dir_ / "doc.xml") << std::string(500, 'x');
  XmlDocument doc = parsed("<Table>\r\n</Table>");
  const auto back = reloaded(doc);
  EXPECT_FALSE(back.empty());
  EXPECT_TRUE(xml::selectChildren(xml::documentElement(back), "Record").empty());
  EXPECT_EQ(std::string(xml::documentElement(back).name()), "Table");

  const auto table = xml::appendElement(xml::documentElement(doc), "T_X", "\r");
  xml::appendElement(xml::appendElement(table, "Record", ""), "A", "中");
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Table>\r\n<T_X>\r<Record><A>中</A></Record></T_X></Table>";
  EXPECT_EQ(doc.toString(), expected);
  doc.saveFile(dir_ / "doc.xml");
  std::ifstream in(dir_ / "doc.xml", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
}

TEST_F(XmlTest, SaveFailureNamesThePath) {
  const auto target = dir_ / "missing" / "out.xml";
  try {
    parsed("<Table/>").saveFile(target);
    FAIL() << "no error";
  } catch (const quillon::Error& e) {
    EXPECT_NE(e.description().find(target.string()), std::string::npos) << e.description();
  }
}

TEST_F(XmlTest, NeverProcessesDoctypeOrEntities) {
  std::ofstream(dir_ / "secret.txt") << "TOPSECRET";
  const auto text = "<!DOCTYPE x [<!ENTITY e SYSTEM \"" + (dir_ / "secret.txt").string() +
                    "\"><!ENTITY p SYSTEM \"file:///etc/passwd\"><!ENTITY i \"INNER\">]>"
                    "<x>&e;&p;&i;&lt;&amp;&#x4E2D;&#13;</x>";
  XmlDocument doc;
  ASSERT_TRUE(doc.loadText(text));
  // Undeclared for us, the references stay literal text.
  EXPECT_EQ(xml::text(xml::documentElement(doc)), "&e;&p;&i;<&中\r");
  const auto out = doc.toString();
  EXPECT_EQ(out.find("TOPSECRET"), std::string::npos);
  EXPECT_EQ(out.find("DOCTYPE"), std::string::npos);
  // The transform parses the text again: still nothing is expanded.
  const auto copied = xml::transform(xml::documentElement(doc), sheet("<xsl:output method=\"text\"/>"));
  EXPECT_EQ(copied, "&e;&p;&i;<&中\n");
}

TEST_F(XmlTest, FailedLoadLeavesTheDocumentEmpty) {
  XmlDocument doc = parsed("<a/>");
  EXPECT_FALSE(doc.loadText("<a><b></a>"));
  EXPECT_TRUE(doc.empty());
  doc = parsed("<a/>");
  EXPECT_FALSE(doc.loadFile(dir_ / "nope.xml"));
  EXPECT_TRUE(doc.empty());
  EXPECT_FALSE(doc.loadText(""));
}

TEST_F(XmlTest, NodesSurviveMovingTheDocument) {
  XmlDocument doc = parsed("<Table/>");
  const auto root = xml::documentElement(doc);
  XmlDocument moved(std::move(doc));
  xml::appendElement(root, "T", "");
  EXPECT_TRUE(xml::firstChild(xml::documentElement(moved), "T"));
}

TEST_F(XmlTest, SelectsChildElementsByExactName) {
  const auto doc = parsed(
      "<r><Bookmarks_Name>1</Bookmarks_Name><x><Bookmarks_Name>n</Bookmarks_Name></x>"
      "<BOOKMARKS_NAME>u</BOOKMARKS_NAME>text<Bookmarks_Name>2</Bookmarks_Name></r>");
  const auto root = xml::documentElement(doc);
  const auto found = xml::selectChildren(root, "Bookmarks_Name");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(xml::text(found[0]) + xml::text(found[1]), "12");
  EXPECT_TRUE(xml::selectChildren(root, "bookmarks_name").empty());
  EXPECT_FALSE(xml::firstChild(root, "bookmarks_name"));
  EXPECT_EQ(xml::text(xml::firstChild(root, "BOOKMARKS_NAME")), "u");
  EXPECT_EQ(xml::text(root), "1nutext2");
  EXPECT_EQ(xml::text(xml::documentElement(parsed("<a>x<b>y<![CDATA[<z>]]></b><c/>w</a>"))), "xy<z>w");
}

TEST_F(XmlTest, SetTextAndAppendElement) {
  auto doc = parsed("<r><a>old<b>kid</b></a></r>");
  const auto a = xml::firstChild(xml::documentElement(doc), "a");
  xml::setText(a, "new");
  EXPECT_EQ(xml::outerXml(a), "<a>new</a>");
  xml::setText(a, "");
  EXPECT_FALSE(a.first_child());
  EXPECT_THROW(xml::setText(pugi::xml_node(), "x"), quillon::Error);

  const std::string longName(100, 'N');
  const auto e = xml::appendElement(a, longName, " ");
  xml::appendElement(a, "Z", "");
  EXPECT_EQ(xml::outerXml(a), "<a><" + longName + "> </" + longName + "><Z/></a>");
  EXPECT_EQ(a.last_child().previous_sibling(), e);
  for (const auto* bad : {"", "a b", "1a", "a<b", "a&b"}) {
    EXPECT_THROW(xml::appendElement(a, bad, "x"), quillon::Error) << bad;
  }
  EXPECT_THROW(xml::appendElement(pugi::xml_node(), "A", "x"), quillon::Error);
}

// --- transform ---

TEST_F(XmlTest, TransformProducesHtmlFromTheSubtree) {
  const auto doc =
      parsed("<Table><T><Record><A>x &amp; 中</A></Record><Record><A>y</A></Record></T></Table>");
  const auto style = sheet(
      "<xsl:output method=\"html\"/><xsl:template match=\"/T\"><table>"
      "<xsl:for-each select=\"Record\"><tr><td><xsl:value-of select=\"A\"/></td></tr>"
      "</xsl:for-each></table></xsl:template>");
  const auto t = xml::firstChild(xml::documentElement(doc), "T");
  EXPECT_EQ(xml::transform(t, style),
            "<table>\n<tr><td>x &amp; 中</td></tr>\n<tr><td>y</td></tr>\n</table>\n");
  // The root element is not /T, so only built-in rules apply: the text.
  EXPECT_EQ(xml::transform(xml::documentElement(doc), style), "x &amp; 中y\n");
}

TEST_F(XmlTest, TransformAlwaysAnswersInUtf8) {
  const auto doc = parsed("<A>中文</A>");
  const auto out =
      xml::transform(xml::documentElement(doc),
                     sheet("<xsl:output method=\"xml\" encoding=\"GB2312\"/>"
                           "<xsl:template match=\"/\"><r><xsl:value-of select=\"A\"/></r></xsl:template>"));
  EXPECT_EQ(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>中文</r>\n");
}

TEST_F(XmlTest, TransformReportsBadStyleSheets) {
  const auto doc = parsed("<A>x</A>");
  const auto root = xml::documentElement(doc);
  EXPECT_THROW(xml::transform(root, XmlDocument()), quillon::Error);
  EXPECT_THROW(xml::transform(root, parsed("<html>no style sheet</html>")), quillon::Error);
  EXPECT_THROW(
      xml::transform(root, sheet("<xsl:template match=\"/\"><xsl:value-of select=\"((\"/></xsl:template>")),
      quillon::Error);
  try {
    xml::transform(root,
                   sheet("<xsl:template match=\"/\"><xsl:message terminate=\"yes\">STOP-HERE</xsl:message>"
                         "</xsl:template>"));
    FAIL() << "no error";
  } catch (const quillon::Error& e) {
    EXPECT_NE(e.description().find("STOP-HERE"), std::string::npos) << e.description();
  }
}

TEST_F(XmlTest, StyleSheetCannotReadOrWriteFiles) {
  std::ofstream(dir_ / "secret.xml") << "<s>TOPSECRET</s>";
  const auto doc = parsed("<A>x</A>");
  const auto root = xml::documentElement(doc);
  const auto url = "file://" + (dir_ / "secret.xml").string();
  for (const auto* uri : {url.c_str(), "file:///etc/passwd", "http://127.0.0.1:9/x.xml"}) {
    try {
      const auto out = xml::transform(
          root, sheet(std::string("<xsl:template match=\"/\"><xsl:copy-of select=\"document('") + uri +
                      "')\"/></xsl:template>"));
      EXPECT_EQ(out.find("TOPSECRET"), std::string::npos);
      EXPECT_EQ(out.find("root:"), std::string::npos);
    } catch (const quillon::Error&) {
    }
  }
  // Every way of writing a result document, XSLT 1.1, 2.0 and EXSLT.
  const auto written = dir_ / "written.html";
  for (const std::string element : {"xsl:document", "xsl:result-document", "exsl:document"}) {
    XmlDocument style;
    ASSERT_TRUE(
        style.loadText("<xsl:stylesheet version=\"1.1\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
                       "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\">"
                       "<xsl:template match=\"/\">X<" +
                       element + " href=\"" + written.string() + "\">leak</" + element +
                       "></xsl:template></xsl:stylesheet>"));
    try {
      xml::transform(root, style);
    } catch (const quillon::Error&) {
    }
    EXPECT_FALSE(fs::exists(written)) << element;
  }
}

TEST_F(XmlTest, TransformsRunConcurrently) {
  const auto doc = parsed("<A>x</A>");
  const auto style = sheet(
      "<xsl:output method=\"text\"/><xsl:template match=\"A\">[<xsl:value-of select=\".\"/>]</xsl:template>");
  std::vector<std::string> results(8);
  std::vector<std::thread> threads;
  for (auto& result : results) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20; ++i) result += xml::transform(xml::documentElement(doc), style);
    });
  }
  for (auto& thread : threads) thread.join();
  std::string expected;
  for (int i = 0; i < 20; ++i) expected += "[x]";
  for (const auto& result : results) EXPECT_EQ(result, expected);
}

}  // namespace
