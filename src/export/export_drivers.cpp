#include "export/export_drivers.h"

#include <fmt/format.h>

#include "export/table_exporters.h"
#include "export/table_kinds.h"
#include "fileutil/file_ops.h"
#include "fileutil/path_helpers.h"
#include "package/package_document.h"
#include "platform/xml_stream.h"
#include "quillon/package_files.h"

namespace quillon::exporting {
namespace {

constexpr std::int16_t kProjectSide = 1;
constexpr std::int16_t kLibrarySide = 2;

// Where a package goes, from the caller's output name. Both "/" and "\"
// separate folders.
struct OutputPaths {
  std::string folderPart;  // up to and including the last separator
  std::string base;        // file name without folder and last extension

  explicit OutputPaths(const std::string& outputName)
      : folderPart(pub::ExtractFilePath(outputName)),
        base(pub::GetFileNameNoExt(pub::GetFileNameNoPath(outputName))) {}
};

// Creates the folder with its missing parents and returns it with "/"
// separators. A folder part that is only a separator is the root, which the
// rebuilt form would drop.
std::string createFolder(const std::string& folder) {
  auto rebuilt = pub::DirExists_Base(folder, true);
  if (rebuilt.empty() && !folder.empty()) return std::string(1, '/');
  return rebuilt;
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string projectFilter(std::int32_t id) { return fmt::format("PROJECT_ID = {}", id); }

bool confirmOverwrite(Session& session, const std::string& outputName, std::string_view question) {
  if (!pub::FileExists(outputName)) return true;
  return session.host.question(std::string(kExportTitle), std::string(question), Icon::Question);
}

}  // namespace

bool ExportDrivers::runExporters(XmlDocument& doc, const Filters& filters, std::int16_t ori,
                                 bool stopOnFailure) {
  TableExporters exporters(session_);
  bool all = true;
  const auto step = [&](auto&& run) {
    if (!all && stopOnFailure) return;
    if (!run()) all = false;
  };
  step([&] {
    auto tree = filters.tree;  // the tree exporter may extend its filter
    return exporters.OutputTreeToXml(doc, tree, ori);
  });
  step([&] { return exporters.OutputAccToXml(doc, filters.others, ori); });
  step([&] { return exporters.OutputOpenBidToXml(doc, filters.others, ori); });
  step([&] { return exporters.OutputGradeToXml(doc, filters.others, ori); });
  step([&] { return exporters.OutputProjectToXml(doc, filters.others, ori); });
  return all;
}

bool ExportDrivers::EduceBs(std::int32_t SelectID, const std::string& OutputName,
                            const std::string& /*ori*/) {
  if (!confirmOverwrite(session_, OutputName, kOverwriteTenderFile)) return false;
  const OutputPaths paths(OutputName);
  const auto packageFolder = createFolder(paths.folderPart + paths.base);
  auto doc = package::loadNewXMl();
  platform::xml::StreamedDocument package(doc, joinPath(packageFolder, paths.base + ".xml"));
  const auto filter = projectFilter(SelectID);
  if (!runExporters(doc, {filter, filter}, kProjectSide, true)) return false;
  package.commit();
  return true;
}

bool ExportDrivers::exportProject(const std::string& OutputName, const Filters& filters) {
  const auto file = OutputName + ".xml";
  if (pub::FileExists(file)) pub::DelFile(file);
  const OutputPaths paths(OutputName);
  createFolder(paths.folderPart + paths.base);
  auto doc = package::loadNewXMl();
  platform::xml::StreamedDocument package(doc, file);
  // A failing exporter has said why; the others still run and what was
  // written is saved.
  runExporters(doc, filters, kProjectSide, false);
  package.commit();
  return true;
}

bool ExportDrivers::OutputBS(std::int32_t SelectID, const std::string& OutputName,
                             const std::string& /*ori*/) {
  const auto live = projectFilter(SelectID) + " AND sts='V'";
  return exportProject(OutputName, {live, live});
}

bool ExportDrivers::OutputTBS(std::int32_t project_id, const std::string& OutputName,
                              const std::string& /*ori*/) {
  const auto owner = projectFilter(project_id);
  return exportProject(OutputName, {owner + " and TYPE_ID<>3 and TYPE_ID<>6 and TYPE_ID<>7 AND sts='V'",
                                    owner + " AND sts='V'"});
}

bool ExportDrivers::EduceResource(const std::string& OutputName) {
  if (!confirmOverwrite(session_, OutputName, kOverwriteLibrary)) return false;
  const OutputPaths paths(OutputName);
  const auto folder = createFolder(paths.folderPart);
  auto doc = package::loadNewXMl();
  platform::xml::StreamedDocument package(doc, joinPath(folder, paths.base + ".xml"));
  if (!runExporters(doc, {"TYPE_ID <> 1 and RESOURCE_ID >20", "RESOURCE_ID >20"}, kLibrarySide, true)) {
    return false;
  }
  package.commit();
  return true;
}

}  // namespace quillon::exporting

namespace quillon {

std::string packageFileOf(PackageMember member, const std::string& OutputName) {
  const exporting::OutputPaths paths(OutputName);
  switch (member) {
    case PackageMember::EduceBs:
      return exporting::joinPath(paths.folderPart + paths.base, paths.base + ".xml");
    case PackageMember::EduceResource:
      return exporting::joinPath(paths.folderPart, paths.base + ".xml");
    case PackageMember::OutputBS:
    case PackageMember::OutputTBS:
      break;
  }
  return OutputName + ".xml";
}

std::vector<std::string> packageTables(bool project) {
  std::vector<std::string> tables;
  for (const exporting::TableKind* kind :
       {&exporting::kinds::kTree, &exporting::kinds::kChecks, &exporting::kinds::kOpenBid,
        &exporting::kinds::kGradeItems, &exporting::kinds::kGradeFactors, &exporting::kinds::kAutoRules,
        &exporting::kinds::kProject})
    tables.emplace_back(project ? kind->project.table : kind->resource.table);
  return tables;
}

}  // namespace quillon
