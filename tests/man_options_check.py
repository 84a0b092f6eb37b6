#!/usr/bin/env python3
"""Fails when a program's --help and its manual page list different options: --help on
indented lines that start with them ("  -h, --help  ..."), the page in the tags of its
OPTIONS section. Usage: man_options_check.py PROGRAM PAGE[.gz] [PROGRAM PAGE[.gz] ...]"""
import gzip
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][\w-]*")


def help_options(program):
    text = subprocess.run([program, "--help"], capture_output=True, text=True, timeout=20).stdout
    heads = re.findall(r"^\s+(-[\w-]+(?:,\s*-[\w-]+)*)", text, re.MULTILINE)
    return {name.strip() for head in heads for name in head.split(",")}


def page_options(page):
    with (gzip.open if page.endswith(".gz") else open)(page, "rt") as f:
        lines = f.read().replace("\\-", "-").splitlines()
    section, found = None, set()
    for previous, line in zip([""] + lines, lines):
        section = line[4:].strip('"') if line.startswith(".SH ") else section
        if section == "OPTIONS" and previous.startswith((".TP", ".TQ")):
            found |= set(OPTION.findall(re.sub(r"\\f[BIRP]", "", line)))
    return found


failed = len(sys.argv) < 3
for program, page in zip(sys.argv[1::2], sys.argv[2::2]):
    in_help, in_page = help_options(program), page_options(page)
    failed |= not in_help or in_help != in_page
    print(f"{program}: {len(in_help)} options in --help; only there: "
          f"{sorted(in_help - in_page)}; only in {page}: {sorted(in_page - in_help)}")
sys.exit(1 if failed else 0)
