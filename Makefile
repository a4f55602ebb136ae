# The two commands a newcomer needs are `make run` and `make test`; the rest serve development.
BUILD ?= build
JOBS  ?= $(shell nproc)
SOAK_MINUTES ?= 30

.PHONY: deps configure build run test screenshots bench soak clean sanitize package fuzz

deps:
	@tools/scripts/deps.sh

configure: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/scripts/run.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

screenshots: build
	@tools/scripts/screenshots.sh $(BUILD)

bench: build
	cmake --build $(BUILD) --target benches
	@tools/scripts/bench.sh $(BUILD)

# The long run of bench/soak: the desktop program and tq36-cli recording for SOAK_MINUTES.
soak: configure
	cmake --build $(BUILD) --target bench_soak -j $(JOBS)
	SOAK_MINUTES=$(SOAK_MINUTES) QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} \
	  TQ36_METERSIM=$(abspath $(BUILD))/tools/metersim/tq36-metersim $(BUILD)/bench/soak/bench_soak

sanitize: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTQ36_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS) --timeout 600

package: deps
	@tools/scripts/deps.sh package
	@tools/scripts/package.sh build-package $(JOBS)

# Every parser under libFuzzer for FUZZ_SECONDS each (FUZZ_TARGETS, FUZZ_JOBS: see the script).
fuzz:
	@tools/scripts/deps.sh fuzz
	@tools/scripts/fuzz.sh

clean:
	rm -rf $(BUILD) build-asan build-package build-fuzz
