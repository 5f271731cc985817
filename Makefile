# Short names for the README's commands. Builds live under build/, never in the tree.
JOBS ?= $(shell nproc)

.PHONY: play test bench fuzz release asan clean

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

bench:
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVOSTREL_TESTS=OFF -DVOSTREL_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	./build/bench/vostrel_bench

# The libFuzzer targets of fuzz/, built with clang apart from everything else. Run one with
# build/fuzz/fuzz_savefile fuzz/corpus/savefile (its seeds; the inputs it finds are added there).
fuzz:
	@if command -v clang++ >/dev/null 2>&1; then \
	  cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	    -DVOSTREL_FUZZ=ON -DVOSTREL_TESTS=OFF && \
	  cmake --build build/fuzz -j $(JOBS) --target fuzz_savefile; \
	else \
	  echo "make fuzz: clang++ is not installed, so the fuzz targets are not built (apt-get install clang)"; \
	fi

clean:
	rm -rf build
