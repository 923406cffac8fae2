# tanafuda: the two set-up commands of the README, and a few helpers.
#   make run    install what is missing, build, start the launcher
#   make test   install what is missing, build, run every test (offscreen)
#   make fuzz   fuzz the sheet-file reader and the page drawing for FUZZ_SECONDS (default 60)

BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test bench fuzz clean

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

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

fuzz: deps
	@bash tests/fuzz/run-sheet-file-fuzz.sh $(FUZZ_SECONDS) build-fuzz

clean:
	rm -rf $(BUILD) build-fuzz
