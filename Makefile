# One word for newcomers: `make run` plays the production, `make test` runs
# every test. Both install what is missing, configure and build first.
BUILD ?= build
BUILD_ASAN ?= build-asan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test test-sanitize bench capture clean package release

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./kazzmot

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The sanitizer build runs the tests that drive the production.
test-sanitize: deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAZZMOT_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS) -L 'platform|effects|scenes|production'

# The whole production, frame-exact, to build/kazzmot.mp4 with its storyboard.
capture: build
	cmake --build $(BUILD) --target capture

bench: build
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && (cd $(BUILD) && "$$b"); done

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)

# The browser build's libraries: SDL 1.2, zlib, libpng and libmikmod from
# Debian's source packages, built with emcc and natively, cached outside the
# tree (scripts/web-deps --prefix says where).
WEB_DEPS = $(shell scripts/web-deps --prefix)
BUILD_WEB_REF ?= build-web-ref
.PHONY: web-deps web-ref

web-deps: deps
	@scripts/web-deps

# The production built natively on those same libraries, and the hash log of
# its whole run on the virtual machine: what the browser must give, frame for
# frame ($(BUILD_WEB_REF)/hash-log.txt).
web-ref: web-deps configure
	cmake --build $(BUILD) -j $(JOBS) --target datas
	cmake -S . -B $(BUILD_WEB_REF) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKAZZMOT_LIBS=$(WEB_DEPS)/native -DKAZZMOT_DATAS=$(abspath $(BUILD))/Datas
	cmake --build $(BUILD_WEB_REF) -j $(JOBS) --target kazzmot-capture
	cd $(BUILD_WEB_REF) && ./kazzmot-capture --hash-log hash-log.txt

# The Debian package, dist/kazzmot_<version>_<arch>.deb (CPack; the version is
# the CMake project's). scripts/check-package tries it as a user would.
package: build
	cmake --build $(BUILD) --target paquet

# The release folder dist/kazzmot-<version>/: the package, a source archive, the
# capture and its storyboard, the Windows and browser zips, the .nfo and SHA256SUMS.
release: build windows web
	cmake --build $(BUILD) --target release

# The browser version: build-web/ holds the page, its script, the wasm and the
# data; serve that folder with any static file server. make test-web plays it
# in headless chromium against the native builds (scripts/test-web).
BUILD_WEB ?= build-web
EMCC_ENV = NODE_PATH=/usr/share/nodejs NODE_OPTIONS=--no-experimental-fetch
.PHONY: web test-web

web: web-deps configure
	cmake --build $(BUILD) -j $(JOBS) --target datas
	$(EMCC_ENV) emcmake cmake -S . -B $(BUILD_WEB) -DCMAKE_BUILD_TYPE=Release -DKAZZMOT_WEB=ON \
	  -DKAZZMOT_DATAS=$(abspath $(BUILD))/Datas
	$(EMCC_ENV) cmake --build $(BUILD_WEB) -j $(JOBS) --target kazzmot-web

test-web: web web-ref
	cmake --build $(BUILD) -j $(JOBS) --target kazzmot-echantillons
	BUILD=$(BUILD) BUILD_WEB=$(BUILD_WEB) BUILD_WEB_REF=$(BUILD_WEB_REF) scripts/test-web

# The Windows version: $(BUILD_WINDOWS)/kazzmot.exe cross-built with Debian's
# mingw-w64 on SDL 1.2, SDL_mixer 1.2, libmikmod, libpng and zlib from Debian's
# source packages (scripts/windows-deps, cached outside the tree), with the
# hash log tool kazzmot-empreintes.exe. make test-windows plays it under wine64
# and Xvfb against the native classic-SDL build (scripts/test-windows).
BUILD_WINDOWS ?= build-windows
.PHONY: windows-deps windows test-windows

windows-deps:
	@scripts/windows-deps

windows: windows-deps configure
	cmake --build $(BUILD) -j $(JOBS) --target datas
	cmake -S . -B $(BUILD_WINDOWS) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/mingw-w64.cmake) -DKAZZMOT_DATAS=$(abspath $(BUILD))/Datas
	cmake --build $(BUILD_WINDOWS) -j $(JOBS) --target kazzmot kazzmot-empreintes

test-windows: windows web-ref
	BUILD_WINDOWS=$(BUILD_WINDOWS) BUILD_WEB_REF=$(BUILD_WEB_REF) scripts/test-windows
