# The two commands a newcomer needs are `make run` and `make test`; the rest serve development.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: deps configure build run test screenshots bench clean sanitize fuzz

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

sanitize: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTQ36_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS) --timeout 600

# Every parser under libFuzzer for FUZZ_SECONDS each (FUZZ_TARGETS, FUZZ_JOBS: see the script).
fuzz:
	@tools/scripts/deps.sh fuzz
	@tools/scripts/fuzz.sh

clean:
	rm -rf $(BUILD) build-asan build-fuzz
