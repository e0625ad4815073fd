# The two commands a newcomer needs: `make run` and `make test`. Each first installs
# the Debian packages that are missing, then configures and builds with CMake.

BUILD    ?= build
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

# What building, running and testing need on a fresh Debian or Ubuntu machine.
PACKAGES_BUILD := cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-liberation
PACKAGES_TEST  := $(PACKAGES_BUILD) xvfb xauth desktop-file-utils appstream dpkg-dev file qt6-base-private-dev
PACKAGES_BENCH := $(PACKAGES_BUILD) libbenchmark-dev
# CPack finds the programs with `file` and has dpkg-shlibdeps work out their dependencies.
PACKAGES_PACKAGE := $(PACKAGES_BUILD) dpkg-dev file

.PHONY: all build run test bench package deps-build deps-test deps-bench deps-package clean

all: build

# Installs the packages named in $(1) that dpkg does not know as installed, through
# sudo when not root; an up-to-date system installs nothing and asks for nothing.
define ensure_packages
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}' "$$p" 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi; \
	  $$sudo apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps-build:
	$(call ensure_packages,$(PACKAGES_BUILD))
deps-test:
	$(call ensure_packages,$(PACKAGES_TEST))
deps-bench:
	$(call ensure_packages,$(PACKAGES_BENCH))
deps-package:
	$(call ensure_packages,$(PACKAGES_PACKAGE))

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps-build $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set); run it under a virtual display: xvfb-run make run"; \
	  exit 1; \
	fi
	$(BUILD)/app/pellimor

test: deps-test build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps-bench $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DPELLIMOR_BUILD_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	$(BUILD)/bench/bench_engine

# Leaves one pellimor_<version>_<arch>.deb here, replacing any earlier one;
# CPack's scratch files stay in the build folder.
package: deps-package build
	rm -f pellimor_*.deb $(BUILD)/package/pellimor_*.deb
	cd $(BUILD) && cpack -G DEB -B "$$PWD/package"
	mv $(BUILD)/package/pellimor_*.deb .
	@ls pellimor_*.deb

clean:
	rm -rf $(BUILD)
