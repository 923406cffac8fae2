# tanafuda: the three set-up commands of the README, and a few helpers.
#   make run      install what is missing, build, start the launcher
#   make test     install what is missing, build, run every test (offscreen)
#   make package  install what is missing, build, make the Debian package in build/
#   make install  build and install under PREFIX (default /usr/local), staged under DESTDIR if given
#   make tidy     the checks of .clang-tidy over src/ (needs clang-tidy)
#   make format   the house style of .clang-format over src/, tests/ and bench/ (make test checks it)
#   make bench-startup  the start-up of the launcher and of the editor from a sheet file against a
#                 Qt Widgets hello-world under Xvfb (ROUNDS=20, BEFORE=another build's tanafuda,
#                 REALTIME=1 to run them under the real-time scheduler)
#   make fuzz     fuzz the sheet-file reader and the page drawing, then the product-list reader, for
#                 FUZZ_SECONDS each (default 60)
# These are the Debian set-up (packages come from apt-get through scripts/install-deps.sh, the
# package is a .deb). Elsewhere configure and build with CMake directly.

BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60
PREFIX   ?= /usr/local
DESTDIR  ?=

.PHONY: all deps configure build run test package install bench bench-startup fuzz tidy format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "No display found: tanafuda is a desktop program and needs one."; \
	  echo "On a machine without a desktop, run it under a virtual display:"; \
	  echo "    xvfb-run -a $(BUILD)/tanafuda"; \
	  exit 1; \
	fi
	@$(BUILD)/tanafuda

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

package: build
	@cd $(BUILD) && cpack -G DEB
	@ls -l $(BUILD)/tanafuda_*.deb

install: build
	@DESTDIR='$(DESTDIR)' cmake --install $(BUILD) --prefix '$(PREFIX)'

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

ROUNDS   ?= 20
BEFORE   ?=
REALTIME ?=

bench-startup: configure
	@cmake --build $(BUILD) -j $(JOBS) --target tanafuda startup-hello startup-map-probe -- --no-print-directory
	@bash bench/startup/measure-startup.sh -b $(BUILD) -n $(ROUNDS) $(if $(BEFORE),--before $(BEFORE)) $(if $(REALTIME),--realtime)

fuzz: deps
	@bash tests/fuzz/run-sheet-file-fuzz.sh $(FUZZ_SECONDS) build-fuzz
	@bash tests/fuzz/run-product-list-fuzz.sh $(FUZZ_SECONDS) build-fuzz

# The house style and checks (.clang-format, .clang-tidy); they need the clang-format and
# clang-tidy packages, which the other targets do not.
tidy: build
	@command -v run-clang-tidy >/dev/null || { echo "make tidy needs clang-tidy: apt-get install clang-tidy"; exit 1; }
	@run-clang-tidy -quiet -p $(BUILD) -j $(JOBS) '/src/' 2>/dev/null | grep -E 'warning:|error:' | sort -u; true

format:
	@command -v clang-format >/dev/null || { echo "make format needs clang-format: apt-get install clang-format"; exit 1; }
	@find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-fuzz
