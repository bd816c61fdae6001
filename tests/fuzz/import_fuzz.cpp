// A package from another office through one import driver (chosen when the
// target is built) into a scratch installation. Whatever the bytes, the
// import either stores its rows or fails with the component's own error;
// the database stays whole, rows that stood before stay as they were, and
// nothing outside the source and document folders is touched.
#include <cstdint>

#include "quillon/dbfunc.h"
#include "quillon/error.h"
#include "scratch_install.h"

namespace {

using namespace quillon;

Value importWith(DBFunc& object, const std::string& package) {
#if QUILLON_FUZZ_DRIVER == 1
  return object.InputBs(package, false);
#elif QUILLON_FUZZ_DRIVER == 2
  return object.InputTBs(package, false);
#else
  return object.InputRESOURCE(package, false);
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto& scratch = fuzz::ScratchInstall::instance();
  const auto package = scratch.reset(data, size);
  {
    fuzz::YesHost host;
    DBFunc object(host, scratch.home());
    object.InputBsPath = scratch.documentRoot().string() + "/";
    object.vNew_PARENT_NOED_ID = "0";
    object.PARENT_LAYER_ID = 0;
    try {
      importWith(object, package.string());
    } catch (const Error&) {
      // A refused package: the error is the expected outcome. Any other
      // exception type leaves this function and ends the run.
    }
  }
  scratch.checkAfterInput();
  return 0;
}
