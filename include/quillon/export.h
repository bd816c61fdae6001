#pragma once
// The shared library exports only what this macro marks; everything else in
// it is hidden, so callers cannot come to depend on the subsystems behind the
// facade.
#if defined(QUILLON_BUILDING)
#define QUILLON_API __attribute__((visibility("default")))
#else
#define QUILLON_API
#endif
