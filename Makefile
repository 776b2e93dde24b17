# The two commands of the README:
#   make run    builds Sumbrook.exe and starts it under Wine on your display
#   make test   builds everything and runs every test (native, sanitized, Windows)
# Both first install what is missing (Debian) and prepare the Wine prefix.

BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   ?= cmake

NATIVE  := $(BUILD)/native
SAN     := $(BUILD)/sanitize
WIN     := $(BUILD)/win

.PHONY: dist dist-check fuzz bench-cli bench-verify bench-win all setup native sanitize win test test-native test-sanitize test-win run bench lint format format-check screenshot clean

all: native win

setup:
	@cmake/setup-debian.sh

$(NATIVE)/CMakeCache.txt:
	$(CMAKE) -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Release >/dev/null
$(SAN)/CMakeCache.txt:
	$(CMAKE) -S . -B $(SAN) -DCMAKE_BUILD_TYPE=Debug -DSUMBROOK_SANITIZE=ON >/dev/null
$(WIN)/CMakeCache.txt:
	$(CMAKE) -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null

native: setup $(NATIVE)/CMakeCache.txt
	$(CMAKE) --build $(NATIVE) -j $(JOBS)
sanitize: setup $(SAN)/CMakeCache.txt
	$(CMAKE) --build $(SAN) -j $(JOBS)
win: setup $(WIN)/CMakeCache.txt
	$(CMAKE) --build $(WIN) -j $(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)
test-sanitize: sanitize
	cd $(SAN) && ctest --output-on-failure -j $(JOBS)
test-win: win
	cd $(WIN) && ctest --output-on-failure

# The Windows tests run last, so the output ends with CTest's summary.
test: test-native test-sanitize test-win

# The release for Windows users: dist/sumbrook-VERSION-win32.zip from the
# Release Windows build, with its size and CRC-32 at the end.
# `make dist-check` builds it twice from HEAD in two fresh clones in
# temporary folders and compares the bytes (not part of `make test`).
DIST ?= dist
dist: setup $(WIN)/CMakeCache.txt
	$(CMAKE) --build $(WIN) -j $(JOBS) --target Sumbrook sumbrook-cli SumbrookVerify
	cmake/make-dist.sh $(WIN) $(DIST)
dist-check: setup
	cmake/dist-check.sh

run: win
	@cmake/run-dialog.sh $(WIN)/Sumbrook.exe

# The engine and each of its tiers against zlib, libdeflate, ISA-L and plain
# memory reads; GB/s and ratios are summed up at the end.
bench: native
	@test -x $(NATIVE)/bench/sumbrook_bench || { echo "bench: Google Benchmark is missing (apt-get install libbenchmark-dev)"; exit 1; }
	$(NATIVE)/bench/sumbrook_bench

# Under Wine, on a cached 1 GiB file, medians of 7 rounds: a plain ReadFile
# loop, FileCrc32 on one thread, FileCrc32 in parts and in parts with the
# process pinned to one processor; then smaller files on one thread and in
# parts.
bench-win: win
	cmake/wine-run.sh $(WIN)/bench/file_crc32_bench.exe

screenshot: win
	cmake/screenshot.sh $(WIN)/Sumbrook.exe docs/dialog.png
	cmake/screenshot-verify.sh $(WIN)/SumbrookVerify.exe docs/verify.png

SOURCES = $(shell git ls-files '*.cpp' '*.h')

# clang-tidy checks what the native build compiles (the portable code and its
# tests); cppcheck reads every source, the Win32 ones included.
NATIVE_SOURCES = $(shell python3 -c 'import json,os,sys; print(" ".join(sorted({os.path.relpath(e["file"]) for e in json.load(open(sys.argv[1])) if "/build" not in e["file"] and "/usr/" not in e["file"]})))' $(NATIVE)/compile_commands.json 2>/dev/null)

lint: native format-check
	clang-tidy -p $(NATIVE) --quiet $(NATIVE_SOURCES)
	cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability --inline-suppr \
	  --suppress=missingIncludeSystem --suppress=useInitializationList --library=googletest --library=windows --std=c++17 -I . $(filter %.cpp,$(SOURCES))

format:
	clang-format -i $(SOURCES)
format-check:
	clang-format --dry-run --Werror $(SOURCES)

clean:
	rm -rf $(NATIVE) $(SAN) $(WIN)

# The protocol reader and the SFV reader under libFuzzer (clang), each
# FUZZ_SECONDS long; not part of `make test` or CI. New inputs that the fuzzer
# finds stay in $(BUILD)/fuzz/corpus and $(BUILD)/fuzz/sfv-corpus.
FUZZ_SECONDS ?= 600
fuzz:
	@command -v clang++ >/dev/null || { echo "fuzz: clang++ is needed (apt-get install clang)"; exit 1; }
	$(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DSUMBROOK_FUZZ=ON >/dev/null
	$(CMAKE) --build $(BUILD)/fuzz --target protocol_reader_fuzz sfv_reader_fuzz -j $(JOBS)
	mkdir -p $(BUILD)/fuzz/corpus $(BUILD)/fuzz/sfv-corpus
	cp tests/cli/fuzz-seeds/* $(BUILD)/fuzz/corpus/
	cp tests/lists/fuzz-seeds/* $(BUILD)/fuzz/sfv-corpus/
	$(BUILD)/fuzz/cli/protocol_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/corpus
	$(BUILD)/fuzz/lists/sfv_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/sfv-corpus

# sumbrook-cli against rhash, 7z, Python's zlib and cat on the same cached
# data, --verify of an SFV list against rhash -c and cksfv -f, --compare
# against diff -rq (needs rhash, cksfv, 7zip, hyperfine: apt-get install
# rhash cksfv 7zip hyperfine).
bench-cli: native
	bench/cli-bench.sh $(NATIVE)/cli/sumbrook-cli

# SumbrookVerify.exe against sumbrook-cli.exe --verify under Wine (ratios),
# and the longest wait for its window to answer during a run.
bench-verify: win
	bench/verify-bench.sh $(WIN)
