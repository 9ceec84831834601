# Two commands for people: `make run` and `make test`. Everything else is CMake.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
CMAKE_FLAGS ?=

.PHONY: run test bench deps build build-asan build-tsan build-fuzz fuzz clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKESTRINE_SANITIZE=address,undefined $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

# ThreadSanitizer over everything that runs the training thread: the training
# and session tests and the app's suites (window, commands, wizard).
TSAN_TESTS = test_training test_session test_ui test_commands test_wizard
build-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKESTRINE_SANITIZE=thread $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)

# libFuzzer over the project reader and the data import (clang).
build-fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKESTRINE_FUZZ=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: build-fuzz
	@scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Forward-pass and training figures against FANN, in one run; then the
# window with 100 000 scenarios (offscreen, one core).
bench: build
	@$(BUILD)/bin/peer_bench examples 60
	@taskset -c 0 $(BUILD)/bin/winner_bench 1000 10000 100000
	@QT_QPA_PLATFORM=offscreen taskset -c 0 $(BUILD)/bin/window_bench 100000 5
	@QT_QPA_PLATFORM=offscreen taskset -c 0 $(BUILD)/bin/window_bench 100000 3 winner

run: build
	@scripts/run.sh $(BUILD)

test: build build-asan build-tsan build-fuzz
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)
	@TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/bin/test_training --gtest_brief=1
	@TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/bin/test_session --gtest_brief=1
	@for t in test_ui test_commands test_wizard; do \
		QT_QPA_PLATFORM=offscreen QT_NO_GLIB=1 XDG_CONFIG_HOME=$(CURDIR)/$(TSAN_BUILD)/test-config \
		TSAN_OPTIONS=halt_on_error=1:suppressions=$(CURDIR)/tests/tsan.supp \
		$(TSAN_BUILD)/bin/$$t -silent || exit 1; done
	@scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
