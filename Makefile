# Tessella: the two commands a new machine needs are `make run` and `make test`.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CTEST_JOBS ?= 2
# The SQLite driver is 8-bit only: text crosses the driver manager in the
# locale's encoding, so everything runs under a UTF-8 locale.
export LANG := C.UTF-8
export LC_ALL := C.UTF-8

.PHONY: all deps configure build programs test run install demo demo-document deb tsan asan fuzz \
    format check-format clean

all: build

deps:
	@scripts/deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

# What `make run`, `make install` and `make deb` need: the two programs and the manual page,
# none of the tests and benchmarks, which `make test` and `make bench` build.
PROGRAMS := tessella tessella-run tessella-run-manual
programs: configure
	cmake --build $(BUILD_DIR) --target $(PROGRAMS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(CTEST_JOBS)

# The databases of the demo shop's three branches and their data sources, registered for the
# current user only.
demo: deps
	@scripts/setup-demo.sh

# The workbench on the demo document; without a display it says so and stops. Only the window
# is built first.
run: configure demo
	cmake --build $(BUILD_DIR) --target tessella
	@scripts/run-workbench.sh $(BUILD_DIR)

# The programs, the desktop entry, the icon and the "Tessella Document" file type.
PREFIX ?= /usr/local
install: programs
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package of the same, built in $(BUILD_DIR): tessella_<version>_<arch>.deb there.
deb: programs
	cd $(BUILD_DIR) && cpack -G DEB

# demo/demo.tsl is demo/demo.sql with the three branches' data sources attached.
demo-document: configure
	cmake --build $(BUILD_DIR) --target tessella-run
	$(BUILD_DIR)/src/runner/tessella-run --save-as demo/demo.tsl demo/demo.sql \
	    --dsn TessellaDemoNorth --dsn TessellaDemoSouth --dsn TessellaDemoHarbour

# Sanitized compiles are slow and large: two at a time on a small machine.
SANITIZER_BUILD_JOBS ?= 2

# The execution, ODBC, runner and results tests under ThreadSanitizer. Qt is not built with
# it: the allocations and condition variables of Qt's own threads (its thread pool, QThread)
# would show as races, so the interceptors count only when our instrumented code calls them.
# Every access our code makes is still checked.
TSAN_DIR ?= build-tsan
TSAN_TARGETS := tessella_execution_tests tessella_odbc_tests tessella-run tessella_runner_tests \
    tessella_results_tests
tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSELLA_BUILD_BENCH=OFF -DTESSELLA_BUILD_GUI=ON \
	    -DCMAKE_CXX_FLAGS="-fsanitize=thread -O1 -g" \
	    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
	cmake --build $(TSAN_DIR) -j $(SANITIZER_BUILD_JOBS) --target $(TSAN_TARGETS)
	cd $(TSAN_DIR) && TESSELLA_TEST_TIME_FACTOR=4 \
	    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$(CURDIR)/scripts/tsan.supp" \
	    ctest --output-on-failure -j $(CTEST_JOBS) \
	    -R '^(Run|Runner|ThreadOdbc|Environment|ResultStore|BatchSplitter|tessella_results_tests)'

# The whole test suite, GUI tests and database servers included, under
# AddressSanitizer and UndefinedBehaviorSanitizer; any finding fails its test.
# UBSan only sees code we compile, so it needs no suppressions. LeakSanitizer
# stays on: the ODBC drivers' own start-up leaks are suppressed by library in
# scripts/lsan.supp, so a leak of ours (or of Qt on our behalf) still fails.
ASAN_DIR ?= build-asan
ASAN_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -O1 -g
asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSELLA_BUILD_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="$(ASAN_FLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(ASAN_DIR) -j $(SANITIZER_BUILD_JOBS)
	cd $(ASAN_DIR) && TESSELLA_TEST_TIME_FACTOR=4 ASAN_OPTIONS="allocator_may_return_null=1 detect_stack_use_after_return=1 strict_init_order=1 check_initialization_order=1" \
	    UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1" \
	    LSAN_OPTIONS="suppressions=$(CURDIR)/scripts/lsan.supp print_suppressions=0" \
	    ctest --output-on-failure -j $(CTEST_JOBS)

# The libFuzzer targets of fuzz/ (clang, with AddressSanitizer and UndefinedBehaviorSanitizer),
# each run for FUZZ_SECONDS from the committed seeds; a crash or a broken invariant fails.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	    -DCMAKE_CXX_FLAGS="-O1 -g" -DTESSELLA_BUILD_FUZZ=ON -DTESSELLA_BUILD_GUI=OFF \
	    -DTESSELLA_BUILD_TESTS=OFF -DTESSELLA_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(SANITIZER_BUILD_JOBS) --target fuzz_document fuzz_batch_splitter fuzz_connect_string
	scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# The benchmarks one after another (the test servers started when needed); each prints its own
# figures, and a table of every goal closes the run. The output is kept in $(BUILD_DIR)/bench.log.
.PHONY: bench
bench: build
	scripts/bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
