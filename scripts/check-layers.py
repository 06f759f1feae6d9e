#!/usr/bin/env python3
"""Checks the skin engine's layering: a file of skin/ includes only files of its own layer or of a
lower one, and no unit (a file pair X.h / X.cpp) reaches itself through its includes.

Prints one line per violation and exits 1 when there is any; with --graph also prints the unit
graph. Run from anywhere; paths are taken from the repository root.
"""
import re
import sys
from pathlib import Path

# Lowest first. The order is the design: change it only with the code.
LAYERS = ["format", "model", "rules", "controls", "menus", "frame", "manager"]

ROOT = Path(__file__).resolve().parent.parent
INCLUDE = re.compile(r'^\s*#\s*include\s+"(skin/[^"]+)"', re.M)


def unit_of(path):
    """skin/frame/WinSkinForm_win.cpp -> skin/frame/WinSkinForm_win"""
    return str(path.with_suffix(""))


def main(argv):
    skin = ROOT / "skin"
    files = sorted(p.relative_to(ROOT) for p in skin.rglob("*") if p.suffix in (".h", ".cpp"))
    problems = []
    edges = {}
    for rel in files:
        parts = rel.parts
        if len(parts) != 3 or parts[1] not in LAYERS:
            problems.append(f"{rel}: not in a layer folder (skin/<layer>/file, layers: {', '.join(LAYERS)})")
            continue
        layer = LAYERS.index(parts[1])
        text = (ROOT / rel).read_text(encoding="utf-8")
        for line_no, target in ((text.count("\n", 0, m.start()) + 1, m.group(1)) for m in INCLUDE.finditer(text)):
            target_parts = Path(target).parts
            if not (ROOT / target).is_file():
                problems.append(f"{rel}:{line_no}: includes {target}, which does not exist")
                continue
            if len(target_parts) != 3 or target_parts[1] not in LAYERS:
                continue  # reported as a file of its own
            if LAYERS.index(target_parts[1]) > layer:
                problems.append(f"{rel}:{line_no}: includes {target} of the higher layer '{target_parts[1]}'")
            if not rel.stem.endswith("_win") and Path(target).stem.endswith("_win"):
                problems.append(f"{rel}:{line_no}: portable file includes the Win32 file {target}")
            source, dest = unit_of(rel), unit_of(Path(target))
            if source != dest:
                edges.setdefault(source, set()).add(dest)

    for cycle in cycles(edges):
        problems.append("include loop: " + " -> ".join(cycle + [cycle[0]]))

    if "--graph" in argv:
        for source in sorted(edges):
            print(f"{source}: {' '.join(sorted(edges[source]))}")
    for p in problems:
        print(p)
    if problems:
        print(f"check-layers: {len(problems)} problem(s)")
        return 1
    print(f"check-layers: {len(files)} files in {len(LAYERS)} layers, no upward include, no loop")
    return 0


def cycles(edges):
    """One loop for each strongly connected group of more than one unit (Tarjan)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                found.append(path_within(sorted(group), edges))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def path_within(group, edges):
    """A concrete loop through the group's first unit, for the report."""
    members = set(group)
    start = group[0]
    previous = {start: None}
    queue = [start]
    while queue:
        v = queue.pop(0)
        for w in sorted(edges.get(v, ())):
            if w == start:
                path = [v]
                while previous[path[-1]] is not None:
                    path.append(previous[path[-1]])
                return list(reversed(path))
            if w in members and w not in previous:
                previous[w] = v
                queue.append(w)
    return group


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
