// Import members of DBFunc, forwarded to the import subsystem with the
// object's public fields that place an imported tree.
#include "component/calls.h"
#include "core/session.h"
#include "import/import_drivers.h"
#include "quillon/dbfunc.h"

namespace quillon {

namespace {
importing::TreePlacement placementOf(const DBFunc& object) {
  return {object.InputBsPath, object.vNew_PARENT_NOED_ID, object.PARENT_LAYER_ID, object.projectPathOverride};
}
}  // namespace

Value DBFunc::InputBs(const std::string& InputName, bool FgOldBs) {
  return calls::writes(*session_, [&] {
    return importing::ImportDrivers(*session_, placementOf(*this)).InputBs(InputName, FgOldBs);
  });
}

Value DBFunc::InputRESOURCE(const std::string& InputName, bool FgOldBs) {
  return calls::writes(*session_, [&] {
    return importing::ImportDrivers(*session_, placementOf(*this)).InputRESOURCE(InputName, FgOldBs);
  });
}

Value DBFunc::InputTBs(const std::string& InputName, bool FgOldBs) {
  return calls::writes(*session_, [&] {
    return importing::ImportDrivers(*session_, placementOf(*this)).InputTBs(InputName, FgOldBs);
  });
}

}  // namespace quillon
