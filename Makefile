# Short names for the README's commands. Builds live under build/, never in the tree.
# Each target first checks the Debian packages it needs (tools/deps.sh, list in tools/packages.txt):
# as root it installs what is missing, otherwise it names the packages and the command and stops.
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 60
DEPS = tools/deps.sh
# What `make install` put under PREFIX, one path a line, for `make uninstall`.
MANIFEST = $(PREFIX)/share/vostrel/install_manifest.txt

.PHONY: play test soak bench bench-build bench-smoke release asan fuzz fuzz-run install uninstall clean

release:
	$(DEPS) build
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVOSTREL_TESTS=OFF
	cmake --build build/release -j $(JOBS)

# The game runs from run/, which holds dialogbg.v_s and sees the pictures at ../assets/.
play: release
	cp assets/dialogbg.v_s run/dialogbg.v_s
	cd run && ../build/release/vostrel

asan:
	$(DEPS) build test
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DVOSTREL_SANITIZE=ON
	cmake --build build/asan -j $(JOBS)

test: asan
	cd build/asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# Twenty whole games of a thousand turns under the sanitizers, every company run by the computer.
soak: asan
	cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ./vostrel_soak 20 1000

bench-build:
	$(DEPS) build bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVOSTREL_TESTS=OFF -DVOSTREL_BENCH=ON
	cmake --build build/bench -j $(JOBS)

bench: bench-build
	./build/bench/vostrel_bench

# Builds the benchmarks and runs each one briefly: it proves they build and run, not their figures.
bench-smoke: bench-build
	./build/bench/vostrel_bench --benchmark_min_time=0.001

# The libFuzzer targets want clang; the ordinary build never builds them.
fuzz:
	$(DEPS) build fuzz
	@command -v clang++ >/dev/null || { echo "make fuzz: clang++ is not on PATH; the fuzz targets need clang"; exit 1; }
	CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DVOSTREL_TESTS=OFF -DVOSTREL_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS) --target vostrel_fuzz_picture vostrel_fuzz_terminal_input vostrel_fuzz_savefile

# Runs each target for FUZZ_SECONDS on its growing corpus under build/fuzz/corpus/ (see fuzz/README.md).
fuzz-run: fuzz
	tools/fuzz.sh picture $(FUZZ_SECONDS)
	tools/fuzz.sh terminal_input $(FUZZ_SECONDS)
	tools/fuzz.sh savefile $(FUZZ_SECONDS)

# The program and its pictures under PREFIX; the list of what was installed goes beside them.
install: release
	cmake --install build/release --prefix "$(PREFIX)"
	awk 1 build/release/install_manifest.txt > "$(MANIFEST)"
	echo "$(MANIFEST)" >> "$(MANIFEST)"

# Removes exactly what the install under PREFIX listed, then the game's data directory if empty.
uninstall:
	@test -f "$(MANIFEST)" || { echo "make uninstall: nothing installed under $(PREFIX) ($(MANIFEST) is missing)"; exit 1; }
	@while IFS= read -r f; do [ "$$f" = "$(MANIFEST)" ] || { rm -f -- "$$f" && echo "Removed $$f"; }; done < "$(MANIFEST)"
	@rm -f -- "$(MANIFEST)"
	@rmdir -- "$(PREFIX)/share/vostrel" 2>/dev/null || true

clean:
	rm -rf build
