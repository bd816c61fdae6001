#pragma once
// What the exporting members write: where they put their package for the
// output name they are given, so that a caller can find (or stage, and
// rename) it, and which tables it carries. Both "/" and "\" separate folders
// in the output name.
#include <string>
#include <vector>

#include "quillon/export.h"

namespace quillon {

enum class PackageMember {
  EduceBs,        ///< "DIR/BASE/BASE.xml" for "DIR/BASE.ext"
  OutputBS,       ///< the output name with ".xml" added
  OutputTBS,      ///< the output name with ".xml" added
  EduceResource,  ///< "DIR/BASE.xml" for "DIR/BASE.ext"
};

QUILLON_API std::string packageFileOf(PackageMember member, const std::string& OutputName);

/// The tables a package carries rows of, in the order it carries them: the
/// project side's (`project`) or the library's.
QUILLON_API std::vector<std::string> packageTables(bool project);

}  // namespace quillon
