#pragma once
// Recursive copy of a folder that came from elsewhere (the files beside an
// imported package) into a folder of this installation.
#include <string>

namespace quillon::pub {

// Copies the folder DirFrom with everything below it into DirTo, so that it
// lands as DirTo's subfolder of the same name. Missing folders are created and
// existing files overwritten. Links and special files inside DirFrom are
// skipped, and so is a DirFrom that is itself a link: the source is walked
// through descriptors opened without following links, so a link swapped in
// at any moment is never followed and the copy never reaches outside the
// source. A destination inside the source copies nothing. Failures skip what
// they concern; nothing is reported and nothing thrown.
void CopyDir(const std::string& DirFrom, const std::string& DirTo);

// The same copy for a caller that must know: after trying everything, throws
// quillon::Error naming the first file or folder that could not be copied.
void CopyFolderInto(const std::string& DirFrom, const std::string& DirTo);

}  // namespace quillon::pub
