#include "engine/postgres/pg_library.h"

#include <dlfcn.h>
#include <fmt/core.h>

#include <string>

#include "platform/module_loader.h"
#include "quillon/error.h"

namespace quillon::engine::postgres {
namespace {

constexpr const char* kModule = "libquillon_pg.so";

struct Loaded {
  const QuillonPgApi* api = nullptr;
  std::string failure;
};

Loaded load() {
  Loaded loaded;
  std::string tried;
  if (void* handle = platform::openModule(kModule, tried)) {
    const auto entry = reinterpret_cast<QuillonPgApiEntry>(dlsym(handle, "quillon_pg_api"));
    const QuillonPgApi* api = entry ? entry() : nullptr;
    if (api && api->size >= sizeof(QuillonPgApi)) {
      loaded.api = api;
      return loaded;
    }
    tried += fmt::format("; {} is not the one this library was built with", kModule);
  }
  loaded.failure = fmt::format("the PostgreSQL engine ({}) cannot be loaded{}", kModule, tried);
  return loaded;
}

}  // namespace

const QuillonPgApi& pq() {
  static const Loaded loaded = load();
  if (!loaded.api) throw Error(ErrorKind::NotFound, loaded.failure);
  return *loaded.api;
}

}  // namespace quillon::engine::postgres
