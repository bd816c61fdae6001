#include "import/record_copy.h"

#include <fmt/format.h>

#include <limits>

#include "db/queries.h"
#include "export/progress.h"
#include "export/table_writer.h"
#include "package/package_document.h"
#include "platform/xml.h"
#include "quillon/error.h"

namespace quillon::importing {

namespace xml = platform::xml;

pugi::xml_node element(const XmlDocument& package, std::string_view name) {
  const auto root = xml::firstChild(xml::native(package), package::kRoot);
  if (!root) throw Error(ErrorKind::InvalidPackage, "the package has no Table element");
  return xml::firstChild(root, name);
}

std::vector<pugi::xml_node> records(pugi::xml_node tableElement, std::string_view name) {
  if (!tableElement)
    throw Error(ErrorKind::InvalidPackage, fmt::format("the package has no {} element", name));
  return xml::selectChildren(tableElement, package::kRecord);
}

bool hasRecords(pugi::xml_node tableElement) {
  return tableElement && xml::firstChild(tableElement, package::kRecord);
}

std::int32_t firstNumber(const std::vector<pugi::xml_node>& list, std::string_view table,
                         std::string_view column) {
  if (list.empty())
    throw Error(ErrorKind::InvalidPackage, fmt::format("the package's {} element has no record", table));
  return asIdentifier(xml::text(xml::firstChild(list.front(), column)));
}

std::vector<std::vector<std::optional<std::int32_t>>> fieldNumbers(
    const std::vector<pugi::xml_node>& list, std::string_view table,
    const std::vector<std::string_view>& columns) {
  std::vector<std::vector<std::optional<std::int32_t>>> numbers(columns.size());
  for (auto& column : numbers) column.resize(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::size_t found = 0;
    for (auto field = list[i].first_child(); field && found < columns.size(); field = field.next_sibling()) {
      for (std::size_t c = 0; c < columns.size(); ++c) {
        if (numbers[c][i] || !xml::isElementCalled(field, columns[c])) continue;
        try {
          numbers[c][i] = asIdentifier(xml::text(field));
        } catch (const Error& e) {
          throw Error(ErrorKind::InvalidPackage,
                      fmt::format("record {} of {}, column {}: {}", i + 1, table, columns[c], e.what()));
        }
        ++found;
        break;
      }
    }
  }
  return numbers;
}

std::vector<std::int32_t> carriedOver(const std::vector<std::optional<std::int32_t>>& numbers) {
  std::vector<std::int32_t> out;
  out.reserve(numbers.size());
  std::int32_t last = 0;
  for (const auto& n : numbers) {
    if (n) last = *n;
    out.push_back(last);
  }
  return out;
}

std::vector<std::int32_t> zeroWhereMissing(const std::vector<std::optional<std::int32_t>>& numbers) {
  std::vector<std::int32_t> out;
  out.reserve(numbers.size());
  for (const auto& n : numbers) out.push_back(n.value_or(0));
  return out;
}

std::vector<std::int32_t> capturedNumbers(const std::vector<pugi::xml_node>& list, std::string_view table,
                                          std::string_view column) {
  return carriedOver(fieldNumbers(list, table, {column}).front());
}

std::unordered_set<std::int32_t> packageNodes(const std::vector<pugi::xml_node>& list,
                                              std::string_view table) {
  const auto nodes = capturedNumbers(list, table, "NODE_ID");
  return {nodes.begin(), nodes.end()};
}

std::int32_t asIdentifier(const std::string& text) { return roundToInt32(leadingNumber(text)); }

std::int32_t shifted(std::int32_t next, std::int32_t number, std::int32_t first) {
  const std::int64_t sum = std::int64_t{next} + number - first;
  if (sum < std::numeric_limits<std::int32_t>::min() || sum > std::numeric_limits<std::int32_t>::max())
    throw Error(ErrorKind::InvalidPackage, "Overflow");
  return static_cast<std::int32_t>(sum);
}

void storeByValueRule(Recordset& rs, int position, int type, const std::string* text) {
  const bool integral = type == field_type::kLong;
  const bool numeric = integral || type == field_type::kDouble;
  if (!text) {
    rs.setValue(position, numeric ? Value(std::int64_t{0}) : Value(std::string(" ")));
  } else if (numeric) {
    const double number = leadingNumber(*text);
    rs.setValue(position, integral ? whole(roundToInt32(number)) : Value(number));
  } else {
    rs.setValue(position, Value(text->empty() ? std::string(" ") : *text));
  }
}

bool copyRecords(Session& session, std::string_view table, std::string_view columns,
                 const std::vector<pugi::xml_node>& list, const std::vector<Capture>& captures,
                 const Renumber& renumber) {
  Recordset rs;
  if (!db::Queries(session).GetValue(fmt::format("Select {} from {}", columns, table), rs)) return false;
  const exporting::ColumnList names(columns);
  const auto count = names.names().size();
  std::vector<int> types(count);
  for (std::size_t j = 0; j < count; ++j) types[j] = rs.fieldType(static_cast<int>(j));

  exporting::TableProgress progress(table, currentProgressListener());
  progress.start(static_cast<std::int64_t>(list.size()));
  // Told also when a record fails, before the error leaves.
  struct Finish {
    exporting::TableProgress& progress;
    ~Finish() { progress.finish(); }
  } finish{progress};
  for (std::size_t i = 0; i < list.size(); ++i) {
    rs.addNew();
    for (std::size_t j = 0; j < count; ++j) {
      const std::string& name = names.names()[j];
      const int position = static_cast<int>(j);
      const auto field = xml::firstChild(list[i], name);
      if (!field) {
        storeByValueRule(rs, position, types[j], nullptr);
        continue;
      }
      const std::string text = xml::text(field);
      storeByValueRule(rs, position, types[j], &text);
      for (const Capture& capture : captures)
        if (name == capture.column) *capture.into = asIdentifier(text);
    }
    renumber(rs, i);
    rs.update();
    progress.row();
  }
  return true;
}

}  // namespace quillon::importing
