# The two commands a newcomer needs: `make run` and `make test`. Each first installs
# the Debian packages that are missing, then configures and builds with CMake.

BUILD    ?= build
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
# The checked builds keep folders of their own.
SANITIZE_BUILD ?= build-asan
FUZZ_BUILD     ?= build-fuzz
MEMCHECK_BUILD ?= build-mc
FUZZ_SECONDS   ?= 600

# What building, running and testing need on a fresh Debian or Ubuntu machine.
PACKAGES_BUILD := cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-liberation
# `make run` with no display: a virtual X server and a session bus, started by session.py.
PACKAGES_HEADLESS := xvfb python3 dbus-daemon
# The client tests: a screen reader's bus and library, the screen reader Orca with the speech
# server it speaks through, a headless Wayland compositor with Qt's plugin for it, keys and
# screenshots on X, the platform theme that colours Qt programs on dark desktops, Debian's
# package checker, and strace to see that a session writes no file.
PACKAGES_CLIENT := xdotool x11-utils imagemagick python3-pil dbus-daemon dbus-bin at-spi2-core \
	python3-pyatspi orca speech-dispatcher weston qt6-wayland qt6ct lintian strace
# The splash's first-frame test reads the X server's damage reports through xcb.
PACKAGES_TEST  := $(PACKAGES_BUILD) xvfb python3 desktop-file-utils appstream dpkg-dev file qt6-base-private-dev \
	libxcb1-dev libxcb-damage0-dev libxcb-xtest0-dev \
	$(PACKAGES_CLIENT)
# The start-up bench presses keys through XTEST and sees what is drawn through DAMAGE; its
# buses row runs on a session bus with at-spi2-core's accessibility bus, which session.py
# starts, and asks both with dbus-send whether they are up; its window-manager row runs
# under openbox, which session.py waits for with xprop.
PACKAGES_BENCH := $(PACKAGES_BUILD) libbenchmark-dev libxcb1-dev libxcb-xtest0-dev libxcb-damage0-dev xvfb python3 \
	dbus-daemon dbus-bin at-spi2-core openbox x11-utils
PACKAGES_FUZZ  := $(PACKAGES_BUILD) clang-14 libclang-rt-14-dev
PACKAGES_MEMCHECK := $(PACKAGES_BUILD) valgrind xvfb python3 dbus-daemon
# CPack finds the programs with `file` and has dpkg-shlibdeps work out their dependencies;
# lintian checks the package it made.
PACKAGES_PACKAGE := $(PACKAGES_BUILD) dpkg-dev file lintian appstream desktop-file-utils python3

.PHONY: all build run test bench package deps-build deps-test deps-bench deps-package clean

# The one way a test, bench or script gets a virtual X server (and buses when asked):
# it starts them, runs the command, and ends every process it started.
ON_DISPLAY := /usr/bin/python3 tests/client/session.py
.PHONY: test-sanitize fuzz memcheck deps-fuzz deps-memcheck mutate

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
	  $$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
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
deps-fuzz:
	$(call ensure_packages,$(PACKAGES_FUZZ))
deps-memcheck:
	$(call ensure_packages,$(PACKAGES_MEMCHECK))

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps-build $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Without a display the program starts on a virtual X server of its own, with a session bus as
# a desktop has, and says which display it is on so that a screenshot can be taken of it.
run: build
ifeq ($(DISPLAY)$(WAYLAND_DISPLAY),)
	$(call ensure_packages,$(PACKAGES_HEADLESS))
	@echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set): Pellimor starts on a virtual X display, where there is nothing to see unless you take a screenshot. Ctrl+C ends it."
	@$(ON_DISPLAY) --session-bus -- sh -c 'echo "Pellimor is on display $$DISPLAY. A screenshot (ImageMagick): DISPLAY=$$DISPLAY import -window root pellimor.png"; exec "$$0"' $(BUILD)/app/pellimor
else
	$(BUILD)/app/pellimor
endif

test: deps-test build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-sanitize

# Sanitizer reports end the process that makes them, so any report fails its test.
# LeakSanitizer skips only the third-party leaks listed, with reasons, in lsan.supp.
SANITIZER_ENV := ASAN_OPTIONS=abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0

$(SANITIZE_BUILD)/CMakeCache.txt:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPELLIMOR_SANITIZE=ON $(CMAKE_FLAGS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz
# corpus replay included; the packaging checks would only repeat themselves, and the client
# tests (label client) would only run the same program through the same outside tools again.
test-sanitize: deps-test $(SANITIZE_BUILD)/CMakeCache.txt
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) -E '^packaging_' -LE '^client$$'

$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++-14 -DPELLIMOR_FUZZ=ON $(CMAKE_FLAGS)

# libFuzzer on the whole conversion request for FUZZ_SECONDS. It works on a corpus of its
# own in the fuzz build, grown from the committed seeds; a finding is written to
# $(FUZZ_BUILD)/findings/, and `<replay> <file>` in any build runs it again.
fuzz: deps-fuzz $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) --target fuzz_request -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/findings
	cp tests/fuzz/corpus/* $(FUZZ_BUILD)/corpus/
	cd $(FUZZ_BUILD) && $(SANITIZER_ENV) tests/fuzz/fuzz_request -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=256 -dict=$(CURDIR)/tests/fuzz/request.dict -artifact_prefix=findings/ \
	  -print_final_stats=1 corpus

# Faults a person would notice, each written into a scratch copy of the tree in
# $(MUTATE_BUILD)/ and built there, one at a time: every one must make a fixed test row fail.
# MUTANTS=name,name runs only those. Not part of `make test`: it takes most of an hour.
MUTATE_BUILD ?= build-mutate
mutate: deps-test
	MUTATE_DIR=$(CURDIR)/$(MUTATE_BUILD) CMAKE_FLAGS="$(CMAKE_FLAGS)" python3 tests/mutation/mutate.py \
	  --jobs $(JOBS) $(if $(MUTANTS),--only $(MUTANTS))

$(MEMCHECK_BUILD)/CMakeCache.txt:
	cmake -S . -B $(MEMCHECK_BUILD) -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)

# A scripted run of the real windows on a virtual X display under valgrind: any invalid
# access or definitely lost block fails it. The session bus is there because a desktop
# has one; without it Qt's accessibility bridge would try to start one.
memcheck: deps-memcheck $(MEMCHECK_BUILD)/CMakeCache.txt
	cmake --build $(MEMCHECK_BUILD) --target scripted_session -j $(JOBS)
	LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb $(ON_DISPLAY) --session-bus -- \
	  valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite \
	  --error-exitcode=1 --num-callers=40 --suppressions=tests/memcheck/valgrind.supp \
	  $(MEMCHECK_BUILD)/tests/memcheck/scripted_session

# The start-up bench runs each row on a display of its own: bare, with the buses a screen
# reader listens on, and under a window manager; every row runs, and a target missed in any
# fails it.
bench: deps-bench $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DPELLIMOR_BUILD_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS) --target bench_engine bench_converter bench_startup
	$(BUILD)/bench/bench_engine
	$(BUILD)/bench/bench_converter
	status=0; \
	$(ON_DISPLAY) -- $(BUILD)/bench/startup/bench_startup --row bare || status=$$?; \
	$(ON_DISPLAY) --buses -- $(BUILD)/bench/startup/bench_startup --row buses || status=$$?; \
	$(ON_DISPLAY) --window-manager -- $(BUILD)/bench/startup/bench_startup --row window-manager || status=$$?; \
	exit $$status

# Leaves one pellimor_<version>_<arch>.deb here, replacing any earlier one;
# CPack's scratch files stay in the build folder. Debian's checkers (lintian down to its
# pedantic and experimental tags, appstreamcli, desktop-file-validate) may report nothing
# beyond tests/client/allowed-findings.txt: the package test's own policy.
package: deps-package build
	rm -f pellimor_*.deb $(BUILD)/package/pellimor_*.deb
	cd $(BUILD) && cpack -G DEB -B "$$PWD/package"
	mv $(BUILD)/package/pellimor_*.deb .
	/usr/bin/python3 tests/client/package.py --findings pellimor_*.deb
	@ls pellimor_*.deb

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(MEMCHECK_BUILD) $(MUTATE_BUILD)
