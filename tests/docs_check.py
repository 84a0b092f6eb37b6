#!/usr/bin/env python3
"""Fails when the documents and the manual pages drift apart: a key or table of the example
configuration that stillmon.toml(5) does not name in bold; a link of README.md or docs/*.md to
a file or heading that does not exist; a document of docs/ that README.md does not link to; a
table of a document that lists again the keys, exit statuses or configuration keys that the
manual pages list (they are written once, there). Usage: docs_check.py [REPOSITORY]"""
import pathlib
import re
import sys

LINK = re.compile(r"\]\(([^)\s]+)\)")
FENCE = re.compile(r"^```.*?^```", re.MULTILINE | re.DOTALL)


def roff_lines(page):
    return re.sub(r"\\f[BIRP]", "", page.read_text().replace("\\-", "-")).splitlines()


def tags(page, wanted=None):
    """The words of each .TP tag in the sections named (all without `wanted`)."""
    found, section, lines = set(), None, roff_lines(page)
    for previous, line in zip([""] + lines, lines):
        section = line[4:].strip('"') if line.startswith(".SH ") else section
        if previous.startswith((".TP", ".TQ")) and (wanted is None or section in wanted):
            found |= set(re.split(r'[\s",]+', re.sub(r"^\.[A-Z]+\s", "", line))) - {"", "/"}
    return found


def bold_words(page):
    lines = [re.sub(r"^\.[BRI]+\s", "", l) for l in roff_lines(page) if re.match(r"\.(B|BR|RB)\s", l)]
    return set(re.split(r'[\s"():]+', " ".join(lines))) | tags(page)


def slugs(markdown):
    return {re.sub(r"[^\w\- ]", "", h.strip().lower()).replace(" ", "-")
            for h in re.findall(r"^#+ (.*)$", FENCE.sub("", markdown), re.MULTILINE)}


def table_firsts(markdown):
    """Each table's first words of its body rows."""
    for table in re.findall(r"(?:^\|.*\n)+", FENCE.sub("", markdown), re.MULTILINE):
        rows = table.splitlines()[2:]
        yield [(re.split(r"[\s,/]+", r.strip("| ").replace("`", "")) + [""])[0] for r in rows]


def problems(root):
    man = root / "man"
    example = (root / "docs/examples/stillmon.toml").read_text()
    named = set(re.findall(r"^#?\s*(\[\[?[\w.]+\]\]?|\w+)\s*(?:=|$)", example, re.MULTILINE))
    for key in sorted(named - bold_words(man / "stillmon.toml.5")):
        yield f"docs/examples/stillmon.toml: {key} is not in stillmon.toml(5)"
    listed = {"keys": tags(man / "stillmon.1", {"KEYS"}),
              "exit statuses": set.union(*(tags(p, {"EXIT STATUS"}) for p in man.glob("*.1"))),
              "configuration keys": tags(man / "stillmon.toml.5")}
    documents = [root / "README.md"] + sorted((root / "docs").glob("*.md"))
    readme_links = set(LINK.findall(FENCE.sub("", documents[0].read_text())))
    for document in documents:
        name, text = document.relative_to(root), document.read_text()
        if document != documents[0] and f"docs/{document.name}" not in readme_links:
            yield f"{name}: README.md does not link to it"
        for target in LINK.findall(FENCE.sub("", text)):
            path, _, heading = target.partition("#")
            if re.match(r"\w+:", path):
                continue
            linked = (document.parent / path).resolve() if path else document
            if not linked.exists() or heading and heading not in slugs(linked.read_text()):
                yield f"{name}: the link {target} leads nowhere"
        for firsts in table_firsts(text):
            for what, words in listed.items():
                if len(set(firsts) & words) >= 3:
                    yield f"{name}: a table of {what} stands in the manual pages already"


def main():
    found = list(problems(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()))
    print("\n".join(found + [f"{len(found)} problem(s) in the documents"]))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
