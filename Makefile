# make demo  - set up, build, and run the plug-in in the stand-in host
# make test  - set up, build, and run every test under Wine
# make check - the check build (warnings as errors, library assertions,
#              undefined behaviour traps, stack guards) in build-check, and
#              every test of it under Wine
# make package - the setup and the portable zip in out/
# make run   - the stand-in bar with the plug-in on your display, until you close it
BUILD ?= build
CHECK_BUILD ?= build-check
DEPS_PREFIX ?= $(CURDIR)/build/deps/prefix

.PHONY: all setup configure build test check demo bench package run clean

all: build

setup:
	scripts/install-packages.sh
	scripts/build-deps.sh $(dir $(DEPS_PREFIX))

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DMX_DEPS_PREFIX=$(DEPS_PREFIX)

configure: setup $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD)

test: build
	scripts/run-tests.sh $(BUILD)

# The same as the "check" preset, with the deps of the normal build.
$(CHECK_BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(CHECK_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DMX_DEPS_PREFIX=$(DEPS_PREFIX) -DCMAKE_BUILD_TYPE=Debug -DMX_CHECK=ON

check: setup $(CHECK_BUILD)/CMakeCache.txt
	cmake --build $(CHECK_BUILD)
	scripts/run-tests.sh $(CHECK_BUILD)

demo: build
	scripts/demo.sh $(BUILD)

package: configure
	cmake --build $(BUILD) --target mx_package

run: build
	scripts/run.sh $(BUILD)

bench: build
	scripts/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)/CMakeFiles $(BUILD)/CMakeCache.txt $(CHECK_BUILD)/CMakeFiles $(CHECK_BUILD)/CMakeCache.txt
