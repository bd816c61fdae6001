#pragma once
// The tree import: the package's document tree appended under new node and
// owner numbers, hung under the caller's node on the project side with the
// document's files copied beside it, checked against the library's names on
// the library side.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/session.h"
#include "import/package_source.h"

namespace quillon::importing {

struct ImportSide;
class NewRow;

// The object's public fields the tree import reads.
struct TreePlacement {
  std::string InputBsPath;           // folder the document folders are made in
  std::string vNew_PARENT_NOED_ID;   // the parent of an imported document node
  std::int32_t PARENT_LAYER_ID = 0;  // that parent's layer
  // Where a bid import makes its document folders instead of the settings
  // file's project path, when set.
  std::optional<std::string> projectPath;

  // vNew_PARENT_NOED_ID as the node number stored: blank is 0 (the top),
  // a whole number is that number; anything else throws "Type mismatch".
  Value parentNode() const;
};

class TreeImport {
 public:
  TreeImport(Session& session, const Package& package, TreePlacement placement)
      : session_(session), package_(package), placement_(std::move(placement)) {}

  // Always false, as the drivers expect. Throws quillon::Error when the
  // package lacks its tree element, a value cannot be stored or a number
  // passes 32 bits; rows and files made before stay. A document file that
  // cannot be copied is noted in the session's last error. Names from the package
  // reach SQL only bound and paths only as one safe component.
  bool inputTreeFromXml(std::int16_t ori, std::int32_t oldOwner, const std::string& sourceFolder,
                        bool FgOldBs);

  // The same package tree as the start of a bid: the document folders go
  // below the installation's project path, and the tender root (type 9)
  // moves one level down under a new "投标书" beside the bid sections. The
  // side must be the project side.
  bool inputTreeFromXmlEx(std::int16_t ori, std::int32_t oldOwner, const std::string& sourceFolder,
                          bool FgOldBs);

  // A name under which no node of the project type and node type exists
  // yet: `name`, or it with "(YYYY-MM-DD HH-MM-SS导入)" appended until free.
  std::string chenkNodeEx(const std::string& name, const std::string& projectType, std::int16_t ori,
                          std::int32_t nodeType);
  std::string chenkNode(const std::string& name, const std::string& projectType, std::int16_t ori);

 private:
  // What a bid's tree does differently: its own columns, files below the
  // project path, drawings a layer deeper, the tender root renamed.
  enum class Variant { Tender, Bid };
  // Copies the package's tree; false when its rows could not be opened.
  bool copyTree(std::int16_t ori, std::int32_t oldOwner, const std::string& sourceFolder, bool FgOldBs,
                Variant variant);
  // A library node of a kind whose name must be free: it replaces the
  // rows of the same name (FgOldBs) or takes a free name.
  void checkLibraryName(NewRow& row, const ImportSide& side, std::int32_t type, bool FgOldBs);
  void placeDocumentFiles(const std::string& sourceFolder, const std::string& name, std::int32_t node);
  void placeBidFiles(const std::string& sourceFolder, const std::string& name, std::int32_t node);
  void addBidSections(std::int32_t tenderRoot);
  std::string projectPath() const;
  void copyPdf(const std::string& sourceFolder, const std::string& name, std::int32_t packageNode,
               std::int32_t node);
  // A copy whose result the import does not check: a failure is noted for
  // the caller (and ends the import of a strict one, which keeps nothing).
  void unchecked(const std::function<void()>& copy);

  Session& session_;
  const Package& package_;
  TreePlacement placement_;
  std::string documentFolder_;
  std::int32_t tenderRoot_ = 0;  // the bid's tender root, once copied
};

}  // namespace quillon::importing
