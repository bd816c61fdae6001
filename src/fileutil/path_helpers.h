#pragma once
// Splitting of path texts. Paths may arrive in either form: with "/" from the
// paths the component builds, or with "\" from texts written elsewhere, so
// both separate folders here. Only ASCII bytes are looked for, which keeps
// every UTF-8 character whole.
#include <string>

namespace quillon::pub {

// The last component of the path; closing separators are ignored, so
// "a/b/" gives "b".
std::string GetFileNameNoPath(const std::string& strFileName);

// The text before its last "."; the empty text when it has no ".". The folder
// part is kept: "dir/a.b.c" gives "dir/a.b".
std::string GetFileNameNoExt(const std::string& strFileName);

// The folder part of the path up to and including its last separator of
// either kind; the empty text when there is none.
std::string ExtractFilePath(const std::string& path);

// The path with every "\" turned into "/". A caller's paths go through this
// once, where a member takes them, so that the helpers above and the file
// operations see the same folders.
std::string SlashSeparated(std::string path);

}  // namespace quillon::pub
