#!/bin/bash
# clang-tidy with the checks of .clang-tidy over every project source: the files of the native
# build as it compiles them, the Win32 files as the x86-64 MinGW build does (clang for the MinGW
# target, with the MinGW compiler's own C++ headers), the fuzz targets as plain C++17. Needs the
# builds' compile_commands.json: run scripts/build.sh first.
# Prints every finding once (a header's finding shows up in every file that includes it), then
# the count per folder and per check. Exit status non-zero on any finding, on a file clang cannot
# compile, and on a source that no build compiles (it would go unchecked).
# A file whose text, project headers, flags and checks are as at its last run is not checked
# again: its result is kept in build/tidy-cache (delete the folder to check everything afresh).
# Usage: scripts/tidy.sh [source files...]   (default: all of them)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for tool in clang-tidy clang++; do
    command -v "$tool" >/dev/null || { echo "tidy.sh: $tool is not installed" >&2; exit 2; }
done
exec python3 - "$root" "$@" <<'EOF'
import collections, concurrent.futures, hashlib, json, os, re, shlex, subprocess, sys, time

root = sys.argv[1]
wanted = {os.path.abspath(f) for f in sys.argv[2:]}
folders = ["framework", "net", "skin", "system", "update", "tools", "tests", "fuzz"]
native, mingw = "build/native", "build/mingw-x86_64"
work, cache = "build/tidy", "build/tidy-cache"
ours = re.compile(r"^%s/(%s)/" % (re.escape(root), "|".join(folders)))
started = time.time()

for db in (native, mingw):
    if not os.path.isfile(os.path.join(db, "compile_commands.json")):
        sys.exit("tidy.sh: %s/compile_commands.json missing (run scripts/build.sh)" % db)


def load(db):
    with open(os.path.join(db, "compile_commands.json")) as f:
        entries = json.load(f)
    for e in entries:
        e["arguments"] = e.get("arguments") or shlex.split(e["command"])
        e.pop("command", None)
        # GCC's warnings are the build's gate; clang's differ and would stop the check.
        e["arguments"] = [a for a in e["arguments"] if a != "-Werror"]
    return [e for e in entries if ours.match(e["file"]) and e["file"].endswith(".cpp")]


def gcc_cxx_includes(compiler):
    # The C++ library of the MinGW compiler, in its order; clang keeps its own builtin headers.
    out = subprocess.run([compiler, "-xc++", "-E", "-v", os.devnull], capture_output=True, text=True).stderr
    dirs, inside = [], False
    for line in out.splitlines():
        if line.startswith("#include <...>"):
            inside = True
        elif line.startswith("End of search"):
            break
        elif inside and "/include/c++" in line:
            dirs += ["-isystem", os.path.normpath(line.strip())]
    return dirs


native_entries = load(native)
# The fuzz targets build on their own with clang (fuzz/CMakeLists.txt).
for name in sorted(os.listdir(os.path.join(root, "fuzz"))):
    if name.endswith(".cpp"):
        path = os.path.join(root, "fuzz", name)
        native_entries.append({"directory": root, "file": path,
                               "arguments": ["clang++", "-std=c++17", "-I" + root, "-c", path]})
mingw_entries = load(mingw)
if mingw_entries:
    compiler = mingw_entries[0]["arguments"][0]
    target = re.sub(r"-g\+\+[^/]*$", "", os.path.basename(compiler))
    includes = gcc_cxx_includes(compiler)
    for e in mingw_entries:
        e["arguments"] = ["clang++", "--target=" + target] + includes + e["arguments"][1:]

os.makedirs(os.path.join(work, "native"), exist_ok=True)
os.makedirs(os.path.join(work, "mingw"), exist_ok=True)
os.makedirs(cache, exist_ok=True)
# Each file once: natively when the native build has it (portable code), else as Windows code.
chosen = {}
for db, entries in (("native", native_entries), ("mingw", mingw_entries)):
    with open(os.path.join(work, db, "compile_commands.json"), "w") as f:
        json.dump(entries, f, indent=1)
    for e in entries:
        chosen.setdefault(e["file"], (os.path.join(work, db), e))
unchecked = []
for folder in folders:
    for dirpath, _, names in os.walk(os.path.join(root, folder)):
        unchecked += [os.path.relpath(os.path.join(dirpath, n), root) for n in names
                      if n.endswith(".cpp") and os.path.join(dirpath, n) not in chosen]
jobs = sorted((f, v) for f, v in chosen.items() if not wanted or f in wanted)
if wanted:
    unchecked = [os.path.relpath(f, root) for f in wanted if f not in chosen]

with open(os.path.join(root, ".clang-tidy"), "rb") as f:
    config = f.read()
version = subprocess.run(["clang-tidy", "--version"], capture_output=True, text=True).stdout
header_filter = "^%s/(%s)/" % (re.escape(root), "|".join(folders))


def digest(data):
    return hashlib.sha256(data).hexdigest()


def file_digest(path):
    try:
        with open(path, "rb") as f:
            return digest(f.read())
    except OSError:
        return None


def project_headers(entry):
    # The project's files that the source includes, from the preprocessor.
    args = list(entry["arguments"])
    if "-o" in args:
        i = args.index("-o")
        del args[i:i + 2]
    args = [a for a in args if a != "-c"] + ["-MM"]
    out = subprocess.run(args, cwd=entry["directory"], capture_output=True, text=True, stdin=subprocess.DEVNULL)
    if out.returncode != 0:
        return None
    deps = out.stdout.replace("\\\n", " ").split(":", 1)[-1].split()
    paths = {os.path.normpath(os.path.join(entry["directory"], d)) for d in deps}
    return sorted(p for p in paths if ours.match(p))


def check(job):
    path, (db, entry) = job
    key = digest(json.dumps([version, config.decode(errors="replace"), entry["arguments"],
                             file_digest(path)]).encode())
    slot = os.path.join(cache, key + ".json")
    try:
        with open(slot) as f:
            kept = json.load(f)
        if all(file_digest(p) == d for p, d in kept["deps"].items()):
            return path, kept["rc"], kept["output"], True
    except (OSError, ValueError, KeyError):
        pass
    run = subprocess.run(["clang-tidy", "--quiet", "-p", db, "--header-filter=" + header_filter, path],
                         capture_output=True, text=True, errors="replace", stdin=subprocess.DEVNULL)
    output = run.stdout + run.stderr
    headers = project_headers(entry)
    if run.returncode in (0, 1) and headers is not None and not broken(run.returncode, output):
        with open(slot + ".tmp", "w") as f:
            json.dump({"deps": {p: file_digest(p) for p in headers}, "rc": run.returncode, "output": output}, f)
        os.replace(slot + ".tmp", slot)
    return path, run.returncode, output, False


def broken(rc, output):
    # A crash, or code clang cannot compile: nothing in it was checked.
    return rc not in (0, 1) or "Found compiler error" in output or "[clang-diagnostic-error]" in output


workers = max(1, min(2, os.cpu_count() or 2))
print("tidy.sh: %d files, %d at a time" % (len(jobs), workers), flush=True)
with concurrent.futures.ThreadPoolExecutor(workers) as pool:
    results = list(pool.map(check, jobs))

head = re.compile(r"^(/[^:]+):(\d+):(\d+): (warning|error): (.*?)(?: \[([^\]]+)\])?$")
noise = re.compile(r"^(Suppressed \d+|Use -header-filter|\d+ warnings? (and \d+ errors? )?generated|"
                   r"\d+ errors? generated|Error while processing|Found compiler error)")
seen, blocks, failed = set(), [], []
for path, rc, output, _ in results:
    current = None
    for line in output.splitlines():
        m = head.match(line)
        if m:
            check_name = (m.group(6) or "").replace(",-warnings-as-errors", "")
            key = (m.group(1), m.group(2), m.group(3), check_name)
            current = None
            if key not in seen and m.group(1).startswith(root + "/"):
                seen.add(key)
                current = [line]
                blocks.append((m.group(1), check_name, current))
        elif current is not None and not noise.match(line):
            current.append(line)
    if broken(rc, output):
        failed.append((os.path.relpath(path, root), output))

for _, _, lines in sorted(blocks, key=lambda b: b[2][0]):
    print("\n".join(lines))
for path, output in failed:
    print("tidy.sh: clang could not check %s:\n%s" % (path, "\n".join(output.splitlines()[:30])))
for path in sorted(unchecked):
    print("tidy.sh: no build compiles %s: it was not checked" % path)
per_folder = collections.Counter(os.path.relpath(f, root).split("/")[0] for f, _, _ in blocks)
print("== tidy findings per folder")
for folder in folders:
    print("  %-10s %d" % (folder, per_folder.get(folder, 0)))
per_check = collections.Counter(c for _, c, _ in blocks)
for check_name, count in per_check.most_common():
    print("  %-52s %d" % (check_name, count))
print("tidy.sh: %d finding(s) in %d file(s) (%d from the cache), %d not checked, %.0f s" %
      (len(blocks), len(results), sum(1 for r in results if r[3]), len(failed) + len(unchecked),
       time.time() - started))
sys.exit(1 if blocks or failed or unchecked else 0)
EOF
