# Tessella: the two commands a new machine needs are `make run` and `make test`.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CTEST_JOBS ?= 2
# The SQLite driver is 8-bit only: text crosses the driver manager in the
# locale's encoding, so everything runs under a UTF-8 locale.
export LANG := C.UTF-8
export LC_ALL := C.UTF-8

.PHONY: all deps configure build test run demo format check-format clean

all: build

deps:
	@scripts/deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(CTEST_JOBS)

# The demo database and its data source, registered for the current user only.
demo: build
	@scripts/setup-demo.sh

run: demo
	$(BUILD_DIR)/src/runner/tessella-run --connect TessellaDemo

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD_DIR)
