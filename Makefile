# Kestrola: `make run` starts it, `make test` runs every test, `make` just builds.
BUILD ?= build
PREFIX ?= /usr/local
BUILD_TYPE ?= Release

.PHONY: all deps configure build run test install clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null

build: configure
	@cmake --build $(BUILD) --parallel 2

run: build
	@bash scripts/run.sh $(BUILD)/bin/kestrola

test: build
	@cd $(BUILD) && ctest --output-on-failure --timeout 600

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	@rm -rf $(BUILD)
