# Quick start: `make demo` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
HOME_DEMO ?= demo-home
BENCH_BUILD ?= build-release
# The throw-away PostgreSQL cluster of the server benchmarks: a short path
# the server's own user can reach (its socket lives there).
BENCH_PG ?= /tmp/quillon-bench-pg
SANITIZE_BUILD ?= build-sanitize
PACKAGE_BUILD ?= build-package
FUZZ_SECONDS ?= 600

.PHONY: all deps deps-fuzz build test demo docs package bench sanitize-build test-sanitize fuzz clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The demo renders the page in a browser, which only it installs.
demo: build
	@QUILLON_WITH_BROWSER=1 scripts/install-deps.sh
	@scripts/demo.sh $(BUILD)/quillon $(HOME_DEMO)

# The Debian packages quillon and libquillon-dev, in $(PACKAGE_BUILD), then
# checked unpacked into a scratch root.
package:
	@QUILLON_WITH_PACKAGE=1 scripts/install-deps.sh
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
	scripts/package-check.sh $(PACKAGE_BUILD)

# The API reference of the public headers, in $(BUILD)/docs/html; a warning
# fails it.
docs:
	@QUILLON_WITH_DOCS=1 scripts/install-deps.sh
	mkdir -p $(BUILD)/docs
	QUILLON_DOCS_OUT=$(BUILD)/docs doxygen docs/Doxyfile

# The benchmark suite in a Release build of its own; the report and plot go
# to docs/performance.md and docs/performance.png.
bench:
	@QUILLON_WITH_BENCH=1 scripts/install-deps.sh
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target quillon_bench quillon_cli
	scripts/pg-cluster.sh start $(BENCH_PG) >/dev/null
	QUILLON_BENCH_SERVER="host=$(BENCH_PG) user=postgres" \
	  $(BENCH_BUILD)/bench/quillon_bench --benchmark_out=$(BENCH_BUILD)/bench.json --benchmark_out_format=json; \
	  status=$$?; scripts/pg-cluster.sh stop $(BENCH_PG); rm -rf $(BENCH_PG); exit $$status
	bench/report.py $(BENCH_BUILD)/bench.json docs

# One clang build with AddressSanitizer and UndefinedBehaviorSanitizer for
# both: the whole test suite, and the libFuzzer targets of tests/fuzz.
$(SANITIZE_BUILD)/build.ninja:
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DQUILLON_BUILD_FUZZ=ON -DQUILLON_BUILD_BENCH=OFF

deps-fuzz:
	@QUILLON_WITH_FUZZ=1 scripts/install-deps.sh

sanitize-build: deps-fuzz $(SANITIZE_BUILD)/build.ninja
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)

test-sanitize: sanitize-build
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=60).
fuzz: sanitize-build
	scripts/fuzz.sh $(SANITIZE_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(SANITIZE_BUILD) $(HOME_DEMO)
