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
#include "members.h"
#include "quillon/file_write.h"
#include "terminal_progress.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;

// A bid package being written, and the folder the member makes beside it;
// the process number lets the next export remove those of killed ones.
constexpr std::string_view kPartialPrefix = ".quillon-partial-";

// Forwards to the command's host and remembers a question answered no and
// a failure shown, so that a declined overwrite can be told from a failed
// export, and a bid package written after a failure from a complete one.
class WatchingHost final : public Host {
 public:
  explicit WatchingHost(Host& inner) : inner_(inner) {}
  void message(const std::string& title, const std::string& text, Icon icon) override {
    reported_ = true;
    inner_.message(title, text, icon);
  }
  bool question(const std::string& title, const std::string& text, Icon icon) override {
    const bool yes = inner_.question(title, text, icon);
    declined_ = declined_ || !yes;
    return yes;
  }
  bool declined() const { return declined_; }
  // The export only shows messages for failures.
  bool reported() const { return reported_; }

 private:
  Host& inner_;
  bool declined_ = false;
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

// The package's base name: OUT's file name without its last extension, as
// the component names it (no extension gives the empty name).
std::string baseName(const std::string& out) {
  const std::string name = fs::path(out).filename().string();
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

// OUT's folder part, with its closing separator.
std::string folderOf(const std::string& out) {
  const auto slash = out.rfind('/');
  return slash == std::string::npos ? std::string() : out.substr(0, slash + 1);
}

void requireExtension(const std::string& out) {
  if (baseName(out).empty()) {
    throw UsageError(fmt::format(
        "'{}' has no file extension: the package is named after OUT without its extension, so give e.g. "
        "plan.dat",
        out));
  }
}

// Legacy rows may hold bytes that are not text; the package carries U+FFFD
// in their place, and the person should know that it does.
void noteReplaced(const DBFunc& object) {
  if (const auto n = object.valuesReplaced(); n > 0)
    std::cerr << "note: " << n << (n == 1 ? " value was" : " values were")
              << " not valid UTF-8 text or held characters XML cannot carry; written with U+FFFD in their "
                 "place\n";
}

int notWritten(CliHost& host, const WatchingHost& watching, const std::string& out) {
  if (watching.declined()) {
    std::cerr << "nothing written: " << out
              << " exists and overwriting it was declined (--answer yes overwrites)\n";
    return 1;
  }
  host.error("the export stopped at the failure reported above; no package was written");
  return 3;
}

struct ProjectExport {
  std::int32_t project = 0;
  bool bid = false;
  std::string out;
};

int exportProject(DBFunc& object, CliHost& host, const WatchingHost& watching, const ProjectExport& o) {
  const auto out = fs::absolute(o.out).string();
  if (object.Db_GetCount("T_PROJECT_TREE", fmt::format("PROJECT_ID = {}", o.project)) == 0) {
    std::cerr << "note: project " << o.project << " has no document tree\n";
  }
  const auto base = baseName(out);
  // A tender package gets a folder of its own; a bid package is written
  // beside its name.
  const auto packageFolder = o.bid ? fs::path(out).parent_path().string() : folderOf(out) + base;
  if (o.bid) {
    // The member deletes the old package before it writes the new one, and
    // keeps what it could read; a person gets all or nothing and keeps the
    // old package until the new one is whole. It is written under a name of
    // its own beside the target, then renamed.
    removeLeftovers(fs::path(out).parent_path(), kPartialPrefix, "-");
    const auto staging =
        folderOf(out) + fmt::format("{}{}-", kPartialPrefix, ::getpid()) + fs::path(out).filename().string();
    struct Cleanup {
      std::string file, folder;
      ~Cleanup() {
        std::error_code ignored;
        fs::remove(file, ignored);
        fs::remove(folder, ignored);  // empty: the member only makes it
      }
    } cleanup{staging + ".xml", folderOf(staging) + baseName(staging)};
    bool written = false;
    try {
      written = object.OutputTBS(o.project, staging, {}) && !watching.reported();
    } catch (const std::exception& e) {
      // The reason names the file the person asked for, not the staging one.
      std::string why = e.what();
      if (const auto at = why.find(staging); at != std::string::npos) why.replace(at, staging.size(), out);
      throw std::runtime_error(why);
    }
    std::error_code ec;
    if (written) fs::rename(staging + ".xml", out + ".xml", ec);
    if (!written || ec) {
      host.error(ec ? fmt::format("cannot write {}.xml: {}", out, ec.message())
                    : "the export stopped at the failure reported above; no package was written");
      return 3;
    }
    fs::create_directories(folderOf(out) + base, ec);
    std::cout << "wrote " << out << ".xml\n";
    noteReplaced(object);
  } else {
    if (!object.EduceBs(o.project, out, {})) return notWritten(host, watching, out);
    std::cout << "wrote " << packageFolder << "/" << base << ".xml\n";
    noteReplaced(object);
  }
  std::cout << "package folder " << packageFolder << " (put the document's files there)\n";
  return 0;
}

int exportLibrary(DBFunc& object, CliHost& host, const WatchingHost& watching, const std::string& given) {
  const auto out = fs::absolute(given).string();
  if (!object.EduceResource(out)) return notWritten(host, watching, out);
  std::cout << "wrote " << folderOf(out) << baseName(out) << ".xml\n";
  noteReplaced(object);
  return 0;
}

struct HtmlOptions {
  std::string project;
  std::string resource;
  std::string output;
};

int showChecks(DBFunc& object, const HtmlOptions& o) {
  const bool onProject = !o.project.empty();
  const auto id = static_cast<std::int32_t>(parseInteger(onProject ? o.project : o.resource,
                                                         std::numeric_limits<std::int32_t>::min(),
                                                         std::numeric_limits<std::int32_t>::max()));
  std::string html;
  // A failure has been shown by the component.
  if (!object.complianceHtml(onProject ? 1 : 2, id, html)) return 3;
  if (o.output.empty()) {
    std::cout << html << std::flush;
    return 0;
  }
  // A failure leaves any page that was there whole.
  writeFileAtomically(o.output, html);
  std::cout << "wrote " << o.output << "\n";
  return 0;
}

const bool registered = addCommand({"export", "export-library", "html"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand("export",
                                 "Write a project's tender document (or, with --bid, its bid document) "
                                 "to a package file");
  auto o = std::make_shared<ProjectExport>();
  cmd->add_option("--project", o->project, "PROJECT_ID of the project")->required()->type_name("PID");
  cmd->add_flag("--bid", o->bid,
                "Bid document: live rows only, tree without nodes of types 3, 6 and 7, written to OUT.xml "
                "without asking");
  cmd->add_option("OUT", o->out, "Output name, e.g. out/plan.dat")->required();
  cmd->footer(
      "Without --bid the package is OUT's folder/NAME/NAME.xml, where NAME is OUT's file name without its\n"
      "extension (out/plan.dat gives out/plan/plan.xml); every row of the project is written, scoring items\n"
      "only when live. When OUT itself exists you are asked whether to overwrite (see --answer; with no\n"
      "terminal and no --answer the answer is no); an existing NAME.xml is replaced.\n"
      "With --bid the package is OUT.xml (out/plan.dat gives out/plan.dat.xml), replaced without asking.\n"
      "Both create the folder OUT's folder/NAME for the document's files and leave it to you to fill.\n"
      "Tables of 2000 rows or more show a progress bar on stderr when it is a terminal (not with\n"
      "--messages json).\n"
      "Exit status: 0 written, 1 overwriting declined (nothing written), 2 usage error, 3 the export failed\n"
      "(the reason is shown, also when a table could not be read; no package is written, and with --bid\n"
      "an earlier OUT.xml is gone, as it is replaced without asking).");
  cmd->callback([&g, o] {
    g.exitCode = withExportObject(g, [&](DBFunc& object, CliHost& host, const WatchingHost& watching) {
      if (!o->bid) requireExtension(o->out);
      return exportProject(object, host, watching, *o);
    });
  });

  auto* lib = app.add_subcommand("export-library", "Write the whole template library to a package file");
  auto out = std::make_shared<std::string>();
  lib->add_option("OUT", *out, "Package file, e.g. out/library.xml")->required();
  lib->footer(
      "The package is OUT's folder/NAME.xml, NAME being OUT's file name without its extension (so\n"
      "out/library.xml is written as itself); OUT's folder is created when missing. It holds the templates\n"
      "numbered above 20, without tree nodes of type 1 and without removed templates. When OUT exists\n"
      "you are asked whether to overwrite (see --answer; with no terminal and no --answer the answer is "
      "no).\n"
      "Tables of 2000 rows or more show a progress bar on stderr when it is a terminal (not with\n"
      "--messages json).\n"
      "Exit status: 0 written, 1 overwriting declined, 2 usage error, 3 the export failed (nothing "
      "written).");
  lib->callback([&g, out] {
    g.exitCode = withExportObject(g, [&](DBFunc& object, CliHost& host, const WatchingHost& watching) {
      requireExtension(*out);
      return exportLibrary(object, host, watching, *out);
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
      "Give exactly one of --project and --resource; ID is any project or template number. The page\n"
      "comes from the style sheet Conf/AccordedCheck.xsl of the component folder.\n"
      "Exit status: 0 shown, 2 usage error, 3 the page could not be made (the reason is shown).");
  html->callback([&g, h] {
    if (h->project.empty() == h->resource.empty()) {
      std::cerr << "html: give --project ID or --resource ID\n";
      g.exitCode = 2;
      return;
    }
    g.exitCode = g.withStrictObject([&](DBFunc& object, CliHost&) { return showChecks(object, *h); });
  });
});

}  // namespace
}  // namespace quillon::cli
