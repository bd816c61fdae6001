// The smallest application around quillon: it shows the component's messages
// its own way, makes a tender document from a library template in one
// installation, sends it as a package and takes it into a second one.
//
//   example_host WORK_FOLDER
//
// WORK_FOLDER gets office-a/ and office-b/ (two installations with the demo
// library) and outbox/ (the package). Exit status 0 when the document arrived.
#include <quillon/dbfunc.h>
#include <quillon/error.h>
#include <quillon/setup.h>
#include <quillon/transaction.h>
#include <quillon/version.h>

#include <filesystem>
#include <iostream>
#include <string>

namespace fs = std::filesystem;

namespace {

// The application's message boxes. A desktop program would open a dialog;
// this one writes a line and says yes to every question (overwrite the
// package of an earlier run).
class ConsoleHost : public quillon::Host {
 public:
  void message(const std::string& title, const std::string& text, quillon::Icon) override {
    std::cerr << "[" << (title.empty() ? "quillon" : title) << "] " << text << "\n";
  }
  bool question(const std::string& title, const std::string& text, quillon::Icon icon) override {
    message(title, text + " (yes)", icon);
    return true;
  }
};

// Template 21 of the demo library as a new project; returns its number.
std::int32_t makeTender(quillon::DBFunc& office, const std::string& name) {
  const std::int32_t project = office.nextOwnerId(1);
  // The two members are one step for the application: both or neither.
  quillon::Transaction whole(office);
  if (!office.New_Bs(21, 0, name, std::to_string(project)) ||
      office.Get_Tree_NodeFromInfo(21, project, name, 0, 0) < 0)
    throw quillon::Error("the template could not be copied: " + office.lastError());
  whole.commit();
  return project;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: example_host WORK_FOLDER\n";
    return 2;
  }
  const fs::path work = fs::absolute(argv[1]);
  try {
    std::cout << "quillon " << quillon::libraryVersion() << " (headers " << QUILLON_VERSION << ")\n";
    for (const char* office : {"office-a", "office-b"})
      quillon::initializeHome(work / office, quillon::InitOptions{true, true});
    ConsoleHost host;

    const std::string name = "示例项目招标文件";
    fs::path package;
    {
      quillon::DBFunc a(host, work / "office-a");
      const std::int32_t project = makeTender(a, name);
      std::cout << "office A made project " << project << "\n";
      fs::create_directories(work / "outbox");
      // Asked for outbox/tender.xml, the export writes outbox/tender/tender.xml:
      // a folder of its own, where the document's files belong.
      if (!a.EduceBs(project, (work / "outbox" / "tender.xml").string(), ""))
        throw quillon::Error("the export failed: " + a.lastError());
      package = work / "outbox" / "tender" / "tender.xml";
      std::cout << "office A sent " << package.string() << "\n";
    }

    quillon::DBFunc b(host, work / "office-b");
    b.InputBsPath = (work / "office-b" / "Documents").string() + "/";
    b.vNew_PARENT_NOED_ID = "0";  // the top of a new project
    b.PARENT_LAYER_ID = 0;
    const quillon::Value received = b.InputBs(package.string(), false);
    if (received.isEmpty()) throw quillon::Error("office B found no package at " + package.string());
    const auto project = static_cast<std::int32_t>(received.toInt64());
    std::cout << "office B imported it as project " << project << "\n";
    for (const auto& d : b.listDocuments(1))
      if (d.id == project)
        std::cout << "  " << d.name << ": " << d.nodes << " nodes, " << d.checks << " checks, "
                  << d.scoringItems << " scoring items\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "example_host: " << e.what() << "\n";
    return 3;
  }
}
