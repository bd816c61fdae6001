// Export members of DBFunc: table exporters, the compliance-check view and
// the export drivers, forwarded to the export subsystem.
#include "component/calls.h"
#include "component/session_access.h"
#include "core/session.h"
#include "export/compliance_view.h"
#include "export/export_drivers.h"
#include "export/table_exporters.h"
#include "fileutil/path_helpers.h"
#include "quillon/dbfunc.h"

namespace quillon {

using exporting::ComplianceView;
using exporting::ExportDrivers;
using exporting::TableExporters;

bool DBFunc::OutputTreeToXml(XmlDocument& Newxml, std::string& Fiter, std::int16_t ori) {
  return calls::reads(*session_,
                      [&] { return TableExporters(*session_).OutputTreeToXml(Newxml, Fiter, ori); });
}

bool DBFunc::OutputAccToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  return calls::reads(*session_,
                      [&] { return TableExporters(*session_).OutputAccToXml(Newxml, Fiter, ori); });
}

bool DBFunc::OutputOpenBidToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  return calls::reads(*session_,
                      [&] { return TableExporters(*session_).OutputOpenBidToXml(Newxml, Fiter, ori); });
}

bool DBFunc::OutputGradeToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  return calls::reads(*session_,
                      [&] { return TableExporters(*session_).OutputGradeToXml(Newxml, Fiter, ori); });
}

bool DBFunc::OutputProjectToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori) {
  return calls::reads(*session_,
                      [&] { return TableExporters(*session_).OutputProjectToXml(Newxml, Fiter, ori); });
}

bool DBFunc::complianceHtml(std::int16_t ori, std::int32_t id, std::string& html) {
  return calls::reads(*session_, [&] { return ComplianceView(*session_).acc2Html(ori, id, html); });
}

bool DBFunc::acc2Html(std::int16_t ori, std::int16_t id, std::string& html) {
  return calls::reads(*session_, [&] { return ComplianceView(*session_).acc2Html(ori, id, html); });
}

bool DBFunc::EduceBs(std::int32_t SelectID, const std::string& OutputName, const std::string& ori) {
  return calls::reads(*session_, [&] {
    return ExportDrivers(*session_).EduceBs(SelectID, pub::SlashSeparated(OutputName), ori);
  });
}

bool DBFunc::OutputBS(std::int32_t SelectID, const std::string& OutputName, const std::string& ori) {
  return calls::reads(*session_, [&] {
    return ExportDrivers(*session_).OutputBS(SelectID, pub::SlashSeparated(OutputName), ori);
  });
}

bool DBFunc::OutputTBS(std::int32_t project_id, const std::string& OutputName, const std::string& ori) {
  return calls::reads(*session_, [&] {
    return ExportDrivers(*session_).OutputTBS(project_id, pub::SlashSeparated(OutputName), ori);
  });
}

bool DBFunc::EduceResource(const std::string& OutputName) {
  return calls::reads(
      *session_, [&] { return ExportDrivers(*session_).EduceResource(pub::SlashSeparated(OutputName)); });
}

}  // namespace quillon
