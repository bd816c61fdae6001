#include "platform/xml.h"

#include <fmt/core.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/utf8.h"
#include "quillon/error.h"

namespace quillon::platform::xml {
namespace {

bool isCharacterData(pugi::xml_node node) {
  const auto type = node.type();
  return type == pugi::node_pcdata || type == pugi::node_cdata;
}

bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The writer does not check names, so a bad one would only show up as a file
// that no reader can load. Bytes of multi-byte UTF-8 sequences are accepted as
// they are: the names we write are ASCII, and this is a guard, not a validator.
bool isElementName(std::string_view name) {
  if (name.empty()) return false;
  const auto first = static_cast<unsigned char>(name.front());
  if (!isAsciiLetter(first) && first != '_' && first != ':' && first < 0x80) return false;
  for (const char ch : name.substr(1)) {
    const auto c = static_cast<unsigned char>(ch);
    const bool ok = isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == ':' || c == '-' ||
                    c == '.' || c >= 0x80;
    if (!ok) return false;
  }
  return true;
}

}  // namespace

// Compared in place, stopping at the first byte that differs: measuring
// every sibling's name first (or a library call per sibling) would cost more
// than the comparison, and an import looks columns up in every record.
bool isElementCalled(pugi::xml_node node, std::string_view name) {
  if (node.type() != pugi::node_element) return false;
  const char* own = node.name();
  for (const char c : name) {
    if (*own != c) return false;
    ++own;
  }
  return *own == '\0';
}

pugi::xml_node documentElement(const XmlDocument& document) { return native(document).document_element(); }

std::vector<pugi::xml_node> selectChildren(pugi::xml_node parent, std::string_view name) {
  std::vector<pugi::xml_node> found;
  for (auto child = parent.first_child(); child; child = child.next_sibling()) {
    if (isElementCalled(child, name)) found.push_back(child);
  }
  return found;
}

pugi::xml_node firstChild(pugi::xml_node parent, std::string_view name) {
  for (auto child = parent.first_child(); child; child = child.next_sibling()) {
    if (isElementCalled(child, name)) return child;
  }
  return {};
}

std::string text(pugi::xml_node node) {
  if (isCharacterData(node)) return node.value();
  // A field element holds a single text node: no need to walk.
  const auto first = node.first_child();
  if (first && !first.next_sibling() && isCharacterData(first)) return first.value();

  std::string out;
  auto current = first;
  while (current) {
    if (isCharacterData(current)) out += current.value();
    if (const auto child = current.first_child()) {
      current = child;
      continue;
    }
    while (current != node && !current.next_sibling()) current = current.parent();
    if (current == node) break;
    current = current.next_sibling();
  }
  return out;
}

void setText(pugi::xml_node node, std::string_view value) {
  std::string cleaned;
  if (utf8::cleanForXml(value, cleaned)) value = cleaned;
  if (isCharacterData(node)) {
    node.set_value(value.data(), value.size());
    return;
  }
  if (!node) throw Error(ErrorKind::InvalidInput, "cannot set the text of a null XML node");
  node.remove_children();
  if (value.empty()) return;
  auto data = node.append_child(pugi::node_pcdata);
  if (!data)
    throw Error(ErrorKind::InvalidInput, fmt::format("the XML node '{}' cannot hold text", node.name()));
  data.set_value(value.data(), value.size());
}

pugi::xml_node appendElement(pugi::xml_node parent, std::string_view name, std::string_view value,
                             std::size_t* replaced) {
  requireElementName(name);
  auto element = parent.append_child(pugi::node_element);
  if (!element) {
    throw Error(ErrorKind::InvalidInput,
                fmt::format("cannot append the element '{}' to this XML node", name));
  }
  // pugixml wants a terminated name; column names fit the buffer, so the
  // common case allocates nothing beyond pugixml's own node memory.
  std::array<char, 64> buffer;
  if (name.size() < buffer.size()) {
    std::memcpy(buffer.data(), name.data(), name.size());
    buffer[name.size()] = '\0';
    element.set_name(buffer.data());
  } else {
    element.set_name(std::string(name).c_str());
  }
  if (value.empty()) return element;
  std::string cleaned;
  if (utf8::cleanForXml(value, cleaned)) {
    value = cleaned;
    if (replaced) ++*replaced;
  }
  element.append_child(pugi::node_pcdata).set_value(value.data(), value.size());
  return element;
}

void requireElementName(std::string_view name) {
  if (!isElementName(name))
    throw Error(ErrorKind::InvalidInput, fmt::format("'{}' is not a valid XML element name", name));
}

namespace {

// The bytes character data cannot hold as they are: markup and the control
// characters XML 1.0 leaves out.
constexpr std::array<bool, 256> kNeedsEscape = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 0x20; ++c) table[static_cast<std::size_t>(c)] = c != '\t' && c != '\r' && c != '\n';
  table['&'] = table['<'] = table['>'] = true;
  return table;
}();

// Whether any of the 8 bytes at `p` may need escaping: a control
// character, '&', '<' or '>'. Eight bytes a step, as most values need none.
bool blockNeedsEscape(const char* p) {
  std::uint64_t x;
  std::memcpy(&x, p, sizeof x);
  constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  const auto zeroByte = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
  const std::uint64_t control = (x - ones * 0x20) & ~x & highs;  // a byte below 0x20
  return (control | zeroByte(x ^ (ones * '&')) | zeroByte(x ^ (ones * '<')) | zeroByte(x ^ (ones * '>'))) !=
         0;
}

}  // namespace

ElementTags::ElementTags(std::string_view name)
    : open(fmt::format("<{}>", name)), close(fmt::format("</{}>", name)), empty(fmt::format("<{}/>", name)) {}

void MarkupBuffer::grow(std::size_t n) { bytes_.resize(std::max(bytes_.size() * 2, used_ + n + 4096)); }

namespace {

char* put(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

}  // namespace

void appendElementMarkup(MarkupBuffer& out, const ElementTags& tags, std::string_view value) {
  if (value.empty()) {
    out.append(tags.empty);
    return;
  }
  // The most a value can take: every byte written as a five-byte reference.
  char* const begin = out.room(tags.open.size() + 5 * value.size() + tags.close.size());
  char* at = put(begin, tags.open);
  const char* const data = value.data();
  const std::size_t size = value.size();
  std::size_t plain = 0;
  std::size_t start = 0;
  while (start + 8 <= size && !blockNeedsEscape(data + start)) start += 8;
  for (std::size_t i = start; i < size; ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    if (!kNeedsEscape[c]) continue;
    at = put(at, value.substr(plain, i - plain));
    plain = i + 1;
    if (c == '&') {
      at = put(at, "&amp;");
    } else if (c == '<') {
      at = put(at, "&lt;");
    } else if (c == '>') {
      at = put(at, "&gt;");
    } else {  // as pugixml writes a control character: two decimal digits
      const char reference[] = {'&', '#', static_cast<char>('0' + c / 10), static_cast<char>('0' + c % 10),
                                ';'};
      at = put(at, std::string_view(reference, sizeof reference));
    }
  }
  at = put(at, value.substr(plain));
  at = put(at, tags.close);
  out.advance(static_cast<std::size_t>(at - begin));
}

std::string outerXml(pugi::xml_node node) {
  std::string out;
  StringWriter writer(out);
  node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
  return out;
}

}  // namespace quillon::platform::xml
