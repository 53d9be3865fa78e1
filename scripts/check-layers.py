#!/usr/bin/env python3
"""Fails when an include in src/ runs against the layers that the CMake targets declare.

Each subsystem's logic (src/<name>/, outside qt/) may include the headers of the subsystems its
target depends on (the DEPS of vq_logic_library in src/<name>/CMakeLists.txt, followed through) and
its own, never a Qt header and never a qt/ folder. The Qt side (src/<name>/qt/, all of it one
target, vq_ui, above every logic target) may include any logic header, its own Qt headers and those of
the subsystems its logic depends on, and the window chrome that every skinned window shares
(skins/qt/). src/app/ wires everything and may
include anything.
"""
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent
src = root / "src"

deps = {}
for cm in src.glob("*/CMakeLists.txt"):
    for m in re.finditer(r"vq_logic_library\(\s*vq_(\w+)([^)]*)\)", cm.read_text()):
        words = m.group(2).split()
        after = words[words.index("DEPS") + 1:] if "DEPS" in words else []
        deps[m.group(1)] = {w[3:] for w in after if w.startswith("vq_")}


def closure(name):
    seen, todo = set(), [name]
    while todo:
        for d in deps.get(todo.pop(), ()):
            if d not in seen:
                seen.add(d)
                todo.append(d)
    return seen | {name}


include = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
errors = []
for f in sorted(src.rglob("*")):
    if f.suffix not in (".h", ".cpp"):
        continue
    parts = f.relative_to(src).parts
    layer = parts[0]
    if layer == "app":
        continue
    is_qt = "qt" in parts[1:-1]
    allowed = closure(layer)
    allowed_qt = allowed | {"skins"}
    for n, line in enumerate(f.read_text(errors="replace").splitlines(), 1):
        m = include.match(line)
        if not m:
            continue
        kind, target = m.groups()
        where = f"{f.relative_to(root)}:{n}: {line.strip()}"
        if kind == "<":
            if not is_qt and re.match(r"Q|qt", target):
                errors.append(f"{where}: a Qt header in logic")
            continue
        head = target.split("/")
        if len(head) < 2 or head[0] not in deps:
            continue
        target_is_qt = "qt" in head[1:-1]
        if not is_qt and target_is_qt:
            errors.append(f"{where}: logic includes a Qt file")
        elif target_is_qt and head[0] not in allowed_qt:
            errors.append(f"{where}: {layer}/qt reaches the Qt side of {head[0]}")
        elif not is_qt and head[0] not in allowed:
            errors.append(f"{where}: {layer} does not depend on {head[0]}")

for e in errors:
    print(e)
if errors:
    print(f"{len(errors)} include(s) cross a layer", file=sys.stderr)
    sys.exit(1)
print("layers: every include follows the declared dependencies")
