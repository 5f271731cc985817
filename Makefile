# Short names for the README's commands. Builds live under build/, never in the tree.
JOBS ?= $(shell nproc)

.PHONY: play test soak bench bench-build bench-smoke release asan clean

release:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVOSTREL_TESTS=OFF
	cmake --build build/release -j $(JOBS)

# The game runs from run/, which holds dialogbg.v_s and sees the pictures at ../assets/.
play: release
	cp assets/dialogbg.v_s run/dialogbg.v_s
	cd run && ../build/release/vostrel

asan:
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
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVOSTREL_TESTS=OFF -DVOSTREL_BENCH=ON
	cmake --build build/bench -j $(JOBS)

bench: bench-build
	./build/bench/vostrel_bench

# Builds the benchmarks and runs each one briefly: it proves they build and run, not their figures.
bench-smoke: bench-build
	./build/bench/vostrel_bench --benchmark_min_time=0.001

clean:
	rm -rf build
