#pragma once
// Questions to and changes of the file system for single paths: existence,
// folder creation, deletion and copying of one file. Paths are UTF-8 texts.
#include <string>

namespace quillon::pub {

// True when something is at the path, file or folder. False only when it is
// missing or a folder on the way to it is; any other failure to look (no
// permission, a loop of links) counts as present.
bool FileExists(const std::string& filename);

// The folder path rebuilt with "/" between its levels, without a closing
// separator; "\" and "/" both separate levels on input. With makeIfNoExist
// every missing level from the second on is created (the first, a root or a
// starting folder, is taken as given). Throws quillon::Error with the system's
// description when a level cannot be created.
std::string DirExists_Base(const std::string& DirStr, bool makeIfNoExist);

// Deletes the file at the path, read-only or not, and gives the empty text;
// gives the path back when nothing was deleted: no file there, a folder there,
// or the deletion failed. A link to a file is removed itself; its target stays.
std::string DelFile(const std::string& path);

// Copies one regular file; with failIfExists an existing target makes it fail,
// otherwise the target is replaced (read-only or not). A link as the source is
// refused. The target is never left half-written. True on success; never
// throws.
bool CopyFile(const std::string& from, const std::string& to, bool failIfExists);

}  // namespace quillon::pub
