# The two commands a newcomer needs are `make run` and `make test`; the rest serve development.
BUILD ?= build
JOBS  ?= $(shell nproc)
SOAK_MINUTES ?= 30

.PHONY: deps configure build run test screenshots bench soak clean sanitize tsan package fuzz

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

# The thread sanitizer over the tests of what runs on more than one thread: the port, the
# acquisition engine and the logger exchange, and the windows, tq36-cli and the publisher that
# take what they tell. ctest selects them by their suite names; the first report fails the run.
TSAN_PROGRAMS = serial_tests acquisition_tests logger_core_tests panel_ui_tests records_ui_tests stats_ui_tests \
  graphs_ui_tests logger_ui_tests cli_tests publish_tests
TSAN_SUITES = ^(ComPortAPITest|ModeStringTest|Rs232_APITest|SerialDevices|AcquisitionEngineTest|PcRecordingTest|RealTimeList|SamplingSchedule|DumpReceiver|LoggerFormat|MemoryExchangeTest|PanelTest|FileListTest|ListPrintingTest|ListWindowTest|RecordFileTest|AvgWindowTest|PlotWindowTest|RealTimeGraphTest|LoggerWindowsTest|CliTest|CliTexts|PublishOptions|PublishTest)[./]
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTQ36_TSAN=ON
	cmake --build build-tsan -j $(JOBS) --target tq36-metersim $(TSAN_PROGRAMS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$(abspath tests/tsan-qt.supp)" ctest --output-on-failure --no-tests=error -j $(JOBS) --timeout 600 \
	  -R '$(TSAN_SUITES)'

package: deps
	@tools/scripts/deps.sh package
	@tools/scripts/package.sh build-package $(JOBS)

# Every parser under libFuzzer for FUZZ_SECONDS each (FUZZ_TARGETS, FUZZ_JOBS: see the script).
fuzz:
	@tools/scripts/deps.sh fuzz
	@tools/scripts/fuzz.sh

clean:
	rm -rf $(BUILD) build-asan build-tsan build-package build-fuzz
