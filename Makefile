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
# The x86_64 build of the same sources, which runs the Windows tests on a
# machine whose kernel runs no 32-bit programs (cmake/wine-arch.sh).
WIN64   := $(BUILD)/win64

# ccache (which the build uses when it finds it) shares its objects between
# clones: the paths it hashes are taken relative to this folder.
CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_BASEDIR

.PHONY: dist dist-check fuzz bench-one-file bench-cli bench-hash bench-cli-output bench-verify bench-win all setup native sanitize win win64 test test-native test-sanitize test-win run bench lint format format-check screenshot clean

all: native win

setup:
	@cmake/setup-debian.sh

$(NATIVE)/CMakeCache.txt:
	$(CMAKE) -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Release >/dev/null
$(SAN)/CMakeCache.txt:
	$(CMAKE) -S . -B $(SAN) -DCMAKE_BUILD_TYPE=Debug -DSUMBROOK_SANITIZE=ON >/dev/null
$(WIN)/CMakeCache.txt:
	$(CMAKE) -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DSUMBROOK_NATIVE_CLI=$(abspath $(NATIVE))/cli/sumbrook-cli >/dev/null

native: setup $(NATIVE)/CMakeCache.txt
	$(CMAKE) --build $(NATIVE) -j $(JOBS)
sanitize: setup $(SAN)/CMakeCache.txt
	$(CMAKE) --build $(SAN) -j $(JOBS)
$(WIN64)/CMakeCache.txt:
	$(CMAKE) -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DSUMBROOK_NATIVE_CLI=$(abspath $(NATIVE))/cli/sumbrook-cli >/dev/null

win: setup $(WIN)/CMakeCache.txt
	$(CMAKE) --build $(WIN) -j $(JOBS)
	@if [ "$$(cmake/wine-arch.sh)" = win64 ]; then $(MAKE) --no-print-directory win64; fi
win64: setup $(WIN64)/CMakeCache.txt
	$(CMAKE) --build $(WIN64) -j $(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)
test-sanitize: sanitize
	cd $(SAN) && ctest --output-on-failure -j $(JOBS)
# One CTest entry per test case under Wine; the programs that show windows
# run their cases one at a time (RESOURCE_LOCK), the others in parallel.
# One Wine server serves the whole run (cmake/wine-ctest.sh). Where Wine
# runs no 32-bit programs, the i686 build runs only what reads its programs
# without running them, and the x86_64 build runs the rest.
# A window case that fails is run once more: under load, Wine's desktop has
# now and then moved the activation between two steps of a case. The log
# keeps the failed try; a case that fails twice fails the run.
WIN_CTEST := --output-on-failure -j $(JOBS) --repeat until-pass:2
test-win: win
	cmake/wine-ctest.sh $(WIN) $(WIN_CTEST)
	@if [ "$$(cmake/wine-arch.sh)" = win64 ]; then \
	  echo "Wine runs no 32-bit programs here: the Windows tests run on the x86_64 build"; \
	  cmake/wine-ctest.sh $(WIN64) $(WIN_CTEST); fi

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

# The build whose programs Wine runs here (see test-win).
RUNNABLE_WIN = $$([ "$$(cmake/wine-arch.sh)" = win64 ] && echo $(WIN64) || echo $(WIN))

run: win
	@cmake/run-dialog.sh $(RUNNABLE_WIN)/Sumbrook.exe

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
	cmake/screenshot.sh $(RUNNABLE_WIN)/Sumbrook.exe docs/dialog.png
	cmake/screenshot-verify.sh $(RUNNABLE_WIN)/SumbrookVerify.exe docs/verify.png
	cmake/screenshot-verify-file.sh $(RUNNABLE_WIN)/SumbrookVerify.exe docs/verify-file.png
	cmake/screenshot-verify-signed.sh $(RUNNABLE_WIN)/SumbrookVerify.exe docs/verify-signed.png

SOURCES = $(shell git ls-files '*.cpp' '*.h')

# clang-tidy checks what the native build compiles (the portable code, its
# tests and the benchmarks), then what only the Windows build compiles (the
# Win32 code and its tests) as clang sees it for the mingw target, with
# mingw's C++ library; cppcheck reads every source, the Win32 ones included.
# Warnings are errors (.clang-tidy), the compiler's own ones included.
MINGW_CXX_INCLUDE = $(firstword $(wildcard /usr/lib/gcc/i686-w64-mingw32/*-posix/include/c++))
# The Win32 API hands handles and pointers over in integers (LPARAM,
# GetWindowLongPtr, MAKEINTRESOURCE): performance-no-int-to-ptr would flag
# every such message, so the Windows pass leaves that one check out.
MINGW_TIDY_ARGS = --checks=-performance-no-int-to-ptr --extra-arg=--target=i686-w64-mingw32 \
  $(foreach d,$(MINGW_CXX_INCLUDE) $(MINGW_CXX_INCLUDE)/i686-w64-mingw32 $(MINGW_CXX_INCLUDE)/backward,--extra-arg=-isystem$(d))
TIDY = xargs -P $(JOBS) -n 4 clang-tidy --quiet

lint: native win format-check
	@test -n "$(MINGW_CXX_INCLUDE)" || { echo "lint: mingw's C++ library is missing (apt-get install mingw-w64)"; exit 1; }
	cmake/compiled-sources.py $(NATIVE)/compile_commands.json | $(TIDY) -p $(NATIVE)
	cmake/compiled-sources.py $(WIN)/compile_commands.json $(NATIVE)/compile_commands.json | \
	  $(TIDY) -p $(WIN) $(MINGW_TIDY_ARGS)
	cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability --inline-suppr \
	  -j $(JOBS) --suppress=missingIncludeSystem --suppress=useInitializationList --library=googletest \
	  --library=windows --std=c++17 -I . $(filter %.cpp,$(SOURCES))

format:
	clang-format -i $(SOURCES)
format-check:
	clang-format --dry-run --Werror $(SOURCES)

clean:
	rm -rf $(NATIVE) $(SAN) $(WIN) $(WIN64) $(BUILD)/.no-wine32

# The list and signature readers under libFuzzer (clang): protocol, SFV, every line
# format, the line reader under them, minisign's and signify's readers, OpenPGP
# packets, armour and the clear-signed frame, each FUZZ_SECONDS long; not part of
# `make test` or CI. New inputs that the fuzzer finds stay in $(BUILD)/fuzz/corpus,
# sfv-corpus, list-corpus, line-corpus, ed25519-corpus, packet-corpus,
# armour-corpus and clear-signed-corpus.
FUZZ_SECONDS ?= 600
fuzz:
	@command -v clang++ >/dev/null || { echo "fuzz: clang++ is needed (apt-get install clang)"; exit 1; }
	$(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DSUMBROOK_FUZZ=ON >/dev/null
	$(CMAKE) --build $(BUILD)/fuzz --target protocol_reader_fuzz sfv_reader_fuzz list_reader_fuzz \
	  list_line_reader_fuzz ed25519_signature_fuzz openpgp_packet_fuzz armour_fuzz clear_signed_fuzz \
	  -j $(JOBS)
	mkdir -p $(BUILD)/fuzz/corpus $(BUILD)/fuzz/sfv-corpus $(BUILD)/fuzz/list-corpus $(BUILD)/fuzz/line-corpus \
	  $(BUILD)/fuzz/ed25519-corpus
	cp tests/cli/fuzz-seeds/* $(BUILD)/fuzz/corpus/
	cp tests/lists/fuzz-seeds/* $(BUILD)/fuzz/sfv-corpus/
	cp tests/lists/list-reader-seeds/* $(BUILD)/fuzz/list-corpus/
	cp tests/lists/line-reader-seeds/* $(BUILD)/fuzz/line-corpus/
	cp tests/signature/ed25519-seeds/* $(BUILD)/fuzz/ed25519-corpus/
	mkdir -p $(BUILD)/fuzz/packet-corpus $(BUILD)/fuzz/armour-corpus $(BUILD)/fuzz/clear-signed-corpus
	cp tests/signature/packet-seeds/* $(BUILD)/fuzz/packet-corpus/
	cp tests/signature/armour-seeds/* $(BUILD)/fuzz/armour-corpus/
	cp tests/signature/clear-signed-seeds/* $(BUILD)/fuzz/clear-signed-corpus/
	$(BUILD)/fuzz/tests/fuzz/protocol_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/corpus
	$(BUILD)/fuzz/tests/fuzz/sfv_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/sfv-corpus
	$(BUILD)/fuzz/tests/fuzz/list_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/list-corpus
	$(BUILD)/fuzz/tests/fuzz/list_line_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/line-corpus
	$(BUILD)/fuzz/tests/fuzz/ed25519_signature_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/ed25519-corpus
	$(BUILD)/fuzz/tests/fuzz/openpgp_packet_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/packet-corpus
	$(BUILD)/fuzz/tests/fuzz/armour_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/armour-corpus
	$(BUILD)/fuzz/tests/fuzz/clear_signed_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 $(BUILD)/fuzz/clear-signed-corpus

# sumbrook-cli against rhash, 7z, Python's zlib and cat on the same cached
# data, --verify of an SFV list against rhash -c and cksfv -f, --compare
# against diff -rq, and lists of a million lines in four layouts against
# rhash -c, time and peak memory; then its digests against rhash, sha256sum,
# b3sum and xxhsum, --verify of SHA-256 lists against rhash -c and
# sha256sum -c, and a 1,000,000-line SHA-256 list's memory against SFV's
# (needs rhash, cksfv, 7zip, hyperfine: apt-get install rhash cksfv 7zip
# hyperfine).
bench-cli: native
	bench/cli-bench.sh $(NATIVE)/cli/sumbrook-cli
	bench/digest-bench.sh $(NATIVE)/cli/sumbrook-cli $(NATIVE)/bench/small_files_bound

# Every kind of digest over a buffer in memory, then on a cached 1 GiB file
# against the tools people use for it (md5sum, sha256sum and the others,
# openssl dgst, rhash, b3sum, xxhsum), as GB/s and ratios (needs hyperfine,
# rhash, b3sum, xxhash).
bench-hash: native
	bench/hash-bench.sh $(NATIVE)/bench/hash_bench

# sumbrook-cli.exe --verify under Wine, its report to /dev/null (a device),
# to a file and through a pipe (ratios to the file).
bench-cli-output: win
	bench/cli-output-bench.sh $(RUNNABLE_WIN)

# SumbrookVerify.exe against sumbrook-cli.exe --verify under Wine (ratios),
# and the longest wait for its window to answer during a run.
# The six digests of one 1 GiB file from one read, against six runs of
# sumbrook-cli -a.
bench-one-file: native
	bench/one-file-bench.sh $(NATIVE)/bench/one_file_digests_bench $(NATIVE)/cli/sumbrook-cli

bench-verify: win
	bench/verify-bench.sh $(RUNNABLE_WIN)
