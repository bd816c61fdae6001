#pragma once
// The export drivers: one package file per call, for a project's tender
// document, its bid document, or the whole template library. They make one
// package document, run the five public exporters on it in package order
// and save it once. Failures of file operations and of the save reach the
// caller as quillon::Error; the exporters report their own.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/session.h"
#include "quillon/xml_document.h"

namespace quillon::exporting {

inline constexpr std::string_view kOverwriteTenderFile = "存在同名的招标文件，是否覆盖它";
inline constexpr std::string_view kOverwriteLibrary = "资源库已存在，是否覆盖它";

class ExportDrivers {
 public:
  explicit ExportDrivers(Session& session) : session_(session) {}

  // Every row of project SelectID into <folder>/<base>/<base>.xml, where
  // OutputName is <folder>/<base>.<ext>; the folder <folder>/<base> is
  // created for the document's files. When OutputName itself exists the user
  // is asked first; No gives false with nothing created. An exporter failure
  // stops the export: false, no file. `ori` is not used.
  bool EduceBs(std::int32_t SelectID, const std::string& OutputName, const std::string& ori);
  // The live rows of the project into OutputName + ".xml", replaced without
  // asking; the folder <folder>/<base> is created and left empty. Every
  // exporter runs whatever the others did; true once the file is saved.
  bool OutputBS(std::int32_t SelectID, const std::string& OutputName, const std::string& ori);
  // As OutputBS for the bid document: the tree leaves out nodes of types 3,
  // 6 and 7.
  bool OutputTBS(std::int32_t project_id, const std::string& OutputName, const std::string& ori);
  // The template library (templates above 20, tree without type-1 nodes)
  // into <folder>/<base>.xml, creating <folder>; asks first when OutputName
  // exists. Stops at an exporter failure like EduceBs.
  bool EduceResource(const std::string& OutputName);

 private:
  struct Filters {
    std::string tree;
    std::string others;
  };
  // The five public exporters in package order, each with a fresh copy of
  // its filter. With stopOnFailure the first failure ends the run.
  bool runExporters(XmlDocument& doc, const Filters& filters, std::int16_t ori, bool stopOnFailure);
  bool exportProject(const std::string& OutputName, const Filters& filters);

  Session& session_;
};

}  // namespace quillon::exporting
