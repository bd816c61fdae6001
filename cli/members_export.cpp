// Export members for `quillon call`: the table exporters take the package
// file as their document (loaded when it exists, saved back afterwards).
#include "members.h"
#include "xml_arg.h"

namespace quillon::cli {
namespace {

using ReadOnlyFilterExport = bool (DBFunc::*)(XmlDocument&, const std::string&, std::int16_t);

Member tableExporter(ReadOnlyFilterExport member) {
  return {"Newxml Fiter ori", 3, 3, [member](CallContext& c) {
            XmlArg doc(c.text(0));
            const bool ok = (c.object.*member)(doc.doc(), c.text(1), c.int16(2));
            doc.save();
            c.print(ok);
          }};
}

using Driver = bool (DBFunc::*)(std::int32_t, const std::string&, const std::string&);

Member driver(Driver member, const std::string& idName) {
  return {idName + " OutputName [ori]", 2, 3, [member](CallContext& c) {
            c.print((c.object.*member)(c.int32(0), c.text(1), c.count() > 2 ? c.text(2) : std::string()));
          }};
}

using Importer = Value (DBFunc::*)(const std::string&, bool);

Member importer(Importer member) {
  return {"InputName FgOldBs  (prints the new owner number; nothing when the file is missing)", 2, 2,
          [member](CallContext& c) { c.print((c.object.*member)(c.text(0), c.boolean(1))); }};
}

const bool registered = addMembers({
    {"OutputTreeToXml",
     {"Newxml Fiter ori  (prints the result, then Fiter as the call left it)", 3, 3,
      [](CallContext& c) {
        XmlArg doc(c.text(0));
        std::string filter = c.text(1);
        const bool ok = c.object.OutputTreeToXml(doc.doc(), filter, c.int16(2));
        doc.save();
        c.print(ok);
        c.print(filter);
      }}},
    {"OutputAccToXml", tableExporter(&DBFunc::OutputAccToXml)},
    {"OutputOpenBidToXml", tableExporter(&DBFunc::OutputOpenBidToXml)},
    {"OutputGradeToXml", tableExporter(&DBFunc::OutputGradeToXml)},
    {"OutputProjectToXml", tableExporter(&DBFunc::OutputProjectToXml)},
    {"acc2Html",
     {"ori id  (prints the result, then the HTML)", 2, 2,
      [](CallContext& c) {
        std::string html;
        const bool ok = c.object.acc2Html(c.int16(0), c.int16(1), html);
        c.print(ok);
        if (ok) c.out << html;
      }}},
    {"EduceBs", driver(&DBFunc::EduceBs, "SelectID")},
    {"OutputBS", driver(&DBFunc::OutputBS, "SelectID")},
    {"OutputTBS", driver(&DBFunc::OutputTBS, "project_id")},
    {"EduceResource",
     {"OutputName", 1, 1, [](CallContext& c) { c.print(c.object.EduceResource(c.text(0))); }}},
    {"InputBs", importer(&DBFunc::InputBs)},
    {"InputTBs", importer(&DBFunc::InputTBs)},
    {"InputRESOURCE", importer(&DBFunc::InputRESOURCE)},
});

}  // namespace
}  // namespace quillon::cli
