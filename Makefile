# Two commands on a fresh Debian 12 machine: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

RUN_PACKAGES := cmake g++ make pkg-config qt6-base-dev qt6-translations-l10n libturbojpeg0-dev fonts-ipafont-gothic
TEST_PACKAGES := $(RUN_PACKAGES) xvfb xauth xdotool xclip x11-utils x11-apps openbox dpkg-dev file lintian desktop-file-utils bash-completion

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Installs the Debian packages of $(1) that are missing.
define apt_install
	@missing=$$(for p in $(1); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	fi
endef

.PHONY: all deps test-deps configure build run test test-asan test-qt-only bench clean format format-check

all: build

deps:
	$(call apt_install,$(RUN_PACKAGES))

test-deps:
	$(call apt_install,$(TEST_PACKAGES))

configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(if $(CI),-DLUMIVERT_WERROR=ON) $(CMAKE_FLAGS)

# The two programs only; the tests are built by `make test`.
build: deps configure
	cmake --build $(BUILD) -j$(JOBS) --target lumivert lumivert-cli

run: build
	./$(BUILD)/lumivert

test: test-deps configure
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

bench: build
	cmake --build $(BUILD) -j$(JOBS) --target benchmarks
	./$(BUILD)/bench/bench_convert
	./$(BUILD)/bench/bench_window

# The Debian package of both programs, in $(BUILD).
.PHONY: package
package: build
	$(call apt_install,dpkg-dev file)
	cd $(BUILD) && cpack -G DEB

# lumivert-cli against a TurboJPEG decode-only floor and a Pillow + NumPy peer on 200 photographs.
BENCH_CLI_PACKAGES := libturbojpeg0-dev python3-pil python3-numpy time
.PHONY: bench-cli
bench-cli: build
	$(call apt_install,$(BENCH_CLI_PACKAGES))
	bash bench/cli_bench.sh $(BUILD)

# The colour reduction methods scored against ImageMagick and Pillow on scikit-image's photographs, and
# timed on 200 photographs.
BENCH_QUALITY_PACKAGES := python3-skimage python3-scipy imagemagick python3-pil python3-numpy
.PHONY: bench-quality
bench-quality: build
	$(call apt_install,$(BENCH_QUALITY_PACKAGES))
	/usr/bin/python3 bench/quality_bench.py $(BUILD)

# The whole suite again with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, in a
# debug build so that Q_ASSERT checks too. Upper time bounds (label timing) are checked by `make test` only.
ASAN_BUILD ?= build-asan
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
test-asan: test-deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
	  $(if $(CI),-DLUMIVERT_WERROR=ON) -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)"
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && LUMIVERT_SANITIZED=1 \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$(CURDIR)/tests/sanitizers/ubsan.supp \
	  ctest --output-on-failure -j$(JOBS) -LE 'package|timing'

# The whole suite with the Qt-only implementations of the platform calls, as other platforms build them.
QT_ONLY_BUILD ?= build-qt-only
test-qt-only: test-deps
	cmake -S . -B $(QT_ONLY_BUILD) -DCMAKE_BUILD_TYPE=Release -DLUMIVERT_QT_ONLY=ON $(if $(CI),-DLUMIVERT_WERROR=ON)
	cmake --build $(QT_ONLY_BUILD) -j$(JOBS)
	cd $(QT_ONLY_BUILD) && ctest --output-on-failure -j$(JOBS) -LE 'package|timing'

# The Windows programs, cross-compiled with MinGW-w64 against a Qt and libjpeg-turbo built once from
# Debian's sources into ~/.cache/lumivert/ (packaging/windows/build-toolchain.sh), and packaged in
# $(WINDOWS_BUILD) as a portable zip and an NSIS installer.
WINDOWS_BUILD ?= build-windows
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix nasm nsis cmake ninja-build qt6-base-dev qt6-translations-l10n
WINDOWS_TEST_PACKAGES := $(WINDOWS_PACKAGES) wine64 xvfb xauth imagemagick xdotool
WINDOWS_TOOLCHAIN := $(shell bash packaging/windows/build-toolchain.sh --path)
.PHONY: windows windows-toolchain windows-configure test-windows bench-windows
windows-toolchain:
	$(call apt_install,$(WINDOWS_PACKAGES))
	bash packaging/windows/build-toolchain.sh
# A build folder last configured against another toolchain (an older recipe) is configured afresh: its
# cache still names the old one's libraries.
windows-configure: windows-toolchain
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(if $(CI),-DLUMIVERT_WERROR=ON) \
	  $$([ ! -f $(WINDOWS_BUILD)/CMakeCache.txt ] || \
	    [ "$$(cat $(WINDOWS_BUILD)/toolchain-used 2>/dev/null)" = "$(WINDOWS_TOOLCHAIN)" ] || echo --fresh) \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/packaging/windows/toolchain.cmake \
	  -DLUMIVERT_WINDOWS_TOOLCHAIN=$(WINDOWS_TOOLCHAIN)
	echo "$(WINDOWS_TOOLCHAIN)" >$(WINDOWS_BUILD)/toolchain-used
windows: windows-configure
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target lumivert lumivert-cli
	bash packaging/windows/package.sh $(WINDOWS_BUILD) $(WINDOWS_TOOLCHAIN)

# The suite built for Windows and run under Wine, then the packaged programs under Wine against this
# machine's build: the window, the corpus through lumivert-cli.exe, the installer.
test-windows: build windows
	$(call apt_install,$(WINDOWS_TEST_PACKAGES))
	cmake --build $(WINDOWS_BUILD) -j$(JOBS)
	bash packaging/windows/test.sh $(WINDOWS_BUILD) $(BUILD)

# The conversion benchmark built for Windows, under Wine, beside this machine's build.
bench-windows: build windows
	$(call apt_install,$(WINDOWS_TEST_PACKAGES) python3-pil python3-numpy)
	bash packaging/windows/bench.sh $(WINDOWS_BUILD) $(BUILD)

# Every C++ file in the checked-in style (.clang-format).
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format:
	clang-format -i $(FORMAT_FILES)
format-check:
	$(call apt_install,clang-format)
	clang-format --dry-run -Werror $(FORMAT_FILES)

# The libFuzzer harnesses of fuzz/, built with clang in their own tree, 60 s each from their seeds.
FUZZ_PACKAGES := cmake make clang libclang-rt-14-dev qt6-base-dev
.PHONY: fuzz-smoke
fuzz-smoke:
	$(call apt_install,$(FUZZ_PACKAGES))
	FUZZ_BUILD=build-fuzz bash fuzz/smoke.sh

clean:
	rm -rf $(BUILD)
