#!/usr/bin/env bash
# Checks the Debian package as a user gets it: lintian finds no error in it (its warnings and
# notes are shown), and the programs and manual pages unpacked from it work where neither
# the source nor the build tree is. Usage: tests/package_check.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
tests=$(cd "$(dirname "$0")" && pwd)
repository=$(dirname "$tests")
fail() {
  echo "package check: $*" >&2
  exit 1
}

echo "-- lintian $(basename "$deb")"
lintian --fail-on error --display-info "$deb" 2> >(grep -v 'root privileges' >&2)

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin=$root/usr/bin
pages=$root/usr/share/man/man1
version=$(dpkg-deb --field "$deb" Version)

[ "$("$bin/stillmon" --version)" = "stillmon $version" ] || fail "stillmon --version is not $version"
"$bin/stillmon" --help | grep -q "^Usage: $bin/stillmon \[PORT \[LOG\]\]$" ||
  fail "stillmon --help shows no usage"
if strings "$bin"/* | grep -F "$repository"; then
  fail "the programs name the source or build tree (above)"
fi

# Every program has a page that groff reads without a warning and that lists its options.
pairs=()
for program in "$bin"/*; do
  page=$pages/$(basename "$program").1.gz
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "no page $page"
  [ -z "$warnings" ] || fail "$page: $warnings"
  pairs+=("$program" "$page")
done
python3 "$tests/man_options_check.py" "${pairs[@]}"
man -l "$pages/stillmon.1.gz" | grep -q 'sudo usermod -aG dialout \$USER' ||
  fail "the page of stillmon does not tell a user outside dialout what to do"

# A saved log replayed from a working directory of its own, without a display: it ends
# after the last record with the prompt, which the end of input answers.
mkdir "$root/run"
PYTHONPATH=$tests/e2e python3 -c 'import sys, text_log
sys.stdout.buffer.write(text_log.generated_log(20).encode("latin-1"))' >"$root/run/Run.dat"
status=0
(cd "$root/run" && env -u DISPLAY -u WAYLAND_DISPLAY "$bin/stillmon" 0 Run </dev/null \
  >console 2>errors) || status=$?
[ "$status" = 0 ] && grep -q '^Repeat ? ' "$root/run/console" && [ ! -s "$root/run/errors" ] ||
  fail "the replay ended with status $status; $(cat "$root/run/console" "$root/run/errors")"
echo "-- the unpacked stillmon $version, its pages and a replay work"
