#include "export/table_exporters.h"

#include "export/table_kinds.h"
#include "export/table_writer.h"

namespace quillon::exporting {
namespace {

// The exporters that only read their filter work on a copy of it.
TableExport exportWithCopy(Session& session, XmlDocument& doc, const TableKind& kind,
                           const std::string& filter, std::int16_t ori) {
  std::string own = filter;
  return exportTable(session, doc, kind, own, ori);
}

}  // namespace

bool TableExporters::OutputTreeToXml(XmlDocument& Newxml, std::string& Fiter, std::int16_t ori) {
  return exportTable(session_, Newxml, kinds::kTree, Fiter, ori).ok;
}

bool TableExporters::OutputAccToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  return exportWithCopy(session_, Newxml, kinds::kChecks, Fiter, ori).ok;
}

bool TableExporters::OutputOpenBidToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  return exportWithCopy(session_, Newxml, kinds::kOpenBid, Fiter, ori).ok;
}

bool TableExporters::OutputGradeToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  const auto items = exportWithCopy(session_, Newxml, kinds::kGradeItems, Fiter, ori);
  if (!items.ok) return false;
  // Without live items the package carries no factor or rule table at all.
  if (items.ids.empty()) return true;
  return outputGradeDETAILToXml(Newxml, "grade_item_id IN(" + items.ids + ")", ori);
}

bool TableExporters::outputGradeDETAILToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  const auto factors = exportWithCopy(session_, Newxml, kinds::kGradeFactors, Fiter, ori);
  if (!factors.ok) return false;
  // The rule table is written even when no factor is scored by rule, and
  // even when the factor query could not be opened: it is then empty (an
  // empty IN list is not SQL every engine takes).
  return outputAUTOGradeDETAILToXml(
      Newxml, factors.ids.empty() ? std::string("1=0") : "INGREDIENT_ID In(" + factors.ids + ")", ori);
}

bool TableExporters::outputAUTOGradeDETAILToXml(XmlDocument& Newxml, const std::string& Fiter,
                                                std::int16_t ori) {
  return exportWithCopy(session_, Newxml, kinds::kAutoRules, Fiter, ori).ok;
}

bool TableExporters::OutputProjectToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  return exportWithCopy(session_, Newxml, kinds::kProject, Fiter, ori).ok;
}

}  // namespace quillon::exporting
