# make demo  - set up, build, and run the plug-in in the stand-in host
# make test  - set up, build, and run every test under Wine
# make package - the setup and the portable zip in out/
# make run   - the stand-in bar with the plug-in on your display, until you close it
BUILD ?= build
DEPS_PREFIX ?= $(CURDIR)/build/deps/prefix

.PHONY: all setup configure build test demo bench package run clean

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

demo: build
	scripts/demo.sh $(BUILD)

package: configure
	cmake --build $(BUILD) --target mx_package

run: build
	scripts/run.sh $(BUILD)

bench: build
	scripts/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)/CMakeFiles $(BUILD)/CMakeCache.txt
