#!/usr/bin/env python3
"""Fails when a source file includes a folder that is not below its own.

src/base is the bottom, src/system (the operating system's primitives) just above it; process,
logging, link, display, web, console, alarms, notify and mqtt stand on those alone and never include
each other; replay (the derivation of a saved log's records) and config (the configuration file)
stand on them, never on each other; app on all of them; startup on app; src/main.cpp on top.
The tools stand beside app: programs of their own, they take nothing from stillmon's run. The
platform libraries stay in the files that wrap them. Usage: layering_check.py [REPOSITORY]
"""
import pathlib
import re
import sys

LEVEL = {"base": 0, "system": 0.5,
         "process": 1, "logging": 1, "link": 1, "display": 1, "web": 1, "console": 1, "alarms": 1,
         "notify": 1,
         "mqtt": 1,
         "replay": 2, "config": 2, "app": 3, "startup": 4}
TOP = 5  # src/main.cpp
TOOLS = LEVEL["app"]
# Platform headers and the only files that may include them.
PLATFORM = {"SDL": re.compile(r"src/display/sdl_\w+\.(h|cpp)$"),
            "asio": re.compile(r"src/link/serial_(\w+\.cpp|device\.h)$"),
            "httplib": re.compile(r"src/(web/http_\w+\.(h|cpp)|notify/webhook_sender\.cpp)$"),
            "X11": re.compile(r"src/display/display_server_posix\.cpp$"),
            "toml++": re.compile(r"src/config/config_file\.cpp$"),
            "mosquitto": re.compile(r"src/mqtt/mosquitto_\w+\.cpp$"),
            # The Windows side of a seam, in a file of its own beside the POSIX one.
            "windows": re.compile(r"_windows\.cpp$")}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)


def folder_and_level(path):
    """The folder a file belongs to and its level; None for a folder the order does not know."""
    parts = path.parts
    if parts[0] == "tools":
        return parts[1], TOOLS
    if len(parts) == 2:  # src/main.cpp
        return "", TOP
    return parts[1], LEVEL.get(parts[1])


def problems(root):
    files = sorted(p for folder in ("src", "tools") for p in (root / folder).rglob("*")
                   if p.suffix in (".h", ".cpp"))
    for path in files:
        relative = path.relative_to(root)
        folder, level = folder_and_level(relative)
        if level is None:
            yield f"{relative}: folder '{folder}' has no place in the layer order"
            continue
        for kind, name in INCLUDE.findall(path.read_text(encoding="utf-8")):
            included = name.split("/")[0]
            if kind == "<":
                for library, allowed in PLATFORM.items():
                    if included.startswith(library) and not allowed.search(relative.as_posix()):
                        yield f"{relative}: <{name}> belongs in the files that wrap {library}"
                continue
            if "/" not in name or included == folder:
                continue
            if LEVEL.get(included, TOP) >= level:
                yield f'{relative}: "{name}" is not below {folder or "main.cpp"}'


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    found = list(problems(root))
    for line in found:
        print(line)
    print(f"{len(found)} include(s) against the layer order")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
