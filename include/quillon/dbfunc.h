#pragma once
// DBFunc: the component's one public object. Creating it opens the
// installation's database for exclusive use; destroying it closes it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "quillon/document_summary.h"
#include "quillon/host.h"
#include "quillon/import_journal.h"
#include "quillon/recordset.h"
#include "quillon/text_array.h"
#include "quillon/value.h"
#include "quillon/xml_document.h"

#include "quillon/export.h"

namespace quillon {

struct DBFuncAccess;

class QUILLON_API DBFunc {
 public:
  /// The component folder holds Data/zbs.mdb, Conf/AccordedCheck.xsl and
  /// SysUser.ini. It is `componentFolder` when given, else $QUILLON_HOME, else
  /// the folder of the library's own file. `host` shows the messages and
  /// must outlive the object. A connection failure is reported through the
  /// host (DBF-00001) and leaves the object without a connection: the
  /// constructor does not throw. Call requireConnected() (or connected())
  /// before relying on it; members of an object without a connection fail.
  ///
  /// Lifetime and threads: one object is one connection, held for exclusive
  /// use until the object is destroyed (another process, or another object
  /// on the same folder, gets DBF-00001). Use an object from one thread at a
  /// time; objects on different folders may run on different threads. A
  /// Recordset keeps the connection alive and may outlive the object, but is
  /// used on the object's thread only.
  explicit DBFunc(Host& host, const std::filesystem::path& componentFolder = {});
  ~DBFunc();
  DBFunc(const DBFunc&) = delete;
  DBFunc& operator=(const DBFunc&) = delete;

  /// Set by the caller before an import of a document tree; nothing in the
  /// component writes them.
  std::string InputBsPath;
  std::string vNew_PARENT_NOED_ID;
  std::int32_t PARENT_LAYER_ID = 0;
  /// Where InputTBs makes its document folders when set; otherwise the
  /// ProjectPath of SysUser.ini in the component folder, read for each
  /// document. The command line stages a bid's files through it.
  std::optional<std::string> projectPathOverride;

  bool connected() const;
  /// Throws the quillon::Error that kept the database from opening (kind
  /// Locked, NotFound, IO or Engine, code DBF-00001); nothing when connected.
  void requireConnected() const;
  const std::filesystem::path& componentFolder() const;

  /// Why the last member called failed, also when it failed silently (a
  /// false, -1 or empty result without a message); empty after a success.
  /// A failed connection is the reason until the first member is called.
  const std::string& lastError() const;
  /// In strict mode a silent failure throws quillon::Error instead, for
  /// callers to whom every failure is one (the command line's own commands).
  void setStrict(bool strict);
  /// How many text values the last call wrote with U+FFFD in place of bytes
  /// that are not UTF-8 or characters XML 1.0 cannot carry (legacy rows may
  /// hold any bytes; what the component writes is always valid XML).
  std::int64_t valuesReplaced() const;
  /// The templates the last import renamed because the library held their
  /// names: the package's name and the name stored.
  const std::vector<std::pair<std::string, std::string>>& namesChanged() const;
  /// The RESOURCE_ID the last call gave the template it saved
  /// (SavaBsInResource); none when it saved none.
  std::optional<std::int32_t> ownerMade() const;

  /// One above the largest owner identifier of a side (ori = 1: PROJECT_ID,
  /// otherwise RESOURCE_ID) over its tree, compliance checks, scoring items,
  /// bid-opening lines and project record; 1 when there is none. A number no
  /// table holds, even where a failed copy left rows without a tree. Throws
  /// quillon::Error when the tables cannot be read.
  std::int32_t nextOwnerId(std::int16_t ori);
  /// Whether any of those tables holds an owner identifier of the side: an
  /// import can reserve its number only when one does.
  bool holdsOwners(std::int16_t ori);

  /// The document tree of one owner as an indented outline for people:
  /// PROJECT_ID on the project side (ori = 1), RESOURCE_ID on the library side
  /// (any other ori). One line per node, "NAME (type T, node N)", children
  /// under their parent in NODE_ORDER, then NODE_ID order; invalidated nodes
  /// only with `all`, marked "[invalidated]"; a node reached only through a
  /// parent cycle is drawn once, marked "[parent cycle]". The empty text when
  /// the owner has no node to show. Throws quillon::Error when the database
  /// cannot be read.
  std::string treeOutline(std::int16_t ori, std::int32_t ownerId, bool all);
  /// The same nodes, in the same order, for programs.
  std::vector<OutlineNode> treeNodes(std::int16_t ori, std::int32_t ownerId, bool all);

  /// The projects (ori = 1) or the templates (any other ori) that have a tree,
  /// in number order, each with its name, project type and live node, check
  /// and scoring-item counts. Throws quillon::Error when the database cannot
  /// be read.
  std::vector<DocumentSummary> listDocuments(std::int16_t ori);

  /// Query primitives.
  std::int32_t Db_GetCount(const std::string& Table, const std::string& strFilter);
  std::int32_t GetMaxNo(const std::string& Table, const std::string& RowName);
  std::int32_t GetGUID();
  bool ExecuteSql(const std::string& strSql);
  bool GetValue(const std::string& strSql, Recordset& rs);

  /// Tree services and look-ups.
  bool T_PROJECT_TREE_Insert(const TextArray& PROJECT_TREE);
  std::string GetBStype(std::int32_t NODE_ID, std::int16_t ORI_MODE);
  std::int16_t GetBsTypeByNodeID(std::int32_t NODE_ID, std::int16_t ORI_MODE);
  std::string GetBsTypeByProjectID(std::int32_t ProjectID, std::int16_t ORI_MODE);
  std::int32_t GetProjectTypeId(std::int32_t id, std::int16_t ori);
  std::int32_t GetProjectIdByNodeId(std::int32_t NODE_ID);
  std::int16_t GetJudgeWay(std::int16_t promodeId, const std::string& appraiseMode);
  void InserMaxNo(std::int16_t ori);
  Value DeleteTreeNode(std::int32_t NODE_ID, std::int16_t ori);

  /// A new tender document from a template.
  bool New_Bs(std::int32_t resource_id, std::int32_t project_type, const std::string& bsName,
              const std::string& project_id);
  std::int32_t Get_Tree_NodeFromInfo(std::int32_t resource_id, std::int32_t project_id,
                                     const std::string& bsName, std::int32_t PARENT_NOED_ID,
                                     std::int32_t Layer_ID);

  /// A project saved into the resource library as a new template.
  bool SavaBsInResource(const std::string& project_id, const std::string& resource_id,
                        const Value& RESOURCE_NAME);

  /// Table exporters. OutputTreeToXml appends its own clause to Fiter on the
  /// resource side, so callers build the filter afresh before each call.
  bool OutputTreeToXml(XmlDocument& Newxml, std::string& Fiter, std::int16_t ori);
  bool OutputAccToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);
  bool OutputOpenBidToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);
  bool OutputGradeToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);
  bool OutputProjectToXml(XmlDocument& Newxml, const std::string& Fiter, std::int16_t ori);
  bool acc2Html(std::int16_t ori, std::int16_t id, std::string& html);
  /// acc2Html for any owner number, also those past 32767.
  bool complianceHtml(std::int16_t ori, std::int32_t id, std::string& html);

  /// Export drivers.
  bool EduceBs(std::int32_t SelectID, const std::string& OutputName, const std::string& ori);
  bool OutputBS(std::int32_t SelectID, const std::string& OutputName, const std::string& ori);
  bool OutputTBS(std::int32_t project_id, const std::string& OutputName, const std::string& ori);
  bool EduceResource(const std::string& OutputName);

  /// Import drivers. A package file as a new project (InputBs: its document
  /// hangs under vNew_PARENT_NOED_ID, one layer below PARENT_LAYER_ID, its
  /// files go to a folder under InputBsPath) or as new library templates
  /// (InputRESOURCE: FgOldBs invalidates the templates of the same names,
  /// otherwise the imported ones are renamed). Returns the new owner number
  /// of the package's first document; Empty when the file is missing (after
  /// a message) or a library package holds no template. Throws quillon::Error
  /// for a package that cannot be read, before anything is written; a later
  /// failure keeps what was written before it.
  Value InputBs(const std::string& InputName, bool FgOldBs);
  Value InputRESOURCE(const std::string& InputName, bool FgOldBs);
  /// The same tender package as the start of a bid: InputBs's rows, the
  /// document folders below the project path, and the tender's root (renamed
  /// "标书") moved under a new "投标书" beside the bid sections 投标关键信息
  /// (投标一览表, 评分信息表, 符合性检查表) and 附件.
  Value InputTBs(const std::string& InputName, bool FgOldBs);

  /// An import whose document folders wait in a staging folder
  /// (quillon/import_journal.h): the entry is written in the caller's open
  /// transaction, with the import's rows. Throws quillon::Error.
  void recordImport(const ImportJournalEntry& entry);
  /// After the commit: moves the entry's folders into place and removes the
  /// entry; when a move fails, moves back what was moved, removes the
  /// import's rows with the entry and throws quillon::Error with the reason.
  void finishImport(const ImportJournalEntry& entry);
  /// Finishes (or takes back) every import a killed process left unfinished;
  /// nothing on an installation without a journal. Throws quillon::Error
  /// when an unfinished import can be neither finished nor taken back.
  void recoverImports();

 private:
  struct State;  // what the object holds, defined inside the library
  friend struct DBFuncAccess;
  friend class Transaction;
  std::unique_ptr<State> session_;
};

}  // namespace quillon
