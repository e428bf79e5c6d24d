# Brindlemox: the two commands a user and CI need.
BUILD ?= build
JOBS ?= $(shell nproc)
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.DEFAULT_GOAL := build
.PHONY: deps configure build test run bench install clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(LAUNCHER)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Only the program: the tests, benchmarks and fuzz replays are built by `make test`.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target brindlemox
	./$(BUILD)/brindlemox $(ARGS)

# PREFIX=/usr/local by default; the binary goes to bin/, the shipped files to share/brindlemox.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

bench: build
	./$(BUILD)/brindlemox_bench

clean:
	rm -rf $(BUILD)
