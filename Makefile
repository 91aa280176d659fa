# The two commands a new user needs: `make run` and `make test`.
.PHONY: run test dist deps deps-run build build-host build-win64 build-fuzz fuzz bench soak screenshots clean

deps:
	@scripts/install-deps.sh

# Only what building and starting Kavlor needs.
deps-run:
	@scripts/install-deps.sh run

# kavlor.exe with conversion.dll beside it, 32-bit (the release) and 64-bit.
build: deps
	cmake --preset mingw32 >/dev/null
	cmake --build --preset mingw32
	cmake --preset mingw64 >/dev/null
	cmake --build --preset mingw64 --target kavlor conversion

build-win64: deps
	cmake --preset mingw64 >/dev/null
	cmake --build --preset mingw64

build-host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host

# The codec fuzz target, built with clang and the sanitizers.
build-fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

FUZZ_SECONDS ?= 300
fuzz: build-fuzz
	scripts/fuzz.sh --seconds $(FUZZ_SECONDS)

# Builds the flavour that runs on this machine and starts it.
run: deps-run
	scripts/run.sh

# Host unit tests, then the Windows integration tests of both Windows builds under Wine.
test: build build-win64 build-host build-fuzz
	scripts/test.sh

# Every figure of the benchmark in one table, also written to build/bench/bench.md.
# The long soak (minutes): heavy use of the real program, nothing may leak.
KAVLOR_SOAK_ROUNDS ?= 20
soak: build build-win64
	KAVLOR_SOAK_ROUNDS=$(KAVLOR_SOAK_ROUNDS) scripts/soak.sh

bench: build build-win64
	scripts/bench.sh

# The README's pictures of the windows, rendered under a private virtual display into
# docs/screenshots/. Run again when the windows change.
screenshots: deps
	scripts/screenshots.sh

# The release packages of the last commit in dist/: the 32-bit zip and installer, and the
# same for 64-bit Windows (DIST_ARCHES=win32 for the release alone).
DIST_ARCHES ?= win32 win64
dist: deps
	scripts/dist.sh $(DIST_ARCHES)

clean:
	rm -rf build dist
