# The two everyday commands are `make run` and `make test`; both install what is missing first.
PRESET ?= release
JOBS ?= $(shell nproc)
CTEST_ARGS ?=

.PHONY: all deps configure build test test-asan test-clang bench fuzz run install package clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET) -j $(JOBS)

# The whole suite, then (for the release preset) the same suite but the whole-show plays under the
# sanitizers, in a build of its own. SANITIZERS=0 leaves the second run out.
SANITIZERS ?= 1
test: build
	ctest --preset $(PRESET) -j $(JOBS) $(CTEST_ARGS)
	@if [ "$(PRESET)" = release ] && [ "$(SANITIZERS)" != 0 ]; then \
		$(MAKE) --no-print-directory test-asan CTEST_ARGS="-LE slow $(CTEST_ARGS)"; \
	fi

# The suite under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
test-asan:
	$(MAKE) --no-print-directory test PRESET=asan-ubsan

# The same suite built with clang instead of GCC.
test-clang:
	$(MAKE) test PRESET=release-clang

# The performance table (Markdown on stdout; see bench/README.md).
bench: build
	bench/run-all.sh build/$(PRESET)

# Every libFuzzer target for FUZZ_SECONDS each, in a clang build of its own.
FUZZ_SECONDS ?= 60
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run-fuzzers.sh

# With a display the show plays in its window; without one (a server, CI) it is rendered
# headless to an MP4 next to the build instead.
BIN_DIR = build/$(PRESET)/bin
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		cd $(BIN_DIR) && ./vexa-rhino; \
	else \
		echo "No display: rendering the show to build/$(PRESET)/vexa-rhino.mp4 instead"; \
		cd $(BIN_DIR) && ./vexa-rhino-capture --mp4 ../vexa-rhino.mp4 && \
		echo "Rendered: $$(cd .. && pwd)/vexa-rhino.mp4"; \
	fi

# The programs, their data, the desktop entry, icons and manual pages under PREFIX (DESTDIR, when
# set, is put in front of every path, as for a package's staging folder).
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install build/$(PRESET) --prefix "$(PREFIX)"

# build/<preset>/packages/: vexa-rhino_<version>_amd64.deb, a tarball that runs from wherever it is
# unpacked, and screenshot.png, the frame to publish for the AppStream metadata.
package: build
	cmake --build --preset $(PRESET) --target show_screenshot
	cd build/$(PRESET) && cpack --config CPackConfig.cmake
	cp build/$(PRESET)/packaging/screenshot.png build/$(PRESET)/packages/
	@ls -l build/$(PRESET)/packages/

clean:
	rm -rf build
