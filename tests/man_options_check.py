#!/usr/bin/env python3
"""Fails when a program's --help and its manual page list different options: --help on
indented lines that start with them ("  -h, --help  ..."), the page in the tags of its
OPTIONS section; when its SYNOPSIS (unless it says OPTIONS) leaves out an option but -h,
--help and --version, or its SEE ALSO another program's page. Usage: PROGRAM PAGE[.gz] ..."""
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
        lines = re.sub(r"\\f[BIRP]", "", f.read().replace("\\-", "-")).splitlines()
    section, found, text = None, set(), {"SYNOPSIS": "", "SEE ALSO": ""}
    for previous, line in zip([""] + lines, lines):
        section = line[4:].strip('"') if line.startswith(".SH ") else section
        if section == "OPTIONS" and previous.startswith((".TP", ".TQ")):
            found |= set(OPTION.findall(line))
        text[section] = text.get(section, "") + " " + line
    return found, text["SYNOPSIS"], text["SEE ALSO"]


failed = len(sys.argv) < 3
names = [program.split("/")[-1] for program in sys.argv[1::2]]
for program, page in zip(sys.argv[1::2], sys.argv[2::2]):
    in_help, (in_page, synopsis, see_also) = help_options(program), page_options(page)
    unsaid = set() if "OPTIONS" in synopsis else in_help - {"-h", "--help", "--version"} - set(
        OPTION.findall(synopsis))
    unnamed = [n for n in names if n != program.split("/")[-1] and f" {n} (1)" not in see_also]
    failed |= not in_help or in_help != in_page or bool(unsaid) or bool(unnamed)
    print(f"{program}: {len(in_help)} options in --help; only there: "
          f"{sorted(in_help - in_page)}; only in {page}: {sorted(in_page - in_help)}; "
          f"not in its SYNOPSIS: {sorted(unsaid)}; not in its SEE ALSO: {unnamed}")
sys.exit(1 if failed else 0)
