#include "export/table_writer.h"

#include <fmt/format.h>

#include <exception>
#include <optional>

#include "core/error_report.h"
#include "db/queries.h"
#include "db/tables.h"
#include "engine/recordset_impl.h"
#include "export/progress.h"
#include "export/value_text.h"
#include "package/package_document.h"
#include "platform/field_name.h"
#include "platform/utf8.h"
#include "platform/xml.h"
#include "platform/xml_stream.h"
#include "quillon/error.h"
#include "quillon/recordset.h"

namespace quillon::exporting {
namespace {

namespace xml = platform::xml;

bool isLive(const Value& status) { return status.kind() == Value::Kind::Text && status.text() == "V"; }

bool equalsNumber(const Value& value, double number) {
  switch (value.kind()) {
    case Value::Kind::Integer:
      return static_cast<double>(value.integer()) == number;
    case Value::Kind::Real:
      return value.real() == number;
    case Value::Kind::Text:
      try {
        return value.toDouble() == number;
      } catch (const Error&) {
        return false;
      }
    default:
      return false;
  }
}

// The rows the query will match, for a progress bar; asked only when someone
// listens, and -1 when the count itself fails.
std::int64_t expectedRows(Session& session, std::string_view table, const std::string& filter) {
  try {
    auto rs = session.database().openRecordset(db::countSql(std::string(table), filter));
    return rs.atEnd() ? 0 : rs.value(0).toInt64();
  } catch (const std::exception&) {
    return -1;
  }
}

// Positions in the column list of what the per-row rules read, looked up
// once per table.
struct RowRules {
  std::optional<int> status;
  std::optional<int> id;
  std::optional<int> idWhen;
  double idWhenValue = 0;

  RowRules(const TableKind& kind, const ColumnList& columns) : idWhenValue(kind.idWhenValue) {
    if (kind.liveRowsOnly) status = columns.position("STS");
    if (!kind.idColumn.empty()) id = columns.position(kind.idColumn);
    if (!kind.idWhenColumn.empty()) idWhen = columns.position(kind.idWhenColumn);
  }
  bool writes(const Recordset& rs) const { return !status || isLive(rs.value(*status)); }
  void collect(const Recordset& rs, std::string& ids) const {
    if (!id) return;
    if (idWhen && !equalsNumber(rs.value(*idWhen), idWhenValue)) return;
    appendIdentifier(ids, rs.value(*id));
  }
};

// Records a streamed package writes out at a time: enough to make the
// writes large, few enough that the tree never holds much.
constexpr int kRecordsPerFlush = 256;

// Steps the rows and hands each one the rules write to `emit`, collecting
// identifiers and counting progress.
template <class Emit>
void forEachWritten(Recordset& rs, const RowRules& rules, TableProgress& progress, std::string& ids,
                    Emit&& emit) {
  for (; !rs.atEnd(); rs.moveNext()) {
    if (!rules.writes(rs)) continue;
    emit();
    rules.collect(rs, ids);
    progress.row();
  }
}

void writeRows(Recordset& rs, pugi::xml_node tableElement, const ColumnList& columns, const RowRules& rules,
               TableProgress& progress, std::string& ids, std::size_t& replaced) {
  const auto& names = columns.names();
  ValueText text;
  forEachWritten(rs, rules, progress, ids, [&] {
    const auto record = package::createNode(tableElement, package::kRecord, {});
    for (std::size_t i = 0; i < names.size(); ++i)
      package::createNode(record, names[i], text(rs.value(static_cast<int>(i))), &replaced);
  });
}

// The same records written as markup straight into the streamed file: no
// node is built for a row that is only written out. The bytes are those the
// tree would print.
void streamRows(Recordset& rs, pugi::xml_node tableElement, const ColumnList& columns, const RowRules& rules,
                TableProgress& progress, std::string& ids, std::size_t& replaced,
                platform::xml::StreamedDocument& stream) {
  const auto& names = columns.names();
  std::vector<xml::ElementTags> tags;
  for (const auto& name : names) {
    xml::requireElementName(name);
    tags.emplace_back(name);
  }
  ValueText text;
  xml::MarkupBuffer markup;
  std::string cleaned;
  int unflushed = 0;
  // Rows read before a failure are written, as a tree would have kept them.
  struct Pending {
    platform::xml::StreamedDocument& stream;
    pugi::xml_node section;
    xml::MarkupBuffer& markup;
    ~Pending() {
      try {
        stream.writeInto(section, markup.view());
      } catch (...) {
        // A write error is kept by the file and reported by its commit.
      }
    }
  } pending{stream, tableElement, markup};
  forEachWritten(rs, rules, progress, ids, [&] {
    markup.append("<Record>");
    const auto row = engine::RecordsetImplFactory::currentRow(rs);
    for (std::size_t i = 0; i < names.size(); ++i) {
      std::string_view value = text(row[i]);
      if (platform::utf8::cleanForXml(value, cleaned)) {
        value = cleaned;
        ++replaced;
      }
      xml::appendElementMarkup(markup, tags[i], value);
    }
    markup.append("</Record>");
    if (++unflushed == kRecordsPerFlush) {
      stream.writeInto(tableElement, markup.view());
      markup.clear();
      unflushed = 0;
    }
  });
}

}  // namespace

ColumnList::ColumnList(std::string_view list) {
  while (true) {
    const auto comma = list.find(',');
    names_.emplace_back(list.substr(0, comma));
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
}

int ColumnList::position(std::string_view name) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const auto& n = names_[i];
    if (platform::sameFieldName(n, name)) return static_cast<int>(i);
  }
  throw Error(fmt::format("the column {} is not in the export's column list", name));
}

TableExport exportTable(Session& session, XmlDocument& doc, const TableKind& kind, std::string& filter,
                        std::int16_t ori) {
  TableExport result;
  const bool projectSide = db::projectSide(ori);
  const TableSide& side = projectSide ? kind.project : kind.resource;
  TableProgress progress(side.table, currentProgressListener());
  std::optional<std::string> failure;
  auto* stream = platform::xml::StreamedDocument::of(doc);
  pugi::xml_node streamed;
  try {
    if (!projectSide) filter += kind.resourceClause;
    const ColumnList columns(side.columns);
    const RowRules rules(kind, columns);

    const auto root = xml::firstChild(xml::native(doc), package::kRoot);
    if (!root) throw Error("the package document has no Table root element");
    const auto tableElement = package::createNode(root, side.table, package::kTableText);
    if (stream) streamed = tableElement;

    const auto sql =
        fmt::format("select {} from {} where {}{}", side.columns, side.table, filter, kind.orderBy);
    Recordset rs;
    // A query that cannot be opened leaves the table element without records;
    // that is no failure of the export, but its reason is noted, and a strict
    // caller gets it as the failure.
    if (db::Queries(session).GetValue(sql, rs)) {
      if (progress.listening()) progress.start(expectedRows(session, side.table, filter));
      if (stream)
        streamRows(rs, tableElement, columns, rules, progress, result.ids, result.valuesReplaced, *stream);
      else
        writeRows(rs, tableElement, columns, rules, progress, result.ids, result.valuesReplaced);
    }
  } catch (const std::exception& e) {
    failure = e.what();
  }
  // Closed after a failure too: what a failing table wrote stays, as it
  // would in a document saved whole.
  if (streamed) stream->closeSection(streamed);
  progress.finish();
  session.valuesReplaced += static_cast<std::int64_t>(result.valuesReplaced);
  if (failure) {
    session.noteFailure(*failure);
    report::detailed(session.host, kExportTitle, kind.failureMessage, *failure);
    result.ok = false;
  }
  return result;
}

}  // namespace quillon::exporting
