#include "import/package_source.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "db/tables.h"
#include "quillon/error.h"
#include "quillon/value.h"

namespace quillon::importing {
namespace {

namespace xml = platform::xml;

// The columns each table is renumbered by, on both sides.
std::vector<std::pair<std::string_view, std::vector<std::string_view>>> renumbered() {
  std::vector<std::pair<std::string_view, std::vector<std::string_view>>> out;
  for (const db::Side* each : {&db::kProjectSide, &db::kLibrarySide}) {
    const db::Side& side = *each;
    const std::vector<std::pair<std::string_view, std::vector<std::string_view>>> tables{
        {side.tree, {side.owner, "NODE_ID", "PARENT_NOED_ID", "TYPE_ID"}},
        {side.items, {side.owner, "GRADE_ITEM_ID"}},
        {side.factors, {"GRADE_ITEM_ID", "INGREDIENT_ID"}},
        {side.rules, {"INGREDIENT_ID"}},
        {side.record, {side.owner}},
        {side.checks, {side.owner}},
        {side.openBid, {side.owner}}};
    out.insert(out.end(), tables.begin(), tables.end());
  }
  return out;
}

// The first pass: each of the tables the importers read, its first element only, as a
// document tree would be searched.
void putVarint(std::string& out, std::size_t n) {
  while (n >= 0x80) {
    out += static_cast<char>((n & 0x7F) | 0x80);
    n >>= 7;
  }
  out += static_cast<char>(n);
}

std::size_t getVarint(std::string_view& in) {
  std::size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(in.front());
    in.remove_prefix(1);
    n |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return n;
  }
}

class Survey final : public xml::RecordVisitor {
 public:
  Survey(std::map<std::string, Package::Table, std::less<>>& tables, std::size_t budget)
      : tables_(tables), budget_(budget) {
    for (const auto& [name, columns] : renumbered()) {
      auto& columnList = wanted_[std::string(name)];
      for (const auto column : columns) columnList.push_back({std::string(column), {}, {}});
    }
  }

  bool table(std::string_view name) override {
    current_ = nullptr;
    lastLayout_ = 0;
    const auto it = wanted_.find(name);
    if (it == wanted_.end() || tables_.count(name)) return false;
    current_ = &tables_[std::string(name)];
    current_->columns = it->second;
    name_ = name;
    return true;
  }

  void record(std::span<const xml::Field> fields) override {
    keep(fields);
    const std::size_t index = current_->records++;
    for (auto& column : current_->columns) {
      std::optional<std::int32_t> number;
      for (const auto& field : fields) {
        if (field.name != column.name) continue;
        try {
          number = asIdentifier(field.text);
        } catch (const Error& e) {
          if (column.failure.empty())
            column.failure =
                fmt::format("record {} of {}, column {}: {}", index + 1, name_, column.name, e.what());
        }
        break;
      }
      column.numbers.add(number);
    }
  }

 private:
  // Keeps the record's values while the copies stay within the budget; a
  // table that would pass it is read again from the file instead.
  void keep(std::span<const xml::Field> fields) {
    Package::Table& t = *current_;
    if (!t.kept) return;
    layout_.clear();
    // Records mostly repeat the layout of the one before: its name at the
    // same place is tried first.
    const std::vector<std::uint8_t>* last =
        lastLayout_ < t.layouts.size() ? &t.layouts[lastLayout_] : nullptr;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::string_view field = fields[i].name;
      std::size_t name = 0;
      if (last && i < last->size() && t.names[(*last)[i]] == field) {
        name = (*last)[i];
      } else {
        while (name < t.names.size() && t.names[name] != field) ++name;
        if (name == t.names.size()) t.names.emplace_back(field);
        last = nullptr;  // the record differs: the rest by name
      }
      layout_.push_back(static_cast<std::uint8_t>(name));
    }
    if (lastLayout_ >= t.layouts.size() || t.layouts[lastLayout_] != layout_) {
      lastLayout_ = 0;
      while (lastLayout_ < t.layouts.size() && t.layouts[lastLayout_] != layout_) ++lastLayout_;
      if (lastLayout_ == t.layouts.size()) t.layouts.push_back(layout_);
    }
    record_.clear();
    putVarint(record_, lastLayout_);
    for (const auto& field : fields) {
      putVarint(record_, field.text.size());
      record_.append(field.text);
    }
    kept_ += record_.size();
    // A package that names more fields or layouts than a table has columns
    // is no copy of ours: it is read again rather than kept.
    if (kept_ > budget_ || t.names.size() > 64 || t.layouts.size() > 64) return forget(t);
    if (t.values.empty() || t.values.back().capacity() - t.values.back().size() < record_.size()) {
      t.values.emplace_back();
      // Blocks in proportion to what may be kept: a small package takes
      // small ones.
      t.values.back().reserve(std::max(std::clamp(budget_ / 8, std::size_t{4096}, kBlock), record_.size()));
    }
    t.values.back().append(record_);
  }

  void forget(Package::Table& t) {
    for (const auto& block : t.values) kept_ -= block.size();
    kept_ -= record_.size();
    t.kept = false;
    std::vector<std::string>().swap(t.values);
    t.names.clear();
    t.layouts.clear();
  }

  static constexpr std::size_t kBlock = 256 * 1024;
  std::string record_;
  std::vector<std::uint8_t> layout_;
  std::size_t lastLayout_ = 0;
  std::map<std::string, Package::Table, std::less<>>& tables_;
  const std::size_t budget_;
  std::size_t kept_ = 0;
  std::map<std::string, std::vector<Package::Column>, std::less<>> wanted_;
  Package::Table* current_ = nullptr;
  std::string name_;
};

[[noreturn]] void refuseUnread(xml::PackageParse outcome, const std::filesystem::path& file,
                               const std::string& detail) {
  const std::string name = file.string();
  switch (outcome) {
    case xml::PackageParse::HasDoctype:
      throw Error(
          ErrorKind::InvalidPackage,
          fmt::format("the package {} declares a DOCTYPE; packages never do, and it was not read", name));
    case xml::PackageParse::NotUtf8:
      throw Error(
          ErrorKind::InvalidPackage,
          fmt::format("the package {} is not UTF-8 text (packages are UTF-8); it was not read", name));
    case xml::PackageParse::OutOfMemory:
      throw Error(ErrorKind::Engine, fmt::format("out of memory while reading the package {}", name));
    default:
      throw Error(ErrorKind::InvalidPackage,
                  detail.empty() ? fmt::format("the package {} is not well-formed XML", name)
                                 : fmt::format("the package {} is not well-formed XML ({})", name, detail));
  }
}

}  // namespace

Package::Package(std::filesystem::path file) : file_(std::move(file)) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file_, ec);
  Survey survey(tables_, ec ? 0 : static_cast<std::size_t>(size / 4));
  const xml::PackageOutline outline = xml::readPackage(file_, survey);
  if (outline.outcome != xml::PackageParse::Ok) refuseUnread(outline.outcome, file_, outline.detail);
  if (!outline.tableRoot) throw Error(ErrorKind::InvalidPackage, "the package has no Table element");
  for (auto& [name, table] : tables_)
    for (const auto& span : outline.tables)
      if (span.name == name) {
        table.span = span;
        break;
      }
}

const Package::Table& Package::table(std::string_view name) const {
  const auto it = tables_.find(name);
  if (it == tables_.end())
    throw Error(ErrorKind::InvalidPackage, fmt::format("the package has no {} element", name));
  return it->second;
}

std::size_t Package::records(std::string_view name) const { return table(name).records; }

const RecordNumbers& Package::numbers(std::string_view name, std::string_view column) const {
  for (const auto& c : table(name).columns)
    if (c.name == column) {
      if (!c.failure.empty()) throw Error(ErrorKind::InvalidPackage, c.failure);
      return c.numbers;
    }
  throw Error(fmt::format("the numbers of {}.{} are not kept", name, column));
}

std::int32_t Package::firstNumber(std::string_view name, std::string_view column) const {
  if (records(name) == 0)
    throw Error(ErrorKind::InvalidPackage, fmt::format("the package's {} element has no record", name));
  return numbers(name, column).values.front();
}

void Package::read(std::string_view name, xml::RecordVisitor& visitor) const {
  const Table& t = table(name);
  if (!t.kept) return xml::readTable(file_, t.span, visitor);
  if (!visitor.table(name)) return;
  std::vector<xml::Field> fields;
  for (const std::string& block : t.values) {
    std::string_view in = block;
    while (!in.empty()) {
      const auto& layout = t.layouts[getVarint(in)];
      fields.resize(layout.size());
      for (std::size_t i = 0; i < layout.size(); ++i) {
        fields[i].name = t.names[layout[i]];
        const std::size_t size = getVarint(in);
        fields[i].text = in.substr(0, size);
        in.remove_prefix(size);
      }
      visitor.record(fields);
    }
  }
}

std::int32_t asIdentifier(std::string_view text) { return roundToInt32(leadingNumber(text)); }

std::int32_t shifted(std::int32_t next, std::int32_t number, std::int32_t first) {
  const std::int64_t sum = std::int64_t{next} + number - first;
  if (sum < std::numeric_limits<std::int32_t>::min() || sum > std::numeric_limits<std::int32_t>::max())
    throw Error(ErrorKind::InvalidPackage, "Overflow");
  return static_cast<std::int32_t>(sum);
}

std::vector<std::int32_t> carriedOver(const RecordNumbers& numbers) {
  std::vector<std::int32_t> out;
  out.reserve(numbers.size());
  std::int32_t last = 0;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (numbers.given[i]) last = numbers.values[i];
    out.push_back(last);
  }
  return out;
}

std::vector<std::int32_t> zeroWhereMissing(const RecordNumbers& numbers) { return numbers.values; }

}  // namespace quillon::importing
