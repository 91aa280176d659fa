# The two commands a new user needs: `make run` and `make test`.
.PHONY: run test deps build build-host build-win64 bench clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset mingw32 >/dev/null
	cmake --build --preset mingw32

build-win64: deps
	cmake --preset mingw64 >/dev/null
	cmake --build --preset mingw64

build-host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host

run: build
	scripts/run.sh

# Host unit tests, then the Windows integration tests of both Windows builds under Wine.
test: build build-win64 build-host
	scripts/test.sh

bench: build
	scripts/bench.sh

clean:
	rm -rf build
