#!/usr/bin/env python3
"""Runs the INF probe under Wine on every vector and compares its dump with NAME.expected.

The expected dumps were recorded under Wine 8 with ANSI code page 1252; this checks that the
Wine we test against still gives them, so that the host tests of our reader, which compare
with the same files, compare with the real SETUPAPI.

    compare_probe.py --probe infprobe.exe --vectors DIR [--wine-run scripts/wine-run]
"""

import argparse
import difflib
import os
import re
import subprocess
import sys
import tempfile


def windows_path(path):
    # Wine maps the Unix root to drive Z:.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def unquoted_length(quoted):
    """Length of a dump string once its escapes are undone."""
    n = i = 0
    while i < len(quoted):
        if quoted[i] == "\\":
            i += 3 if quoted[i + 1] == "x" else 1
        i += 1
        n += 1
    return n


NEED = re.compile(r'^(.* need=)\d+( "(.*)" int=.*)$')
SMALL = re.compile(r"^(    SMALL \d+ size=)\d+( ret=.* req=)\d+( buf=.*)$")


def with_inf_folder(expected, folder):
    """Puts the folder where the dump has @INFDIR@ and recomputes the sizes that depend on
    it: `need` on that line, `size` and `req` on the SMALL line after it."""
    escaped = folder.replace("\\", "\\\\")
    out = []
    need = None
    for line in expected.split("\n"):
        if "@INFDIR@" in line:
            line = line.replace("@INFDIR@", escaped)
            m = NEED.match(line)
            if m:
                need = unquoted_length(m.group(3)) + 1
                line = m.group(1) + str(need) + m.group(2)
        elif need is not None and SMALL.match(line):
            m = SMALL.match(line)
            line = m.group(1) + str(need - 1) + m.group(2) + str(need) + m.group(3)
            need = None
        else:
            need = None
        out.append(line)
    return "\n".join(out)


def run(wine_run, args):
    env = dict(os.environ)
    # Code page 1252, as the dumps were made with: the C locale gives it on any machine,
    # where en_US.UTF-8 may not be installed.
    env["LC_ALL"] = "C"
    env["LANG"] = "C"
    env.pop("LANGUAGE", None)
    return subprocess.run([wine_run] + args, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, check=False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    parser.add_argument("--vectors", required=True)
    parser.add_argument("--wine-run", required=True)
    options = parser.parse_args()

    vectors = os.path.abspath(options.vectors)
    names = sorted(f[:-4] for f in os.listdir(vectors) if f.endswith(".inf"))
    if not names:
        print("no vectors in " + vectors)
        return 1
    folder = windows_path(vectors)

    with tempfile.TemporaryDirectory(prefix="infprobe-") as work:
        # One Wine start for all vectors without queries (list mode), one per vector with.
        plain = [n for n in names if not os.path.exists(os.path.join(vectors, n + ".queries"))]
        dumps = {}
        listing = os.path.join(work, "list.txt")
        with open(listing, "w", newline="") as f:
            for name in plain:
                f.write("%s\\%s.inf\t%s\n" % (folder, name, windows_path(os.path.join(work, name))))
        result = run(options.wine_run, [options.probe, "-v", "-L", windows_path(listing)])
        if result.returncode != 0:
            sys.stdout.write(result.stderr.decode("latin-1"))
            print("the probe failed in list mode (exit %d)" % result.returncode)
            return 1
        for name in plain:
            path = os.path.join(work, name)
            if os.path.exists(path):
                with open(path, "rb") as f:
                    dumps[name] = f.read()
        for name in names:
            if name in plain:
                continue
            result = run(options.wine_run, [
                options.probe, "-v", "-Q", "%s\\%s.queries" % (folder, name),
                "%s\\%s.inf" % (folder, name)])
            dumps[name] = result.stdout

    failed = []
    for name in names:
        with open(os.path.join(vectors, name + ".expected"), "rb") as f:
            expected = with_inf_folder(f.read().decode("latin-1"), folder)
        actual = dumps.get(name, b"").decode("latin-1")
        if actual != expected:
            failed.append(name)
            print("MISMATCH " + name)
            diff = difflib.unified_diff(expected.splitlines(), actual.splitlines(),
                                        "expected", "probe under wine", lineterm="", n=1)
            for line in list(diff)[:20]:
                print("  " + line)

    print("%d of %d vectors match what SETUPAPI under Wine answers"
          % (len(names) - len(failed), len(names)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
