# Quick start: `make run` plays the game, `make test` runs every test,
# `make bench` runs every benchmark and prints one table of their ratios.
BUILD ?= build
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: run test bench build deps clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) --parallel

run: build
	$(BUILD)/bin/ambrelia

test: build
	@cd $(BUILD) && ctest --output-on-failure --timeout 900

bench: build
	@cmake --build $(BUILD) --target benchmarks

clean:
	rm -rf $(BUILD)
