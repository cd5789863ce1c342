#!/usr/bin/env bash
# Sets up the machine, checks the formatting, builds Quorvel with
# AddressSanitizer and UndefinedBehaviorSanitizer (warnings as errors), and
# runs every test once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
find Sources Tests Benchmarks -name '*.c' -o -name '*.cpp' -o -name '*.h' |
  sort | xargs clang-format --dry-run --Werror
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_WERROR=ON \
  -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-test -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure --no-tests=error -j"$(nproc)"

# The installed files pass their validators: an installation into a scratch
# folder, as a package would lay it out.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install build-test >/dev/null
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' build-test/CMakeCache.txt)
installed="$stage$prefix"
# Some validators only print what they find, so anything said is a failure.
silent() {
  local said
  said=$("$@" 2>&1 >/dev/null) && [[ -z $said ]] && return
  echo "$* says: $said" >&2
  exit 1
}
silent desktop-file-validate "$installed/share/applications/io.quorvel.Quorvel.desktop"
appstreamcli validate --no-net "$installed/share/metainfo/io.quorvel.Quorvel.metainfo.xml"
page="$installed/share/man/man1/quorvel.1"
silent man --warnings -l "$page"
# Every option of --help is on the manual page (read once: grep -q in a
# pipe would end sed early, which pipefail counts as a failure).
pagetext=$(sed 's/\\-/-/g' "$page")
for option in $(build-test/bin/quorvel --help | grep -o -- '--[a-z-]*' | sort -u); do
  if [[ $pagetext != *"$option"* ]]; then
    echo "quorvel.1 does not describe $option" >&2
    exit 1
  fi
done
# The unit, as systemd's user manager reads it, naming the program of the
# scratch installation (systemd-analyze, too, only prints faults). Its manager needs a runtime folder of the
# user: without one (as in a container) a scratch folder stands in, and where
# even then no manager starts, the check is skipped.
unit="$installed/lib/systemd/user/quorvel-headless.service"
mkdir -m 700 "$stage/runtime" "$stage/unit"
sed "s|^ExecStart=$prefix/bin/quorvel|ExecStart=$installed/bin/quorvel|" "$unit" \
  >"$stage/unit/quorvel-headless.service"
said=$(XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$stage/runtime} MANPATH="$installed/share/man" \
  systemd-analyze verify --user "$stage/unit/quorvel-headless.service" 2>&1) || true
if [[ $said == *"Failed to initialize manager"* ]]; then
  echo "No systemd user manager can start here: skipping systemd-analyze verify --user" \
    "for quorvel-headless.service."
elif [[ -n $said ]]; then
  echo "$said" >&2
  exit 1
fi
echo "The desktop entry, metainfo, manual page and unit are valid."
