#pragma once
// The table exporters: each appends the rows of one kind of document data,
// chosen by the caller's filter, to a package document. ori 1 reads the
// project side, any other value the library side. Failures are reported to
// the host under the title "导出" and give false; a query that cannot be
// opened gives an empty table element and true.
#include <cstdint>
#include <string>

#include "core/session.h"
#include "quillon/xml_document.h"

namespace quillon::exporting {

class TableExporters {
 public:
  explicit TableExporters(Session& session) : session_(session) {}

  // Ordered by node. On the library side the clause that leaves out removed
  // templates is appended to Fiter itself.
  bool OutputTreeToXml(XmlDocument& Newxml, std::string& Fiter, std::int16_t ori);
  // Compliance checks, ordered by check.
  bool OutputAccToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);
  // Bid-opening summary lines, in the database's order.
  bool OutputOpenBidToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);
  // Live scoring items (STS exactly "V"), then, when there are any, all the
  // factors of those items and the automatic rules of their rule-scored
  // factors.
  bool OutputGradeToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);
  // The project record.
  bool OutputProjectToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);

 private:
  bool outputGradeDETAILToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);
  bool outputAUTOGradeDETAILToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);

  Session& session_;
};

}  // namespace quillon::exporting
