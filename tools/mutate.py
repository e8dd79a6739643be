#!/usr/bin/env python3
"""A small mutation tester: do the tests notice when a line of the plug-in is wrong?

It draws random lines from the plug-in's sources (with a seed, so a run can be
repeated), makes one plausible single-line change to each (a flipped
comparison, an off-by-one, a swapped operator, a deleted call), rebuilds only
what changed in an existing build folder, runs the tests most likely to catch
the change first and stops at the first failure. A change no test notices is
a survivor: either a gap in the tests or an equivalent change (one that cannot
alter behaviour), which only a person can tell apart.

    tools/mutate.py                         # 40 mutants across the plug-in's folders
    tools/mutate.py --seed 7 -n 20 adapter/Render.cpp core/clocktime
    tools/mutate.py --since main            # only lines changed since main
    tools/mutate.py --restore               # put back a line an interrupted run left changed
    tools/mutate.py --confirm build-sanitize  # survivors tried again under the sanitizers

The changed line is always put back, on Ctrl-C too; a run killed outright
leaves its backup in BUILD/mutate-backup, which --restore (or the next run)
puts back.
"""

from __future__ import annotations

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_FOLDERS = ["core", "adapter"]
SOURCE_SUFFIXES = {".cpp", ".h"}
JOBS = 2

# The test programs that test a folder's modules, tried before all the others
# (the longest folder that holds the file decides).
MODULE_TESTS = {
    "core/clocktime": r"^clocktime_",
    "core/compositing": r"^render_",
    "core/drawing": r"^drawing_",
    "core/values": r"^(params_|font_)",
    "core/fontchooser": r"^(font_|instance_changed)",
    "adapter": r"^(shell_|params_|render_|instance_changed|layering)",
}


def module_pattern(path: Path) -> re.Pattern:
    folders = [f for f in MODULE_TESTS if path.as_posix().startswith(f + "/")]
    return re.compile(MODULE_TESTS[max(folders, key=len)] if folders else r"^$")

# Lines that hold nothing a mutation could change the meaning of.
SKIP_LINE = re.compile(
    r"""^\s*(
        $                                   # blank
      | //.*                                # comment
      | /?\*.*                              # block comment
      | [{}()\[\];,]*\s*(//.*)?$            # braces and the like alone
      | \#\s*(include|pragma|if|ifdef|ifndef|else|elif|endif|define|undef)\b.*
      | (namespace|using|template|class|struct|enum|friend|public:|private:|protected:|case\b|default:).*
      | .*\b(static_assert|assert)\s*\(.*
      | .*\b(std::cerr|std::cout|fprintf|printf|std::clog|log[A-Z]\w*|LOG\w*)\b.*
    )""",
    re.VERBOSE,
)

Replacement = tuple[int, int, str]  # start, end, new text within the line


@dataclass
class Mutant:
    path: Path  # relative to ROOT
    line: int  # 1-based
    before: str
    after: str
    kind: str

    def where(self) -> str:
        return f"{self.path}:{self.line}"


def code_part(line: str) -> str:
    """The line with string and character literals and a trailing comment blanked out."""
    out = []
    i = 0
    quote = None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


def operator_swaps(code: str) -> list[tuple[str, Replacement]]:
    """Every single-token change the line allows, as (kind, replacement)."""
    found: list[tuple[str, Replacement]] = []
    # Binary operators are written with a blank either side; templates,
    # streams and arrows are not.
    swaps = {
        " == ": (" != ", "flipped comparison"),
        " != ": (" == ", "flipped comparison"),
        " < ": (" >= ", "flipped comparison"),
        " >= ": (" < ", "flipped comparison"),
        " > ": (" <= ", "flipped comparison"),
        " <= ": (" > ", "flipped comparison"),
        " && ": (" || ", "swapped logic"),
        " || ": (" && ", "swapped logic"),
        " + ": (" - ", "swapped operator"),
        " - ": (" + ", "swapped operator"),
        " * ": (" / ", "swapped operator"),
        " / ": (" * ", "swapped operator"),
        " += ": (" -= ", "swapped operator"),
        " -= ": (" += ", "swapped operator"),
        " & ": (" | ", "swapped operator"),
        " | ": (" & ", "swapped operator"),
    }
    for token, (new, kind) in swaps.items():
        for m in re.finditer(re.escape(token), code):
            found.append((kind, (m.start(), m.end(), new)))
    for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", code):
        value = int(m.group(1))
        found.append(("off by one", (m.start(), m.end(), str(value + 1))))
        if value > 0:
            found.append(("off by one", (m.start(), m.end(), str(value - 1))))
    for m in re.finditer(r"\b(true|false)\b", code):
        found.append(("flipped constant", (m.start(), m.end(), "false" if m.group(1) == "true" else "true")))
    for m in re.finditer(r"\bstd::(min|max)\b", code):
        found.append(("swapped min/max", (m.start(), m.end(), "std::max" if m.group(1) == "min" else "std::min")))
    for m in re.finditer(r"(\+\+|--)(?=\w)|(?<=\w)(\+\+|--)", code):
        token = m.group(0)
        found.append(("swapped increment", (m.start(), m.end(), "--" if token == "++" else "++")))
    for m in re.finditer(r"\(!(?=[\w(])", code):
        found.append(("dropped negation", (m.start(), m.end(), "(")))
    return found


CALL_STATEMENT = re.compile(r"^\s*(?!return\b|delete\b|throw\b|co_return\b)[\w:.>\-\[\]*]+\s*\(.*\)\s*;\s*$")
DECLARATION = re.compile(r"^\s*(const\s+)?[\w:<>,\s*&]+\s+[\w]+\s*[({]")


def mutations_of(line: str, previous: str = ";") -> list[tuple[str, str]]:
    """The changed lines a line allows, as (kind, new line); `previous` is the code line before it."""
    if SKIP_LINE.match(line):
        return []
    code = code_part(line)
    results = []
    for kind, (start, end, new) in operator_swaps(code):
        results.append((kind, line[:start] + new + line[end:]))
    stripped = code.rstrip()
    # A whole statement only: the line before it ended one (or opened a block).
    starts_statement = previous.rstrip().endswith((";", "{", "}", ":")) or previous.strip() == ""
    if (starts_statement and CALL_STATEMENT.match(stripped) and not DECLARATION.match(stripped)
            and "=" not in stripped.split("(")[0]):
        indent = line[: len(line) - len(line.lstrip())]
        results.append(("deleted call", indent + ";"))
    return results


def run(cmd: list[str], timeout: float, cwd: Path | None = None, env: dict | None = None) -> tuple[int, str]:
    """Runs a command in its own process group; a timeout kills the whole group."""
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return -9, out
    except BaseException:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        raise


def built_sources(build: Path) -> set[Path]:
    """Files (sources and headers) the build compiles, from ninja's dependency log."""
    code, out = run(["ninja", "-C", str(build), "-t", "deps"], timeout=120)
    if code != 0:
        sys.exit(f"mutate: cannot read the build's dependencies in {build} (is it a Ninja build?)")
    files = set()
    for raw in out.splitlines():
        if raw.startswith("    "):
            path = (build / raw.strip()).resolve()
            try:
                files.add(path.relative_to(ROOT))
            except ValueError:
                pass
    return files


def changed_lines(since: str, files: list[Path]) -> dict[Path, set[int]]:
    """Lines of the working tree added or changed since a git revision."""
    base = subprocess.run(["git", "merge-base", since, "HEAD"], cwd=ROOT, capture_output=True, text=True)
    rev = base.stdout.strip() if base.returncode == 0 else since
    diff = subprocess.run(["git", "diff", "-U0", rev, "--", *map(str, files)], cwd=ROOT, capture_output=True,
                          text=True, check=True).stdout
    lines: dict[Path, set[int]] = {}
    current = None
    for raw in diff.splitlines():
        if raw.startswith("+++ "):
            current = None if raw == "+++ /dev/null" else Path(raw[6:])
        elif raw.startswith("@@") and current is not None:
            m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", raw)
            start, count = int(m.group(1)), int(m.group(2) or "1")
            lines.setdefault(current, set()).update(range(start, start + count))
    return lines


def candidate_files(targets: list[str], build: Path) -> list[Path]:
    compiled = built_sources(build)
    files = []
    for target in targets:
        path = (ROOT / target).resolve()
        if path.is_dir():
            found = [p for p in path.rglob("*") if p.suffix in SOURCE_SUFFIXES]
        elif path.is_file():
            found = [path]
        else:
            sys.exit(f"mutate: no such file or folder: {target}")
        for p in sorted(found):
            rel = p.relative_to(ROOT)
            # Files this build does not compile (the other platform's) cannot be tested here.
            if rel in compiled:
                files.append(rel)
    return sorted(set(files))


def block_comment_lines(lines: list[str]) -> set[int]:
    inside = set()
    open_comment = False
    for i, line in enumerate(lines):
        code = code_part(line)
        if open_comment:
            inside.add(i)
            if "*/" in line:
                open_comment = False
        elif "/*" in code and "*/" not in code[code.index("/*"):]:
            open_comment = True
    return inside


def draw_mutants(files: list[Path], wanted_lines: dict[Path, set[int]] | None, rng: random.Random) -> list[Mutant]:
    """Every mutable line once, in random order, each with one random change."""
    pool = []
    for path in files:
        lines = (ROOT / path).read_text().split("\n")
        skip = block_comment_lines(lines)
        previous = ";"
        for i, line in enumerate(lines):
            code = code_part(line).strip()
            before, previous = previous, (code if code and i not in skip else previous)
            if i in skip or (wanted_lines is not None and i + 1 not in wanted_lines.get(path, set())):
                continue
            options = mutations_of(line, before)
            if options:
                pool.append((path, i + 1, line, options))
    rng.shuffle(pool)
    mutants = []
    for path, number, line, options in pool:
        kind, after = rng.choice(options)
        mutants.append(Mutant(path, number, line, after, kind))
    return mutants


class Backup:
    """The original of the file being mutated, kept in the build folder until it is back in place."""

    def __init__(self, build: Path):
        self.dir = build / "mutate-backup"

    def save(self, path: Path, text: str) -> None:
        self.dir.mkdir(parents=True, exist_ok=True)
        (self.dir / "original").write_text(text)
        (self.dir / "path").write_text(str(path))

    def restore(self) -> Path | None:
        if not (self.dir / "path").exists():
            return None
        path = ROOT / (self.dir / "path").read_text()
        path.write_text((self.dir / "original").read_text())
        shutil.rmtree(self.dir)
        return path


def test_programs(build: Path) -> list[Path]:
    folder = build / "tests"
    return sorted(p for p in folder.glob("*_test") if p.is_file() and os.access(p, os.X_OK))


# As CTest runs them: plain malloc for GLib, and the leak checker's list of
# the system libraries' own leaks (read only by sanitizer builds).
TEST_ENV = dict(os.environ, G_SLICE="always-malloc",
                LSAN_OPTIONS=f"suppressions={ROOT / 'tests' / 'lsan.supp'}:print_suppressions=0")


def baseline(build: Path, timeout: float) -> list[Path]:
    """The test programs that pass on the unchanged tree, quickest first."""
    timed = []
    for program in test_programs(build):
        started = time.monotonic()
        code, _ = run([str(program), "--gtest_brief=1"], timeout=timeout, cwd=program.parent, env=TEST_ENV)
        seconds = time.monotonic() - started
        if code == 0:
            timed.append((seconds, program))
        else:
            print(f"mutate: {program.name} fails on the unchanged tree and is left out", flush=True)
    return [program for _, program in sorted(timed)]


def objects_of(build: Path, source: Path) -> list[Path]:
    """The object files the build compiles from a source or a header, from ninja's dependency log."""
    code, out = run(["ninja", "-C", str(build), "-t", "deps"], timeout=120)
    objects = []
    current = None
    for raw in out.splitlines():
        if raw and not raw.startswith(" "):
            current = raw.split(":", 1)[0]
        elif raw.startswith("    ") and current and (build / raw.strip()).resolve() == (ROOT / source).resolve():
            objects.append(build / current)
    return objects


def fingerprint(objects: list[Path]) -> list[bytes]:
    return [p.read_bytes() if p.exists() else b"" for p in objects]


def linked_outputs(build: Path) -> list[str]:
    """Every program and library the build links, as ninja names them."""
    code, out = run(["ninja", "-C", str(build), "-t", "targets", "all"], timeout=120)
    outputs = []
    for raw in out.splitlines():
        name, _, rule = raw.partition(": ")
        if "_LINKER__" in rule:
            outputs.append(name)
    return outputs


def first_failure(mutant: Mutant, programs: list[Path], build: Path, deadline: float,
                  use_ctest: bool) -> tuple[str, str] | None:
    """Builds and runs the tests until one fails: (test, outcome), or None when all pass.

    The folder's own test programs (and the plug-in and tools they load) are
    linked and run first; the other programs are linked only when those pass.
    Raises Stillborn when the change does not compile."""
    pattern = module_pattern(mutant.path)
    first = [p for p in programs if pattern.search(p.name)]
    rest = [p for p in programs if not pattern.search(p.name)]
    others = {f"tests/{p.name}" for p in programs if not pattern.search(p.name)}
    targets = [t for t in linked_outputs(build) if t not in others and not t.startswith(("bench/", "fuzz/"))]
    objects = objects_of(build, mutant.path)
    before = fingerprint(objects)
    if not build_tree(build, deadline - time.monotonic(), targets):
        raise Stillborn()
    # A line the preprocessor leaves out here (another platform's, another C
    # library's) compiles to the same objects: not a mutant of this build.
    if objects and fingerprint(objects) == before:
        raise Stillborn()
    for phase, group in enumerate((first, [] if use_ctest else rest)):
        if phase == 1 and group and not build_tree(build, deadline - time.monotonic()):
            raise Stillborn()
        for program in group:
            left = deadline - time.monotonic()
            if left <= 0:
                return program.name, "timeout"
            code, _ = run([str(program), "--gtest_brief=1"], timeout=left, cwd=program.parent, env=TEST_ENV)
            if code == -9:
                return program.name, "timeout"
            if code != 0:
                return program.name, "failed"
    if use_ctest:
        if not build_tree(build, deadline - time.monotonic()):
            raise Stillborn()
        left = deadline - time.monotonic()
        if left <= 0:
            return "ctest", "timeout"
        code, out = run(["ctest", "--test-dir", str(build), "--stop-on-failure", "-j2", "-LE", "melt",
                         "--timeout", str(int(max(left, 1)))], timeout=left)
        if code == -9:
            return "ctest", "timeout"
        if code != 0:
            m = re.search(r"^\s*\d+ - (\S+) \(", out, re.MULTILINE)
            return (m.group(1) if m else "ctest"), "failed"
    return None


class Stillborn(Exception):
    """The change does not build, or builds to the same objects."""


def build_tree(build: Path, timeout: float, targets: list[str] | None = None) -> bool:
    if timeout <= 0:
        return False
    code, _ = run(["nice", "ninja", "-C", str(build), "-j", str(JOBS), *(targets or [])], timeout=timeout)
    return code == 0


def confirmed(mutant: Mutant, programs: list[Path], confirm: Path,
              args: argparse.Namespace) -> tuple[str, str] | None:
    """A survivor tried again in the second build: (test, outcome) when a test fails there."""
    try:
        caught = first_failure(mutant, programs, confirm, time.monotonic() + args.timeout, args.ctest)
    except Stillborn:
        # The same objects there too: nothing more to see.
        return None
    return (f"{caught[0]} in {confirm.name}", caught[1]) if caught else None


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("paths", nargs="*", help="files or folders to mutate (default: %s)" % " ".join(DEFAULT_FOLDERS))
    parser.add_argument("-n", type=int, default=40, help="mutants that build (default 40)")
    parser.add_argument("--seed", type=int, default=1, help="seed of the draw (default 1)")
    parser.add_argument("--since", metavar="REV", help="only lines added or changed since REV (its merge base)")
    parser.add_argument("--build", default="build", help="an existing Ninja build folder (default build)")
    parser.add_argument("-j", type=int, default=2, help="build jobs (default 2)")
    parser.add_argument("--timeout", type=float, default=900, help="seconds per mutant, build and tests (default 900)")
    parser.add_argument("--ctest", action="store_true",
                        help="after the folder's own test programs, run all of CTest (melt aside) instead of the "
                             "other test programs")
    parser.add_argument("--confirm", metavar="BUILD",
                        help="a second Ninja build folder (the sanitizer build) in which a survivor is tried "
                             "again: an out-of-bounds write or a leak the tests pass over is caught there")
    parser.add_argument("--list", action="store_true", help="show the mutants that would be tried, and stop")
    parser.add_argument("--json", metavar="FILE", help="also write the results to FILE")
    parser.add_argument("--restore", action="store_true", help="put back a line an interrupted run left changed")
    args = parser.parse_args()

    global JOBS
    JOBS = max(args.j, 1)
    build = (ROOT / args.build).resolve() if not Path(args.build).is_absolute() else Path(args.build)
    backup = Backup(build)
    restored = backup.restore()
    if restored:
        print(f"mutate: put back {restored.relative_to(ROOT)}, left changed by an interrupted run")
    if args.restore:
        return 0
    if not (build / "build.ninja").exists():
        sys.exit(f"mutate: {build} is not a configured Ninja build folder")
    confirm = None
    if args.confirm:
        confirm = (ROOT / args.confirm).resolve() if not Path(args.confirm).is_absolute() else Path(args.confirm)
        if not (confirm / "build.ninja").exists():
            sys.exit(f"mutate: {confirm} is not a configured Ninja build folder")

    files = candidate_files(args.paths or DEFAULT_FOLDERS, build)
    wanted = changed_lines(args.since, files) if args.since else None
    rng = random.Random(args.seed)
    mutants = draw_mutants(files, wanted, rng)
    if args.list:
        for m in mutants[: args.n]:
            print(f"{m.where()}: {m.kind}: {m.before.strip()}  ->  {m.after.strip()}")
        return 0

    # SIGTERM unwinds like Ctrl-C, so that the line is put back either way.
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    if not build_tree(build, args.timeout):
        sys.exit("mutate: the unchanged tree does not build")
    programs = baseline(build, args.timeout)
    confirm_programs = []
    if confirm:
        if not build_tree(confirm, args.timeout):
            sys.exit(f"mutate: the unchanged tree does not build in {confirm}")
        confirm_programs = baseline(confirm, args.timeout)

    results = []
    stillborn = 0
    for mutant in mutants:
        if len(results) >= args.n:
            break
        path = ROOT / mutant.path
        original = path.read_text()
        lines = original.split("\n")
        if lines[mutant.line - 1] != mutant.before:
            continue
        lines[mutant.line - 1] = mutant.after
        backup.save(mutant.path, original)
        started = time.monotonic()
        try:
            path.write_text("\n".join(lines))
            caught = first_failure(mutant, programs, build, started + args.timeout, args.ctest)
        except Stillborn:
            stillborn += 1
            continue
        else:
            if caught is None and confirm:
                caught = confirmed(mutant, confirm_programs, confirm, args)
        finally:
            path.write_text(original)
            backup.restore()
        seconds = time.monotonic() - started
        status = "killed" if caught else "SURVIVED"
        by = f" by {caught[0]}" + (" (timeout)" if caught[1] == "timeout" else "") if caught else ""
        results.append({"file": str(mutant.path), "line": mutant.line, "kind": mutant.kind,
                        "before": mutant.before.strip(), "after": mutant.after.strip(),
                        "killed": caught is not None, "by": caught[0] if caught else None,
                        "seconds": round(seconds, 1)})
        print(f"[{len(results)}/{args.n}] {status}{by}: {mutant.where()} {mutant.kind}: "
              f"{mutant.before.strip()}  ->  {mutant.after.strip()}  ({seconds:.0f} s)", flush=True)

    # Leave the builds as the sources are.
    build_tree(build, args.timeout)
    if confirm:
        build_tree(confirm, args.timeout)
    killed = sum(r["killed"] for r in results)
    survivors = [r for r in results if not r["killed"]]
    print()
    print(f"seed {args.seed}: {killed} of {len(results)} mutants killed "
          f"({100.0 * killed / max(len(results), 1):.1f} %); {stillborn} did not build (or built to the same objects) and were redrawn")
    if len(results) < args.n:
        print(f"only {len(results)} mutable lines built (of {args.n} wanted)")
    for r in survivors:
        print(f"  survivor {r['file']}:{r['line']} {r['kind']}: {r['before']}  ->  {r['after']}")
    if args.json:
        Path(args.json).write_text(json.dumps({"seed": args.seed, "killed": killed, "mutants": results,
                                               "stillborn": stillborn}, indent=2) + "\n")
    return 0 if not survivors else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        print("\nmutate: interrupted; the changed line is back in place", file=sys.stderr)
        sys.exit(130)
