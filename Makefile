# Set-up, build, run and test on Debian 12. `make run` and `make test` install what is missing.
BUILD ?= build
SIM_MEMORY ?= $(BUILD)/sign-memory.bin
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES := qt6-base-dev qt6-serialport-dev cmake ninja-build g++ libgl-dev
RUN_PACKAGES := $(PACKAGES) xauth

.PHONY: deps build run test clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  $(SUDO) apt-get update && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)

# Starts the virtual sign (20-page model) on a pseudo-terminal and the program with it as COM1.
run: build
	@rm -f $(BUILD)/sign-pty; \
	$(BUILD)/tools/sim/zantolux-sim --model 20 --link $(BUILD)/sign-pty --memory $(SIM_MEMORY) & sim=$$!; \
	trap "kill $$sim 2>/dev/null" EXIT; \
	for i in $$(seq 50); do [ -e $(BUILD)/sign-pty ] && break; sleep 0.1; done; \
	ZANTOLUX_PORTS=$(BUILD)/sign-pty $(BUILD)/src/zantolux

test: build
	cd $(BUILD) && ctest --output-on-failure

clean:
	rm -rf $(BUILD)
