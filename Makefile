# Quick start: `make demo` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
HOME_DEMO ?= demo-home

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

bench: build
	$(BUILD)/bench/quillon_bench

clean:
	rm -rf $(BUILD) $(HOME_DEMO)
