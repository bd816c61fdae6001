#include "platform/package_reader.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>

#include "platform/error_kinds.h"
#include "platform/libxml_module.h"
#include "quillon/error.h"

namespace quillon::platform::xml {
namespace {

class OpenFile {
 public:
  explicit OpenFile(const std::filesystem::path& file) : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0)
      throw Error(kindOfErrno(errno),
                  fmt::format("cannot read the package {}: {}", file.string(), std::strerror(errno)));
  }
  ~OpenFile() { ::close(fd_); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// The visitor behind the module's C callbacks: an exception stops the reading
// and is thrown again once the parser has let go.
struct Bridge {
  explicit Bridge(RecordVisitor& v, PackageOutline* o = nullptr) : visitor(v), outline(o) {}
  RecordVisitor& visitor;
  PackageOutline* outline = nullptr;  // filled in the whole-package pass
  std::exception_ptr failure;
  std::vector<Field> fields;

  static Bridge& of(void* context) { return *static_cast<Bridge*>(context); }

  static int table(void* context, const char* name, size_t size, uint64_t tagEnd, int* want) {
    Bridge& b = of(context);
    try {
      const std::string_view n(name, size);
      if (b.outline) b.outline->tables.push_back({std::string(n), tagEnd, 0});
      *want = b.visitor.table(n) ? 1 : 0;
      return 0;
    } catch (...) {
      b.failure = std::current_exception();
      return 1;
    }
  }
  static int tableEnd(void* context, uint64_t end) {
    Bridge& b = of(context);
    if (b.outline && !b.outline->tables.empty()) b.outline->tables.back().end = end;
    return 0;
  }
  static int record(void* context, const QuillonXmlField* given, size_t count) {
    Bridge& b = of(context);
    try {
      b.fields.resize(count);
      for (size_t i = 0; i < count; ++i)
        b.fields[i] = {{given[i].name, given[i].nameSize}, {given[i].text, given[i].textSize}};
      b.visitor.record(b.fields);
      return 0;
    } catch (...) {
      b.failure = std::current_exception();
      return 1;
    }
  }

  QuillonPackageVisitor callbacks() { return {this, &Bridge::table, &Bridge::tableEnd, &Bridge::record}; }
};

// A byte-order mark or the first characters of a declaration in UTF-16 or
// UTF-32: a parser told the text is UTF-8 would only call it malformed.
bool looksWide(std::string_view text) {
  for (const std::string_view wide :
       {std::string_view("\xFE\xFF", 2), std::string_view("\xFF\xFE", 2), std::string_view("\0\0\xFE\xFF", 4),
        std::string_view("\0<", 2), std::string_view("<\0", 2)})
    if (text.substr(0, wide.size()) == wide) return true;
  return false;
}

// Whether the XML declaration, if there is one, names an encoding other
// than UTF-8. The declaration stands at the very start of the file.
bool declaresOtherThanUtf8(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.substr(0, 5) != "<?xml") return false;
  text = text.substr(0, text.find("?>"));
  const auto at = text.find("encoding");
  if (at == std::string_view::npos) return false;
  text.remove_prefix(at + 8);
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  if (text.empty() || text.front() != '=') return false;
  text.remove_prefix(1);
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  if (text.empty() || (text.front() != '"' && text.front() != '\'')) return true;
  const char quote = text.front();
  const auto end = text.find(quote, 1);
  std::string name(text.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name != "utf-8" && name != "utf8";
}

PackageParse outcomeOf(int status) {
  switch (status) {
    case QUILLON_READ_OK:
    case QUILLON_READ_NO_TABLE_ROOT:
      return PackageParse::Ok;
    case QUILLON_READ_NOT_UTF8:
      return PackageParse::NotUtf8;
    case QUILLON_READ_DOCTYPE:
      return PackageParse::HasDoctype;
    case QUILLON_READ_OUT_OF_MEMORY:
      return PackageParse::OutOfMemory;
    default:
      return PackageParse::NotWellFormed;
  }
}

}  // namespace

PackageOutline readPackage(const std::filesystem::path& file, RecordVisitor& visitor) {
  const auto read = libxmlModule().readPackage;
  const OpenFile in(file);
  PackageOutline outline;
  // The file's head: where a wide encoding or a declaration shows.
  std::array<char, 256> start{};
  const ssize_t got = ::pread(in.fd(), start.data(), start.size(), 0);
  const std::string_view head(start.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
  if (looksWide(head) || declaresOtherThanUtf8(head)) {
    outline.outcome = PackageParse::NotUtf8;
    return outline;
  }
  Bridge bridge(visitor, &outline);
  const QuillonPackageVisitor callbacks = bridge.callbacks();
  std::array<char, 512> detail{};
  const int status = read(in.fd(), 0, 0, nullptr, 0, 0, &callbacks, detail.data(), detail.size());
  if (bridge.failure) std::rethrow_exception(bridge.failure);
  if (status == QUILLON_READ_IO)
    throw Error(ErrorKind::IO, fmt::format("cannot read the package {}: {}", file.string(), detail.data()));
  outline.outcome = outcomeOf(status);
  outline.detail = detail.data();
  outline.tableRoot = status != QUILLON_READ_NO_TABLE_ROOT;
  if (!outline.tableRoot || outline.outcome != PackageParse::Ok) outline.tables.clear();
  return outline;
}

void readTable(const std::filesystem::path& file, const TableSpan& table, RecordVisitor& visitor) {
  const auto read = libxmlModule().readPackage;
  const OpenFile in(file);
  // The start tag ends in '>' or, for an element without content, "/>".
  char close = 0;
  if (::pread(in.fd(), &close, 1, static_cast<off_t>(table.tagEnd)) != 1 || (close != '>' && close != '/'))
    throw Error(ErrorKind::InvalidPackage,
                fmt::format("the package {} changed while it was being imported", file.string()));
  if (close == '/') {
    visitor.table(table.name);
    return;
  }
  Bridge bridge(visitor);
  const QuillonPackageVisitor callbacks = bridge.callbacks();
  const std::string startTag = "<" + table.name + ">";
  std::array<char, 512> detail{};
  const int status = read(in.fd(), table.tagEnd + 1, table.end, startTag.data(), startTag.size(), 1,
                          &callbacks, detail.data(), detail.size());
  if (bridge.failure) std::rethrow_exception(bridge.failure);
  if (status == QUILLON_READ_OUT_OF_MEMORY)
    throw Error(ErrorKind::Engine, fmt::format("out of memory while reading the package {}", file.string()));
  if (status != QUILLON_READ_OK)
    throw Error(
        ErrorKind::InvalidPackage,
        fmt::format("the package {} changed while it was being imported: {}", file.string(), detail.data()));
}

}  // namespace quillon::platform::xml
