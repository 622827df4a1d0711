# The two set-up commands of the README.
BUILD ?= build
JOBS ?= 2

.PHONY: run test build deps bench clean

deps:
	tools/setup-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

# Builds and starts the program with its embedded database in the data folder.
run: build
	$(BUILD)/bin/palomex

# Installs what is missing, builds, and runs every test, then each fuzz target
# for a few seconds (with clang only).
test: build
	tools/run-tests $(BUILD)
	tools/run-fuzz 3

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD)
