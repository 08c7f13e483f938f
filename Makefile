# Two commands on a fresh Debian 12 machine: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

RUN_PACKAGES := cmake g++ make qt6-base-dev fonts-ipafont-gothic
TEST_PACKAGES := $(RUN_PACKAGES) xvfb xauth xdotool xclip x11-utils x11-apps

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

.PHONY: all deps test-deps configure build run test bench clean

all: build

deps:
	$(call apt_install,$(RUN_PACKAGES))

test-deps:
	$(call apt_install,$(TEST_PACKAGES))

configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(if $(CI),-DLUMIVERT_WERROR=ON) $(CMAKE_FLAGS)

build: deps configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/lumivert

test: test-deps configure
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

bench: build
	cmake --build $(BUILD) -j$(JOBS) --target benchmarks
	./$(BUILD)/bench/bench_convert

clean:
	rm -rf $(BUILD)
