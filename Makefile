# Quick start: `make demo` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
HOME_DEMO ?= demo-home
BENCH_BUILD ?= build-release

.PHONY: all deps build test demo bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo.sh $(BUILD)/quillon $(HOME_DEMO)

# The benchmark suite in a Release build of its own; the report and plot go
# to docs/performance.md and docs/performance.png.
bench:
	@QUILLON_WITH_BENCH=1 scripts/install-deps.sh
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target quillon_bench quillon_cli
	$(BENCH_BUILD)/bench/quillon_bench --benchmark_out=$(BENCH_BUILD)/bench.json --benchmark_out_format=json
	bench/report.py $(BENCH_BUILD)/bench.json docs

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(HOME_DEMO)
