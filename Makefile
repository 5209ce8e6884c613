# Set-up, build, run and test on Debian 12 (./build.sh installs make itself first).
# Every target installs the Debian packages it needs when they are missing.
BUILD ?= build
SIM_MEMORY ?= $(abspath $(BUILD))/sign-memory.bin
SIGN_LINK := $(abspath $(BUILD))/sign-pty
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES := qt6-base-dev qt6-serialport-dev qt6-translations-l10n cmake ninja-build g++ libgl-dev fonts-dejavu-core fonts-dejavu-extra socat ser2net time

# For the Debian package: manual pages from --help, and what cpack -G DEB runs.
PACKAGE_TOOLS := help2man dpkg-dev file
# For make screenshot: a virtual display driven by hand.
SCREENSHOT_TOOLS := xvfb xauth xdotool imagemagick

.PHONY: deps build run test sanitize fuzz bench lint package screenshot clean

# $(call install-missing,PACKAGES) installs those of the Debian packages that are missing.
install-missing = @missing=$$(for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  $(SUDO) apt-get update && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

deps:
	$(call install-missing,$(PACKAGES))

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)

# Starts the virtual sign (20-page model) on a pseudo-terminal and the program with it as COM1.
run: build
	@rm -f $(SIGN_LINK); \
	$(BUILD)/tools/sim/zantolux-sim --model 20 --link $(SIGN_LINK) --memory $(SIM_MEMORY) & sim=$$!; \
	trap "kill $$sim 2>/dev/null" EXIT; \
	for i in $$(seq 50); do [ -e $(SIGN_LINK) ] && break; sleep 0.1; done; \
	ZANTOLUX_PORTS=$(SIGN_LINK) $(BUILD)/src/zantolux

test: build
	cd $(BUILD) && ctest --output-on-failure

# The whole suite once more with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZANTOLUX_SANITIZE=ON
	cmake --build build-asan
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure

# The fuzz targets (clang, libFuzzer), each for FUZZ_SECONDS from its committed corpus.
FUZZ_SECONDS ?= 30
fuzz: deps
	@command -v clang++ >/dev/null || { $(SUDO) apt-get update && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends clang libclang-rt-14-dev; }
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANTOLUX_FUZZ=ON
	cmake --build build-fuzz --target fuzz_project_reader fuzz_page_decoder fuzz_link_answers fuzz_telnet fuzz_show_format
	fuzz/run build-fuzz $(FUZZ_SECONDS)

# Static analysis of src/ and tools/: cppcheck, then clang-tidy with .clang-tidy (0 findings).
lint: build
	$(call install-missing,cppcheck clang-tidy)
	cppcheck --enable=warning,performance,portability --inline-suppr --quiet --error-exitcode=1 \
	  --std=c++20 --library=qt -I src -I tools --suppress=missingIncludeSystem src tools
	git ls-files 'src/*.cpp' 'tools/*.cpp' | xargs -P2 -n4 clang-tidy -p $(BUILD) --quiet

# Every benchmark, one table (the virtual sign paced at BAUD, default 2400).
bench: build
	BUILD=$(BUILD) bench/run

# The Debian package $(BUILD)/zantolux_<version>_<arch>.deb (sudo apt-get install ./that.deb).
package: deps
	$(call install-missing,$(PACKAGE_TOOLS))
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)
	rm -f $(BUILD)/zantolux_*.deb
	cd $(BUILD) && cpack -G DEB

# docs/screenshot.png, the main window with a program read back from the virtual sign.
screenshot: build
	$(call install-missing,$(SCREENSHOT_TOOLS))
	tools/screenshot.sh $(BUILD) docs/screenshot.png

clean:
	rm -rf $(BUILD) build-asan build-fuzz
