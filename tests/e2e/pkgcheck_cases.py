#!/usr/bin/env python3
"""pkgcheck.exe under Wine on a Windows machine of the kind: the sample
package is usable (exit 0), a broken copy of it is not (exit 1) and the report
names its defects as the system's SETUPAPI reads them. With japanese_folder,
pkgcheck.exe runs from a folder whose name ends in the byte 0x5C on a Japanese
Windows 98, beside DLLs planted under system names, which it must not use.

  pkgcheck_cases.py --build build/win32 KIND      (win98, winxp, japanese_folder)
"""

import argparse
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from wine_machine import PACKAGE, ROOT, Machine, locked  # noqa: E402

# A model line cut short, a Provider too long for the program, and a stray INF
# whose section name is not closed.
BROKEN = {
    "NIMBLE.IN_": (PACKAGE / "NIMBLE.IN_").read_bytes().replace(
        b"%Disk2.Desc%=NimbleDisk,USB\\VID_F1A5&PID_D15D", b"%Disk2.Desc%=NimbleDisk"),
    "NIMBLEFD.INF": (PACKAGE / "NIMBLEFD.INF").read_bytes().replace(
        b"Provider=%Maker%", b"Provider=Vostrel GmbH Dresden"),
    "AAA.INF": b'[Version]\r\nSignature="$Chicago$"\r\n[Strings\r\n',
}
ROWS = [
    # package, exit code, lines the report holds
    ("good", 0, ["  taken        NIMBLE.IN_: the first listed *.in? file that is an INF with a "
                 "line in [Setup]", "Usable"]),
    ("broken", 1, ["  passed over  AAA.INF: not an INF: a section name lacks its closing bracket "
                   "(ERROR_BAD_SECTION_NAME_LINE, 0xE0000001, line 3)",
                   "    defect: NIMBLE.IN_ line 22: model line 2 of [NimbleModels] has no readable "
                   "hardware id: it has no field 2; every model line is read up to the 50th "
                   "hardware id",
                   "    defect: NIMBLEFD.INF line 8: the Provider line cannot be read: its field 1 "
                   "is \"Vostrel GmbH Dresden\", 20 characters where at most 19 fit", "Not usable"]),
]


# Shift-JIS 95 5C; the second folder's name has a space, so that Wine quotes
# it on the command line and the closing quote follows that 0x5C.
FOLDERS = ["\u8868", "\u8868 \u8868"]
LOCALE = "ja_JP.UTF-8"


def japanese_folder(build):
    """pkgcheck.exe in C:\\表 with planted DLLs, the package there and in
    C:\\表 表: both read whole, nothing planted loads."""
    planted = sorted((build / "tests" / "e2e" / "planted").glob("*.DLL"))
    failures = []
    with Machine(build, "pkgcheck-japanese-folder", "win98", locale=LOCALE,
                 dll_overrides=("msvcrt,setupapi=n,b",)) as m:
        m.create()
        home = m.prefix / "drive_c" / FOLDERS[0]
        for name in FOLDERS:
            shutil.copytree(PACKAGE, m.prefix / "drive_c" / name)
        shutil.copy2(build / "pkgcheck.exe", home / "pkgcheck.exe")
        for dll in planted:
            shutil.copy2(dll, home / dll.name)
        locale = [str(ROOT / "tests" / "win32res" / "run-in-locale"), LOCALE,
                  str(m.e2e / "locales")]
        with locked(m.e2e / "locales.lock"):
            subprocess.run(locale + ["true"], check=True)
        for name in FOLDERS:
            run = subprocess.run(locale + ["wine", f"C:\\{FOLDERS[0]}\\pkgcheck.exe",
                                           f"C:\\{name}"], env=m.env(), capture_output=True)
            report = run.stdout.decode("latin-1").replace("\r\n", "\n").splitlines()
            wrong = [f"C:\\{name}: no line {line!r}" for line in ("  NIMBLE.IN_", "Usable")
                     if line not in report]
            if run.returncode != 0:
                wrong.append(f"C:\\{name}: exit {run.returncode}, expected 0")
            if wrong:
                print("\n".join(report))
            failures += wrong
        # Wine's own ADVAPI32 imports msvcrt.dll and, told to prefer a native
        # one, takes the planted copy: a pkgcheck.exe that called into MSVCRT
        # would meet that copy's empty export table and end without a report.
        failures += [f"{p.stem} loaded from beside pkgcheck.exe" for p in home.glob("*.loaded")
                     if p.stem.upper() != "MSVCRT.DLL"]
    if "MSVCRT.DLL" not in [p.name for p in planted]:
        failures.append("no MSVCRT.DLL to plant")
    return failures


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("kind")
    args = parser.parse_args(argv)
    build = Path(args.build).resolve()
    if args.kind == "japanese_folder":
        failures = japanese_folder(build)
        print("\n".join(failures) or "pkgcheck.exe in a Japanese folder: every row passed")
        return 1 if failures else 0
    failures = []
    with Machine(build, "pkgcheck-" + args.kind, args.kind) as m:
        m.create()
        for name, changes in (("good", {}), ("broken", BROKEN)):
            folder = m.prefix / "drive_c" / "PKGS" / name
            folder.mkdir(parents=True, exist_ok=True)
            for source in PACKAGE.iterdir():
                (folder / source.name).write_bytes(changes.get(source.name, source.read_bytes()))
            for extra in set(changes) - {p.name for p in PACKAGE.iterdir()}:
                (folder / extra).write_bytes(changes[extra])
        for name, code, lines in ROWS:
            run = subprocess.run(["wine", str(build / "pkgcheck.exe"), "C:\\PKGS\\" + name],
                                 env=m.env(), capture_output=True)
            report = run.stdout.decode("latin-1").replace("\r\n", "\n").splitlines()
            wrong = [f"{name}: no line {line!r}" for line in lines if line not in report]
            if run.returncode != code:
                wrong.append(f"{name}: exit {run.returncode}, expected {code}")
            if wrong:
                print("\n".join(report))
            failures += wrong
    print("\n".join(failures) or f"pkgcheck.exe on {args.kind}: every row passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
