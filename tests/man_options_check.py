#!/usr/bin/env python3
"""Fails when a program's --help and its manual page list different options.

--help lists an option on an indented line that starts with it ("  -h, --help  ...",
"  --period FLOAT ..."); the page lists them in the tags of its OPTIONS section, faults and
other subsections included. Usage: man_options_check.py PROGRAM PAGE [PROGRAM PAGE ...]
(a page may be gzip-compressed).
"""
import gzip
import re
import subprocess
import sys

HELP_OPTIONS = re.compile(r"^\s+(-[\w-]+(?:,\s*-[\w-]+)*)", re.MULTILINE)
OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][\w-]*")


def help_options(program):
    text = subprocess.run([program, "--help"], capture_output=True, text=True, check=True,
                          timeout=20).stdout
    return {name.strip() for names in HELP_OPTIONS.findall(text) for name in names.split(",")}


def page_options(page):
    opener = gzip.open if page.endswith(".gz") else open
    with opener(page, "rt", encoding="utf-8") as f:
        lines = f.read().splitlines()
    found = set()
    in_options = tag_next = False
    for line in lines:
        if line.startswith(".SH"):
            in_options = line.split(None, 1)[1:] == ["OPTIONS"]
        elif in_options and line.startswith((".TP", ".TQ")):
            tag_next = True
        elif tag_next:
            tag_next = False
            found |= set(OPTION.findall(re.sub(r"\\f[BIRP]", "", line).replace("\\-", "-")))
    return found


def main():
    pairs = list(zip(sys.argv[1::2], sys.argv[2::2]))
    failed = False
    for program, page in pairs:
        in_help, in_page = help_options(program), page_options(page)
        if not in_help:
            print(f"{program} --help lists no options")
            failed = True
        elif in_help != in_page:
            print(f"{program}: only in --help: {sorted(in_help - in_page)}; "
                  f"only in {page}: {sorted(in_page - in_help)}")
            failed = True
        else:
            print(f"{program}: --help and {page} list the same {len(in_help)} options")
    return 1 if failed or not pairs else 0


if __name__ == "__main__":
    sys.exit(main())
