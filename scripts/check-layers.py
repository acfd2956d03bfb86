#!/usr/bin/env python3
"""Checks that each library folder includes only folders above it in the layer order.

Reads every `#include "folder/..."` line of the sources under each library folder and fails,
naming the file, the line and the include, when the included folder comes after the including
one, or is a folder of the repository that no library may use (tests/, bench/, ...). A top-level
folder holding sources that is neither in the order nor exempt fails too, so that a new library
is placed in the order when it is made. tests/ and bench/ may include anything.

Usage: check-layers.py [REPOSITORY]   (by default the repository this script lives in)
"""

import os
import re
import sys

# Each library uses only those before it; the README states the same order.
ORDER = [
    "core", "codecs", "platform", "components", "audio", "document", "formats", "effects",
    "devices", "cd", "project", "view", "app", "tools",
]
# Folders that are not libraries and are not checked.
EXEMPT = {"tests", "bench", "cmake", "docs", "scripts"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')


def sources(folder):
    for directory, subfolders, files in os.walk(folder):
        subfolders.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(directory, name)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    top_level = {
        entry for entry in os.listdir(root)
        if os.path.isdir(os.path.join(root, entry)) and not entry.startswith((".", "build"))
    }
    rank = {folder: position for position, folder in enumerate(ORDER)}
    faults = []
    for folder in sorted(top_level - EXEMPT):
        path = os.path.join(root, folder)
        if folder not in rank:
            if any(True for _ in sources(path)):
                faults.append(f"{folder}/: a folder with sources that is not in the layer order")
            continue
        for source in sources(path):
            with open(source, encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match or match.group(1) not in top_level:
                        continue
                    target = match.group(1)
                    if target in rank and rank[target] <= rank[folder]:
                        continue
                    where = os.path.relpath(source, root)
                    why = "comes after" if target in rank else "is not a library for"
                    faults.append(f"{where}:{number}: {line.strip()} ({target}/ {why} {folder}/)")
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        print(f"check-layers: {len(faults)} break(s) of the layer order: "
              + " < ".join(ORDER), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
