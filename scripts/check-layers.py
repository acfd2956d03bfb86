#!/usr/bin/env python3
"""Holds the sources and the CMake link lines against the graph of libraries written below.

Every folder named in GRAPH is a unit: a library (or a program), or a room of the editor library.
A source belongs to the deepest unit whose folder holds it. The check fails, naming the place:
 - when a source includes a header of another unit that its unit may not use;
 - when a unit may use another that none of its sources includes (the graph says what is, not
   what might be: drop the edge);
 - when a CMake target links a Sonvara library whose unit its unit does not use, or does not reach
   a library it uses through its links;
 - when a folder holding sources is in no unit, or the graph has a cycle.
tests/ and bench/ may include anything. The editor's rooms use each other only in the graph's
direction, as the libraries do.

Usage: check-layers.py [REPOSITORY] [--graph]   (--graph prints the graph, one unit a line)
"""

import os
import re
import sys

# unit folder: (its CMake targets, the units its sources include)
GRAPH = {
    "core": (["sonvara_core"], []),
    "codecs/g711": (["sonvara_g711"], []),
    "codecs/adpcm": (["sonvara_adpcm"], ["core"]),
    "codecs/gsm": (["sonvara_gsm"], []),
    "codecs/mp3": (["sonvara_mp3"], ["core"]),
    "platform": (["sonvara_platform"],
                 ["core", "codecs/g711", "codecs/adpcm", "codecs/gsm", "codecs/mp3"]),
    "components": (["sonvara_components"], ["core", "platform"]),
    "components/ffmpeg": (["sonvara_ffmpeg_audio"], []),
    "components/wmakx": (["sonvara-wmakx"], ["platform", "components/ffmpeg"]),
    "components/dsskx": (["sonvara_dss_session", "sonvara-dsskx"],
                         ["components", "components/ffmpeg"]),
    "components/realaudio": (["sonvara_real_audio_engine", "sonvara-realaudio"],
                             ["components", "components/ffmpeg"]),
    "audio": (["sonvara_audio"], ["core", "platform"]),
    "document": (["sonvara_document"], ["core", "audio"]),
    "formats": (["sonvara_formats"],
                ["core", "platform", "audio", "document", "components", "components/ffmpeg",
                 "codecs/g711", "codecs/gsm", "codecs/mp3"]),
    "effects": (["sonvara_effects"], ["core", "audio", "document"]),
    "lv2": (["sonvara_lv2"], ["core", "audio", "document", "effects"]),
    "devices": (["sonvara_devices"], ["core", "audio"]),
    "cd": (["sonvara_cd"], ["core", "platform"]),
    "project": (["sonvara_project"], ["core", "document"]),
    "batch": (["sonvara_batch"], ["core", "audio", "document", "effects", "formats", "lv2"]),
    "editor_model": (["sonvara_editor_model"],
                     ["core", "platform", "audio", "document", "formats", "effects", "devices"]),
    "view/columns": (["sonvara_view_columns"], ["core", "document", "effects"]),
    "view": (["sonvara_view"], ["core", "document", "effects", "devices", "view/columns"]),
    # The editor library: its rooms, each after what it uses.
    "editor": (["sonvara_editor"], []),
    "editor/common": ([], ["core", "platform", "audio", "document", "formats", "effects",
                           "project", "editor_model", "view/columns", "view"]),
    "editor/transport": ([], ["core", "audio", "document", "devices", "editor_model", "view",
                              "editor/common"]),
    "editor/edit": ([], ["core", "audio", "document", "formats", "effects", "editor/common"]),
    "editor/effects": ([], ["core", "audio", "document", "effects", "lv2", "editor_model",
                            "view/columns", "view", "editor/common", "editor/transport"]),
    "editor/places": ([], ["core", "document", "formats", "project", "view", "editor/common",
                           "editor/transport"]),
    "editor/files": ([], ["core", "audio", "document", "formats", "cd", "project", "editor_model",
                          "editor/common", "editor/transport", "editor/places"]),
    "editor/batch": ([], ["core", "audio", "formats", "lv2", "batch", "editor/common",
                          "editor/edit", "editor/effects"]),
    "editor/options": ([], ["core", "effects", "devices", "editor_model", "view",
                            "editor/common", "editor/files"]),
    "editor/tools": ([], ["core", "document", "effects", "editor_model", "view",
                          "editor/common", "editor/transport", "editor/files", "editor/batch",
                          "editor/options"]),
    "editor/frame": ([], ["core", "effects", "lv2", "devices", "editor_model", "view", "editor/common",
                          "editor/transport", "editor/edit", "editor/effects", "editor/places",
                          "editor/files", "editor/tools"]),
    "app": (["sonvara"], ["core", "platform", "editor/common", "editor/files", "editor/frame"]),
    "tools": (["sonvara-batch"], ["core", "platform", "audio", "effects", "formats", "lv2", "batch"]),
}

# Uses of a unit's headers alone (the entry points a loadable component exports, the byte order
# helpers the codec cores read their streams with), which need no link to its library.
HEADER_ONLY = {("components/dsskx", "components"), ("components/realaudio", "components"),
               ("codecs/adpcm", "core"), ("codecs/mp3", "core")}

# Folders that hold no library and are not checked.
EXEMPT = {"tests", "bench", "cmake", "docs", "scripts"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
# A CMake call that names a target's links: sonvara_library(name ... DEPENDS ...),
# target_link_libraries(name [PRIVATE|PUBLIC] ...).
LIBRARY_CALL = re.compile(r"sonvara_library\(\s*(\w+)(.*?)\)", re.S)
LINK_CALL = re.compile(r"target_link_libraries\(\s*([\w-]+)(.*?)\)", re.S)


def unit_of(path):
    """The deepest unit whose folder holds `path` (a path relative to the repository)."""
    folder = os.path.dirname(path)
    while folder:
        if folder in GRAPH:
            return folder
        folder = os.path.dirname(folder)
    return None


def sources(root, folder):
    for directory, subfolders, files in os.walk(os.path.join(root, folder)):
        subfolders.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(directory, name), root)


def cycle_faults():
    state = {}

    def visit(unit, trail):
        if state.get(unit) == "done":
            return []
        if state.get(unit) == "open":
            return [" -> ".join(trail[trail.index(unit):] + [unit]) + ": a cycle"]
        state[unit] = "open"
        faults = []
        for used in GRAPH[unit][1]:
            faults += visit(used, trail + [unit])
        state[unit] = "done"
        return faults

    return [fault for unit in GRAPH for fault in visit(unit, [])]


def include_faults(root):
    """Faults of the includes, and each unit's used units as its sources include them."""
    faults, used = [], {unit: set() for unit in GRAPH}
    top_level = sorted(entry for entry in os.listdir(root)
                       if os.path.isdir(os.path.join(root, entry))
                       and not entry.startswith((".", "build")) and entry not in EXEMPT)
    for folder in top_level:
        for source in sources(root, folder):
            unit = unit_of(source)
            if unit is None:
                faults.append(f"{source}: a source in no unit of the graph")
                continue
            with open(os.path.join(root, source), encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match or "/" not in match.group(1):
                        continue
                    header = match.group(1)
                    target = unit_of(header)
                    if target is None or target == unit:
                        if target is None and header.split("/")[0] in top_level:
                            faults.append(f"{source}:{number}: {header} is in no unit")
                        continue
                    used[unit].add(target)
                    if target not in GRAPH[unit][1]:
                        faults.append(f"{source}:{number}: {line.strip()} ({unit}/ may not use "
                                      f"{target}/)")
    for unit, (_, allowed) in GRAPH.items():
        for target in allowed:
            if target not in used[unit]:
                faults.append(f"{unit}/ may use {target}/ but includes nothing of it: drop the "
                              "edge")
    return faults, used


def link_faults(root, used):
    """Faults of the CMake link lines against the units the sources use."""
    owner = {target: unit for unit, (targets, _) in GRAPH.items() for target in targets}
    links = {}
    for unit in GRAPH:
        path = os.path.join(root, unit, "CMakeLists.txt")
        if not os.path.exists(path):
            continue
        with open(path, encoding="utf-8") as text:
            cmake = re.sub(r"#.*", "", text.read())
        for match in LIBRARY_CALL.finditer(cmake):
            depends = match.group(2).split("DEPENDS", 1)
            words = depends[1].split() if len(depends) > 1 else []
            links.setdefault("sonvara_" + match.group(1), set()).update(words)
        for match in LINK_CALL.finditer(cmake):
            links.setdefault(match.group(1), set()).update(match.group(2).split())
    faults = []
    for target, linked in sorted(links.items()):
        unit = owner.get(target)
        if unit is None:
            continue
        # A library's rooms (units without targets of their own) use what the library uses.
        rooms = [u for u, (targets, _) in GRAPH.items()
                 if not targets and u.startswith(unit + "/")]
        needs = {library_of(u) for u in set().union(used[unit], *(used[room] for room in rooms))}
        needs -= {unit} | {u for (user, u) in HEADER_ONLY if user == unit}
        reached = set()
        for name in linked:
            if not name.startswith("sonvara"):
                continue
            linked_unit = owner.get(name)
            if linked_unit is None or linked_unit == unit:
                continue
            if linked_unit not in needs:
                faults.append(f"{unit}/CMakeLists.txt: {target} links {name}, which nothing in "
                              f"{unit}/ uses")
            reached |= reachable(linked_unit, links, owner)
        for need in sorted(needs - reached):
            faults.append(f"{unit}/CMakeLists.txt: {target} uses {need}/ but links nothing "
                          "that reaches it")
    return faults


def library_of(unit):
    """The unit whose targets build `unit`: itself, or the library a room belongs to."""
    while not GRAPH[unit][0]:
        unit = os.path.dirname(unit)
    return unit


def reachable(unit, links, owner):
    """The units whose libraries link through `unit`'s targets, `unit` included."""
    found, pending = set(), [unit]
    while pending:
        current = pending.pop()
        if current in found:
            continue
        found.add(current)
        for target in GRAPH[current][0]:
            for name in links.get(target, ()):
                if name in owner:
                    pending.append(owner[name])
    return found


def print_graph():
    for unit, (_, allowed) in GRAPH.items():
        print(f"{unit + '/':<20} {' '.join(allowed) if allowed else '-'}")


def main():
    arguments = [a for a in sys.argv[1:] if a != "--graph"]
    root = arguments[0] if arguments else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    if "--graph" in sys.argv:
        print_graph()
        return 0
    faults = cycle_faults()
    include, used = include_faults(root)
    faults += include + link_faults(root, used)
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        print(f"check-layers: {len(faults)} fault(s) against the graph", file=sys.stderr)
        return 1
    print(f"check-layers: {len(GRAPH)} units as the graph says")
    return 0


if __name__ == "__main__":
    sys.exit(main())
