# The two everyday commands are `make run` and `make test`; both install what is missing first.
PRESET ?= release
JOBS ?= $(shell nproc)
CTEST_ARGS ?=

.PHONY: all deps configure build test test-asan test-clang bench run clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	ctest --preset $(PRESET) -j $(JOBS) $(CTEST_ARGS)

# The same suite under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
test-asan:
	$(MAKE) test PRESET=asan-ubsan

# The same suite built with clang instead of GCC.
test-clang:
	$(MAKE) test PRESET=release-clang

bench: build
	@for b in build/$(PRESET)/bench/*_bench; do echo "== $$b"; $$b; done

run: build
	@echo "The show itself is not built yet: only the foundation libraries and their tests exist."

clean:
	rm -rf build
