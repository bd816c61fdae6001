#pragma once
// Where the exporting members put their package for the output name they
// are given, so that a caller can find (or stage, and rename) what they
// wrote. Both "/" and "\" separate folders in the output name.
#include <string>

#include "quillon/export.h"

namespace quillon {

enum class PackageMember {
  EduceBs,        ///< "DIR/BASE/BASE.xml" for "DIR/BASE.ext"
  OutputBS,       ///< the output name with ".xml" added
  OutputTBS,      ///< the output name with ".xml" added
  EduceResource,  ///< "DIR/BASE.xml" for "DIR/BASE.ext"
};

QUILLON_API std::string packageFileOf(PackageMember member, const std::string& OutputName);

}  // namespace quillon
