// The XSLT processor, built as a module of its own (libquillon_libxml.so, which also reads packages) and
// loaded by the library only when a transform runs: libxslt, libxml2 and ICU
// cost every other command a few milliseconds of start-up otherwise.
#include "platform/libxml/module.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlstring.h>
#include <libxslt/imports.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <fmt/core.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

#include "quillon/error.h"

namespace quillon::platform::xml {
namespace {

// The processor reports through callbacks; each transform collects what its
// own thread reports, so concurrent transforms do not mix their messages.
thread_local std::string* collectedMessages = nullptr;

void appendFormatted(const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return;
  auto& out = *collectedMessages;
  const auto start = out.size();
  out.resize(start + static_cast<size_t>(length) + 1);
  std::vsnprintf(out.data() + start, static_cast<size_t>(length) + 1, format, args);
  out.resize(start + static_cast<size_t>(length));
}

void collectGeneric(void*, const char* format, ...) {
  if (collectedMessages == nullptr) return;
  va_list args;
  va_start(args, format);
  appendFormatted(format, args);
  va_end(args);
}

#if LIBXML_VERSION >= 21200
void collectStructured(void*, const xmlError* error) {
#else
void collectStructured(void*, xmlErrorPtr error) {
#endif
  if (collectedMessages == nullptr || error == nullptr || error->message == nullptr) return;
  auto& out = *collectedMessages;
  if (error->line > 0) out += "line " + std::to_string(error->line) + ": ";
  out += error->message;
}

struct SecurityPrefsDeleter {
  void operator()(xsltSecurityPrefs* prefs) const { xsltFreeSecurityPrefs(prefs); }
};
using SecurityPrefs = std::unique_ptr<xsltSecurityPrefs, SecurityPrefsDeleter>;

// A style sheet is code from a document: it may build text, nothing more.
SecurityPrefs setUpLibraries() {
  xmlInitParser();
  xsltInit();
  xsltSetGenericErrorFunc(nullptr, collectGeneric);
  SecurityPrefs prefs(xsltNewSecurityPrefs());
  if (!prefs) return prefs;
  for (const auto option : {XSLT_SECPREF_READ_FILE, XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                            XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK}) {
    xsltSetSecurityPrefs(prefs.get(), option, xsltSecurityForbid);
  }
  return prefs;
}

// The libraries' global state is set up once per process, by whichever thread
// transforms first (a function-local static is initialised exactly once). The security prefs
// also become the default, which is what guards xsl:import and xsl:include
// while a style sheet compiles (there is no context yet to attach them to).
class Processor {
 public:
  static xsltSecurityPrefs* securityPrefs() {
    static Processor processor;
    return processor.prefs_.get();
  }

 private:
  Processor() : prefs_(setUpLibraries()) { xsltSetDefaultSecurityPrefs(prefs_.get()); }
  ~Processor() {
    if (xsltGetDefaultSecurityPrefs() == prefs_.get()) xsltSetDefaultSecurityPrefs(nullptr);
  }

  SecurityPrefs prefs_;
};

// Routes the calling thread's libxml2 reports (parser and XPath errors) into
// `messages` for the lifetime of the object, then restores what was there.
class MessageCollector {
 public:
  MessageCollector()
      : previousSink_(collectedMessages),
        previousGeneric_(xmlGenericError),
        previousGenericContext_(xmlGenericErrorContext),
        previousStructured_(xmlStructuredError),
        previousStructuredContext_(xmlStructuredErrorContext) {
    collectedMessages = &messages_;
    xmlSetGenericErrorFunc(nullptr, collectGeneric);
    xmlSetStructuredErrorFunc(nullptr, collectStructured);
  }
  ~MessageCollector() {
    xmlSetStructuredErrorFunc(previousStructuredContext_, previousStructured_);
    xmlSetGenericErrorFunc(previousGenericContext_, previousGeneric_);
    collectedMessages = previousSink_;
  }
  MessageCollector(const MessageCollector&) = delete;
  MessageCollector& operator=(const MessageCollector&) = delete;

  [[noreturn]] void fail(std::string_view what) const {
    std::string description(what);
    auto detail = messages_;
    while (!detail.empty() && (detail.back() == '\n' || detail.back() == ' ')) detail.pop_back();
    // Each report ends in a line break; one line reads better in a message.
    for (auto at = detail.find('\n'); at != std::string::npos; at = detail.find('\n', at)) {
      detail.replace(at, 1, "; ");
    }
    if (!detail.empty()) description += ": " + detail;
    throw Error(description);
  }

 private:
  std::string messages_;
  std::string* previousSink_;
  xmlGenericErrorFunc previousGeneric_;
  void* previousGenericContext_;
  xmlStructuredErrorFunc previousStructured_;
  void* previousStructuredContext_;
};

struct DocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct StylesheetDeleter {
  void operator()(xsltStylesheet* style) const { xsltFreeStylesheet(style); }
};
struct ContextDeleter {
  void operator()(xsltTransformContext* context) const { xsltFreeTransformContext(context); }
};
struct XmlCharDeleter {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using Doc = std::unique_ptr<xmlDoc, DocDeleter>;
using Stylesheet = std::unique_ptr<xsltStylesheet, StylesheetDeleter>;
using Context = std::unique_ptr<xsltTransformContext, ContextDeleter>;
using XmlText = std::unique_ptr<xmlChar, XmlCharDeleter>;

// No external DTD, no entity substitution, no network: the texts come from
// our own serializer, but nothing in them gets to reach outside the process.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA;

Doc parse(const std::string& text, const MessageCollector& messages, std::string_view what) {
  if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    throw Error(fmt::format("{}: the text is too large", what));
  }
  Doc doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8", kParseOptions));
  if (!doc) messages.fail(what);
  return doc;
}

Stylesheet compile(const std::string& source, const MessageCollector& messages) {
  auto doc = parse(source, messages, "the style sheet is not well-formed XML");
  // On success the style sheet owns the document; on failure it is still ours.
  Stylesheet style(xsltParseStylesheetDoc(doc.get()));
  if (!style) messages.fail("the style sheet does not compile");
  doc.release();
  return style;
}

// The result is handed back as a UTF-8 string whatever encoding xsl:output
// names; the serializer writes that name into the declaration or the HTML
// meta element, so it is made to say what the bytes really are.
void outputAsUtf8(xsltStylesheet* style) {
  for (auto* current = style; current != nullptr; current = xsltNextImport(current)) {
    if (current->encoding == nullptr) continue;
    if (xmlStrcasecmp(current->encoding, BAD_CAST "UTF-8") == 0) continue;
    xmlFree(current->encoding);
    current->encoding = xmlStrdup(BAD_CAST "UTF-8");
  }
}

}  // namespace

std::string transformText(const std::string& source, const std::string& styleText) {
  auto* const prefs = Processor::securityPrefs();
  if (prefs == nullptr) throw Error("the XSLT processor cannot be set up");

  const MessageCollector messages;
  const auto style = compile(styleText, messages);
  const auto input = parse(source, messages, "the document to transform is not valid XML");

  const Context context(xsltNewTransformContext(style.get(), input.get()));
  if (!context) messages.fail("cannot start the XSLT transform");
  if (xsltSetCtxtSecurityPrefs(prefs, context.get()) != 0) {
    messages.fail("cannot restrict the XSLT transform");
  }
  const Doc result(
      xsltApplyStylesheetUser(style.get(), input.get(), nullptr, nullptr, nullptr, context.get()));
  if (!result || context->state != XSLT_STATE_OK) messages.fail("the XSLT transform failed");

  outputAsUtf8(style.get());
  xmlChar* raw = nullptr;
  int length = 0;
  const int status = xsltSaveResultToString(&raw, &length, result.get(), style.get());
  const XmlText text(raw);
  if (status != 0) messages.fail("cannot serialize the XSLT result");
  if (!text || length <= 0) return {};
  return std::string(reinterpret_cast<const char*>(text.get()), static_cast<size_t>(length));
}

}  // namespace quillon::platform::xml

extern "C" __attribute__((visibility("default"))) int quillon_xslt_transform(const char* source,
                                                                             size_t sourceSize,
                                                                             const char* style,
                                                                             size_t styleSize, char** result,
                                                                             size_t* resultSize) {
  std::string out;
  int status = 0;
  try {
    out =
        quillon::platform::xml::transformText(std::string(source, sourceSize), std::string(style, styleSize));
  } catch (const std::exception& e) {
    out = e.what();
    status = 1;
  } catch (...) {
    out = "the XSLT transform failed";
    status = 1;
  }
  *result = static_cast<char*>(std::malloc(out.size() + 1));
  if (!*result) return 2;
  std::memcpy(*result, out.data(), out.size() + 1);
  *resultSize = out.size();
  return status;
}
