// quillon export, export-library and html: packages and the compliance-check
// view, for people.
#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <limits>
#include <optional>

#include "commands.h"
#include "existence.h"
#include "members.h"
#include "quillon/file_write.h"
#include "quillon/package_files.h"
#include "quillon/recordset.h"
#include "terminal_progress.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;

// A bid package being written, and the folder the member makes beside it;
// the process number lets the next export remove those of killed ones.
constexpr std::string_view kPartialPrefix = ".quillon-partial-";

// Forwards to the command's host and remembers a failure shown, so that a
// bid package written after a failure is not taken for a complete one.
class WatchingHost final : public Host {
 public:
  explicit WatchingHost(Host& inner) : inner_(inner) {}
  void message(const std::string& title, const std::string& text, Icon icon) override {
    reported_ = true;
    inner_.message(title, text, icon);
  }
  bool question(const std::string& title, const std::string& text, Icon icon) override {
    return inner_.question(title, text, icon);
  }
  // The export only shows messages for failures.
  bool reported() const { return reported_; }

 private:
  Host& inner_;
  bool reported_ = false;
};

using ExportBody = std::function<int(DBFunc&, CliHost&, const WatchingHost&)>;

// As Globals::withObject, with the watching host, the progress bar (on a
// terminal, not for JSON messages) and a stop when there is no database.
int withExportObject(const Globals& g, const ExportBody& body) {
  const auto host = g.makeHost();
  WatchingHost watching(*host);
  return g.withObjectOn(
      watching, *host,
      [&](DBFunc& object) {
        const ProgressOnTerminal progress(g.messages != "json");
        return body(object, *host, watching);
      },
      true);
}

// Legacy rows may hold bytes that are not text; the package carries U+FFFD
// in their place, and the person should know that it does.
void noteReplaced(const DBFunc& object) {
  if (const auto n = object.valuesReplaced(); n > 0)
    note(
        fmt::format("note: {} {} not valid UTF-8 text or held characters XML cannot carry; written with "
                    "U+FFFD in their place",
                    n, n == 1 ? "value was" : "values were"));
}

enum class Package { Tender, Bid, Library };

struct ProjectExport {
  std::int32_t project = 0;
  bool bid = false;
  std::string out;
};

// Every export writes exactly the file OUT names. The members name their
// files by rules of their own (quillon/package_files.h) and ask about a
// name they do not write; here they write under a
// name of this process beside OUT, and the finished file is renamed to OUT
// only after the person has agreed to replace what is there. A killed
// export leaves nothing under OUT and its leftovers go with the next
// export into that folder.
int writePackage(DBFunc& object, CliHost& host, const WatchingHost& watching, Package kind, std::int32_t id,
                 const std::string& given) {
  const fs::path out = fs::absolute(given).lexically_normal();
  if (out.filename().empty())
    throw UsageError(fmt::format("'{}' names a folder; give the package file", given));
  std::error_code ec;
  if (fs::is_directory(out, ec))
    throw UsageError(fmt::format("{} is a folder; give the package file", out.string()));
  const fs::path folder = out.parent_path();
  fs::create_directories(folder, ec);
  if (ec) throw std::runtime_error(fmt::format("cannot create {}: {}", folder.string(), ec.message()));
  removeLeftovers(folder, kPartialPrefix, "-");
  if (fs::exists(fs::symlink_status(out, ec)) &&
      !host.question("导出", fmt::format("{} exists. Replace it?", out.string()), Icon::Question)) {
    note(fmt::format("nothing written: {} exists and replacing it was declined (--answer yes replaces it)",
                     out.string()));
    return 1;
  }

  const std::string staging = (folder / fmt::format("{}{}-package", kPartialPrefix, ::getpid())).string();
  struct Cleanup {
    std::string staging;
    ~Cleanup() {
      std::error_code ignored;
      fs::remove(staging + ".xml", ignored);
      fs::remove_all(staging, ignored);  // the folder the tender and bid members make
    }
  } cleanup{staging};
  std::string written;  // what the member writes for the staging name
  bool done = false;
  try {
    switch (kind) {
      case Package::Tender:
        written = packageFileOf(PackageMember::EduceBs, staging + ".dat");
        done = object.EduceBs(id, staging + ".dat", {});
        break;
      case Package::Bid:
        written = packageFileOf(PackageMember::OutputTBS, staging);
        done = object.OutputTBS(id, staging, {});
        break;
      case Package::Library:
        written = packageFileOf(PackageMember::EduceResource, staging + ".xml");
        done = object.EduceResource(staging + ".xml");
        break;
    }
  } catch (const std::exception& e) {
    // The reason names the file the person asked for, not the staging one.
    std::string why = e.what();
    for (const auto& name : {written, staging}) {
      if (const auto at = why.find(name); !name.empty() && at != std::string::npos)
        why.replace(at, name.size(), out.string());
    }
    throw std::runtime_error(why);
  }
  // The bid member keeps what it could read after a failure; a person gets
  // all or nothing.
  if (!done || watching.reported() || !fs::is_regular_file(written)) {
    host.error("the export stopped at the failure reported above; no package was written");
    return 3;
  }
  renameDurably(written, out);
  std::cout << "wrote " << out.string() << "\n";
  noteReplaced(object);
  if (kind != Package::Library)
    std::cout << "put the document's files beside it, in " << folder.string() << "\n";
  return 0;
}

struct HtmlOptions {
  std::string project;
  std::string resource;
  std::string output;
};

std::string htmlEscaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A page printed or kept must say whose checks it shows: the title and the
// heading of the style sheet's page get the document's name and number. A
// style sheet of the office's own without them is left as it is.
void nameThePage(DBFunc& object, bool onProject, std::int32_t id, std::string& html) {
  // The document node's name, else the first node's: as list shows it, for
  // this one owner only.
  std::string name;
  Recordset rs;
  if (object.GetValue(
          fmt::format("select NODE_NAME from {} where {} = {} order by TYPE_ID <> 2, NODE_ID limit 1",
                      onProject ? "T_PROJECT_TREE" : "T_RESOURCE_TREE",
                      onProject ? "PROJECT_ID" : "RESOURCE_ID", id),
          rs) &&
      !rs.atEnd() && !rs.value(0).isNull())
    name = rs.value(0).toText();
  const std::string subject = htmlEscaped(
      fmt::format("{}{}{} {}", name, name.empty() ? "" : " · ", onProject ? "project" : "template", id));
  if (const auto end = html.find("</title>"); end != std::string::npos) html.insert(end, " · " + subject);
  if (const auto end = html.find("</h1>"); end != std::string::npos)
    html.insert(end + 5, "\n<p class=\"subject\" style=\"text-align:center\">" + subject + "</p>");
}

int showChecks(DBFunc& object, const HtmlOptions& o) {
  const bool onProject = !o.project.empty();
  const auto id = static_cast<std::int32_t>(parseInteger(onProject ? o.project : o.resource,
                                                         std::numeric_limits<std::int32_t>::min(),
                                                         std::numeric_limits<std::int32_t>::max()));
  if (onProject)
    requireProject(object, id);
  else
    requireTemplate(object, id);
  std::string html;
  // A failure has been shown by the component.
  if (!object.complianceHtml(onProject ? 1 : 2, id, html)) return 3;
  nameThePage(object, onProject, id, html);
  if (o.output.empty()) {
    std::cout << html << std::flush;
    return 0;
  }
  // A failure leaves any page that was there whole.
  writeFileAtomically(o.output, html);
  std::cout << "wrote " << o.output << "\n";
  return 0;
}

constexpr const char* kOutRule =
    "OUT is the package file, written as named (its folder is created when missing). When it exists you\n"
    "are asked whether to replace it (see --answer; with no terminal and no --answer the answer is no):\n"
    "on no every byte stays and the exit status is 1. The package is written under a temporary name\n"
    "beside OUT and renamed when whole. Prints 'wrote OUT' with OUT's full path.\n";

const bool registered = addCommand({"export", "export-library", "html"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand("export",
                                 "Write a project's tender document (or, with --bid, its bid document) "
                                 "to a package file");
  auto o = std::make_shared<ProjectExport>();
  cmd->add_option("--project", o->project, "PROJECT_ID of the project")->required()->type_name("PID");
  cmd->add_flag("--bid", o->bid, "Bid document: live rows only, tree without nodes of types 3, 6 and 7");
  cmd->add_option("OUT", o->out, "Package file, e.g. out/plan/plan.xml")->required();
  cmd->footer(
      std::string(kOutRule) +
      "A tender package holds every row of the project (scoring items only when live); the importing\n"
      "office takes the document's files from OUT's folder, so put them there (a folder of its own per\n"
      "package keeps them apart). Tables of 2000 rows or more show a progress bar on stderr when it is a\n"
      "terminal (not with --messages json).\n"
      "Exit status: 0 written, 1 replacing declined (nothing written), 2 usage error, 3 the project does\n"
      "not exist or the export failed (the reason is shown, also when a table could not be read; OUT is\n"
      "as it was).");
  cmd->callback([&g, o] {
    g.exitCode = withExportObject(g, [&](DBFunc& object, CliHost& host, const WatchingHost& watching) {
      requireProject(object, o->project);
      return writePackage(object, host, watching, o->bid ? Package::Bid : Package::Tender, o->project,
                          o->out);
    });
  });

  auto* lib = app.add_subcommand("export-library", "Write the whole template library to a package file");
  auto out = std::make_shared<std::string>();
  lib->add_option("OUT", *out, "Package file, e.g. out/library.xml")->required();
  lib->footer(
      std::string(kOutRule) +
      "It holds the templates numbered above 20, without tree nodes of type 1 and without removed\n"
      "templates. Tables of 2000 rows or more show a progress bar on stderr when it is a terminal (not\n"
      "with --messages json).\n"
      "Exit status: 0 written, 1 replacing declined, 2 usage error, 3 the export failed (OUT is as it "
      "was).");
  lib->callback([&g, out] {
    g.exitCode = withExportObject(g, [&](DBFunc& object, CliHost& host, const WatchingHost& watching) {
      return writePackage(object, host, watching, Package::Library, 0, *out);
    });
  });

  auto* html =
      app.add_subcommand("html", "Show the compliance checks of a project or a template as an HTML page");
  auto h = std::make_shared<HtmlOptions>();
  auto* project = html->add_option("--project", h->project, "PROJECT_ID of the project")->type_name("ID");
  auto* resource =
      html->add_option("--resource", h->resource, "RESOURCE_ID of the library template")->type_name("ID");
  project->excludes(resource);
  html->add_option("-o,--output", h->output, "Write the page to FILE instead of stdout")->type_name("FILE");
  html->footer(
      "Give exactly one of --project and --resource. The page comes from the style sheet\n"
      "Conf/AccordedCheck.xsl of the component folder; its title and heading get the document's name and\n"
      "number.\n"
      "Exit status: 0 shown, 2 usage error, 3 the project or template does not exist or the page could\n"
      "not be made (the reason is shown).");
  html->callback([&g, h] {
    if (h->project.empty() == h->resource.empty()) {
      usageNote("html: give --project ID or --resource ID");
      g.exitCode = 2;
      return;
    }
    g.exitCode = g.withStrictObject([&](DBFunc& object, CliHost&) { return showChecks(object, *h); });
  });
});

}  // namespace
}  // namespace quillon::cli
