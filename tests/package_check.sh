#!/usr/bin/env bash
# Checks the Debian package as a user gets it: lintian finds no error (its warnings and notes
# are shown), and the programs and pages unpacked from it work away from the source and
# build trees. Usage: tests/package_check.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
tests=$(cd "$(dirname "$0")" && pwd)
fail() { echo "package check: $*" >&2 && exit 1; }

lintian --fail-on error --display-info "$deb" 2> >(grep -v 'root privileges' >&2)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin=$root/usr/bin pages=$root/usr/share/man/man1 version=$(dpkg-deb --field "$deb" Version)
[ "$("$bin/stillmon" --version)" = "stillmon $version" ] || fail "--version is not $version"
! strings "$bin"/* | grep -F "$(dirname "$tests")" || fail "the programs name the source tree"

# Every program has a page that reads without a warning and lists the options of its --help.
pairs=()
for program in "$bin"/*; do
  page=$pages/$(basename "$program").1.gz
  warnings=$(man --warnings -l "$page" 2>&1 >/dev/null) && [ -z "$warnings" ] ||
    fail "$page: $warnings"
  pairs+=("$program" "$page")
done
python3 "$tests/man_options_check.py" "${pairs[@]}"
config_page=$root/usr/share/man/man5/stillmon.toml.5.gz
warnings=$(man --warnings -l "$config_page" 2>&1 >/dev/null) && [ -z "$warnings" ] ||
  fail "$config_page: $warnings"
man -l "$pages/stillmon.1.gz" | grep -q 'sudo usermod -aG dialout' || fail "no word on dialout"

# The installed documents find every file they link to; the manual pages they link to are man's.
doc=$root/usr/share/doc/stillmon
for page in "$doc"/README.md "$doc"/docs/*.md; do
  for target in $(grep -oE '\]\([^)# ]+' "$page" | cut -c3- | grep -v -e '^[a-z]*:' -e 'man/'); do
    [ -e "$(dirname "$page")/$target" ] || fail "${page#"$root"} links to $target, which is not installed"
  done
done

# The unit is one systemd takes as it is, its program the unpacked one; the rules pass
# their own tests where they are installed.
unit_dir=$(mktemp -d -p "$root")
sed "s|/usr/bin/stillmon|$bin/stillmon|" "$root/usr/lib/systemd/system/stillmon@.service" \
  >"$unit_dir/stillmon@1.service"
said=$(systemd-analyze verify --man=no "$unit_dir/stillmon@1.service" 2>&1) && [ -z "$said" ] ||
  fail "the systemd unit: $said"
(cd "$root/usr/share/stillmon/monitoring" && promtool test rules stillmon.rules.test.yml >/dev/null) ||
  fail "the installed alert rules fail their tests"

# A saved log replayed without a display ends at the prompt, which the end of input answers.
mkdir "$root/run" && cd "$root/run"
PYTHONPATH=$tests/e2e python3 -c 'import text_log
open("Run.dat", "wb").write(text_log.generated_log(20).encode())'
# The example configuration is read as installed; nothing fires in its first two minutes.
example=$root/usr/share/doc/stillmon/examples/stillmon.toml
env -u DISPLAY -u WAYLAND_DISPLAY "$bin/stillmon" --config "$example" 0 Run </dev/null >console 2>errors ||
  fail "the replay ended with status $?: $(cat errors)"
grep -q '^Repeat ? ' console && [ ! -s errors ] || fail "the replay did not end: $(cat console errors)"
"$bin/stillmon-report" Run.dat --csv Run.csv 2>errors || fail "no report: $(cat errors)"
[ "$(grep -c Num= Run.dat)" -eq "$(($(wc -l <Run.csv) - 1))" ] && grep -q 'StillmonCharts.create' Run.html ||
  fail "the report or its CSV lacks records"
echo "package check: stillmon $version unpacked: versions, pages, options, documents, the example configuration, a replay and a report are right"
