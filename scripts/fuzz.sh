#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, ASan and UBSan into build-fuzz/ and runs each
# for FUZZ_SECONDS (default 5) from its seed corpus. A crash, leak, hang, undefined behaviour or
# broken rule fails the run; the input that did it is kept in build-fuzz/findings/<target>/.
#   scripts/fuzz.sh                  every target
#   FUZZ_SECONDS=120 scripts/fuzz.sh ini_fuzz bmp_fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# libFuzzer ships with clang's runtime libraries, not with clang itself.
fuzz_packages=(clang libclang-rt-14-dev)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
if ! command -v clang++ >/dev/null || ! installed libclang-rt-14-dev; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "fuzz.sh: needs ${fuzz_packages[*]}; run as root to install them" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${fuzz_packages[@]}"
fi

targets=(playlist_files_fuzz playlist_item_fuzz bmp_fuzz cursor_fuzz pledit_fuzz ini_fuzz registry_fuzz)
[ "$#" -gt 0 ] && targets=("$@")
seconds="${FUZZ_SECONDS:-5}"

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF
cmake --build "$build" --target velmora_fuzz -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
failed=()
for target in "${targets[@]}"; do
  # New inputs go to the working corpus, which later runs start from; the seeds stay as built.
  work="$build/fuzz/work/$target" findings="$build/findings/$target" log="$build/findings/$target.log"
  mkdir -p "$work" "$findings"
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$findings/" "$work" "$build/fuzz/corpus/$target" >"$log" 2>&1; then
    echo "$target: ${seconds}s, $(grep -m1 '^stat::number_of_executed_units' "$log" | cut -d: -f4 | tr -d ' ') inputs, clean"
  else
    failed+=("$target")
    echo "$target: FOUND A FAULT (full log: $log)"
    grep -v -E '^#[0-9]+' "$log" | tail -n 60
  fi
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz.sh: findings in: ${failed[*]} (inputs under $build/findings/)" >&2
  exit 1
fi
echo "fuzz.sh: ${#targets[@]} targets ran clean"
