# Front door on a Debian machine: every target installs what it lacks first.
#   make run      build Savrin.exe and start it under Wine
#   make test     build everything and run every test
#   make build    the native core build and the Windows cross build
#   make package  build/Savrin-1.32.zip with Savrin.exe and a short read-me
#   make fuzz     build the settings fuzz target with clang and run it briefly
#   make bench    measure the file operations and the program's CPU (not part of test)

JOBS     ?= $(shell nproc)
NATIVE   := build/native
TSAN     := build/native-tsan
WIN64    := build/win64
FUZZ     := build/fuzz
BENCH    := build/bench-native
CTEST    := ctest --output-on-failure --no-tests=error

.PHONY: all deps prefix native tsan win64 fuzz build test test-native test-win64 run package bench clean
all: build

deps:
	@tools/install-deps.sh

prefix: deps
	@tools/wine-prefix.sh

# Core and unit tests with AddressSanitizer and UndefinedBehaviorSanitizer.
native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DSAVRIN_ASAN=ON >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

tsan: deps
	cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=Debug -DSAVRIN_TSAN=ON >/dev/null
	cmake --build $(TSAN) -j$(JOBS)

win64: deps
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN64) -j$(JOBS)

build: native win64

# libFuzzer needs clang; new inputs it finds stay in $(FUZZ)/corpus for the
# next run, a crashing input lands in $(FUZZ) as crash-*. Its progress lines
# go to $(FUZZ)/last-run.log; only a failure or the final count is shown.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSAVRIN_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) --target settings_fuzz -j$(JOBS)
	mkdir -p $(FUZZ)/corpus
	@$(FUZZ)/settings_fuzz -max_total_time=10 -artifact_prefix=$(FUZZ)/ -dict=tests/fuzz/settings.dict \
	  $(FUZZ)/corpus tests/fuzz/corpus >$(FUZZ)/last-run.log 2>&1 || { tail -n 60 $(FUZZ)/last-run.log; exit 1; }
	@grep '^Done' $(FUZZ)/last-run.log

# The power-cut and crash suites run one thread on an in-memory disk or a
# wrapper: under ThreadSanitizer they would take minutes and find nothing
# the AddressSanitizer build does not.
test-native: native tsan
	$(CTEST) --test-dir $(NATIVE)
	$(CTEST) --test-dir $(TSAN) -E '^(PowerCutTest|CrashTest)\.'

test-win64: win64 prefix
	tools/with-display.sh $(CTEST) --test-dir $(WIN64)
	@if [ -f $(WIN64)/main-window.bmp ]; then convert $(WIN64)/main-window.bmp build/main-window.png && echo "screenshot: build/main-window.png"; fi

test: fuzz test-native test-win64

run: win64 prefix
	tools/run-savrin.sh $(WIN64)/Savrin.exe

package: win64
	rm -rf build/package && mkdir -p build/package
	cp $(WIN64)/Savrin.exe res/ReadMe.txt build/package/
	cd build/package && rm -f ../Savrin-1.32.zip && zip -q ../Savrin-1.32.zip Savrin.exe ReadMe.txt
	@echo "package: build/Savrin-1.32.zip"

# Timings only, never asserted: the native Release build against coreutils,
# then the Windows build under Wine against SHFileOperationW and for CPU.
# Progress goes to the terminal as it happens; each part's table is printed
# when it is done and kept in build/bench-*.md.
bench: win64 prefix
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(BENCH) --target savrin_bench -j$(JOBS)
	sync
	$(BENCH)/savrin_bench > build/bench-native.md && cat build/bench-native.md
	tools/wine-run.sh $(WIN64)/savrin_bench.exe > build/bench-win64.md && cat build/bench-win64.md

clean:
	rm -rf build
