#!/usr/bin/env python3
"""End-to-end cases of Setup.exe under Wine, one road each.

  cases.py [--build build/win32] CASE...      (--list names them)

Each case starts from a copy of its Windows kind's machine, runs Setup.exe
through the test driver and checks the driver's transcript, the exit code and
what changed in the Windows directory and the registry. A failing case names
the driver's last step and a screenshot of the screen at that moment.
"""

import argparse
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "resources"))

import gen_strings  # noqa: E402
from machine import (HDC_CLASS, PACKAGE, ROOT, USB_CLASS, Machine, locked,  # noqa: E402
                     log, unix_to_wine)

STRINGS = ROOT / "resources" / "strings"
TABLES = gen_strings.build_tables(
    [STRINGS / name for name in ("common.txt", "en-US.txt", "zh-TW.txt", "ja-JP.txt",
                                 "zh-CN.txt")])
BRAND = 330  # the build's brand group (SETUP_BRAND_GROUP 6)
ENGLISH = 1033

DESCRIPTION = "Vostrel NIMBLEKEY USB Flash Disk"
OTHER_PATH = "C:\\windows\\INF\\OTHER"
MAIN_FIXED_TEXT = "Main .in_ file with [Setup] section is not found !"

COMPLETED, CANCELLED, FAILED, UNUSABLE, REFUSED = 0, 1602, 1603, 1619, 1633

SCRIPT = PACKAGE / "NIMBLE.IN_"
FLOPPY = PACKAGE / "NIMBLEFD.INF"
IMAGE = PACKAGE / "NIMBLE.SY_"
PORT = PACKAGE / "NIMBLE.PDR"

STALE_INF = (b"[Version]\r\nSignature=\"$Chicago$\"\r\nProvider=%Maker%\r\n\r\n"
             b"[Manufacturer]\r\n%Maker%=OldModels\r\n\r\n[OldModels]\r\n"
             b"%Desc%=OldInstall,USB\\VID_F1A5&PID_D15C\r\n\r\n[OldInstall]\r\n\r\n"
             b"[Strings]\r\nMaker=\"Vostrel\"\r\nDesc=\"Vostrel NIMBLEKEY (old driver)\"\r\n")
OTHER_INF = STALE_INF.replace(b"VID_F1A5&PID_D15C", b"VID_0BDA&PID_0151").replace(
    b"Vostrel NIMBLEKEY (old driver)", b"Card reader")
OLD_IMAGE = b"old NIMBLEKEY driver image\r\n"

# Device entries of an earlier installation, one for each pass of the
# removal, and one of another device that stays.
OLD_DEVICES = [
    ("USB\\VID_F1A5&PID_D15C\\5&1A&0&1", USB_CLASS),
    ("USB\\VID_F1A5&PID_D15D&MI_00\\6&2B&0&0", HDC_CLASS),
    ("D3IVURU\\VID_F1A5&PID_D15C\\7&3C&0", HDC_CLASS),
]
OTHER_DEVICE = ("USB\\VID_0BDA&PID_0151\\8&1&0", USB_CLASS)


def installed_inf(data=None):
    """The package's script with the install section's CopyFiles commented out."""
    data = data or SCRIPT.read_bytes()
    at = data.index(b"CopyFiles", data.index(b"[NimbleDisk]"))
    return data[:at] + b";" + data[at:]


def script_with(old, new):
    data = SCRIPT.read_bytes()
    assert old in data, old
    return data.replace(old, new)


SCRIPT_ANY_SYSTEM = script_with(b"Win98Only=1", b"Win98Only=0")


def low(path):
    return path.lower()


class Case:
    def __init__(self, name, build):
        self.name = name
        self.build = build
        self.failures = []

    def machine(self, kind, locale=None, name=None):
        return Machine(self.build, name or self.name, kind, locale)

    def expect(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f"{what}: got {actual!r}, expected {expected!r}")

    def check(self, what, condition):
        if not condition:
            self.failures.append(what)

    def driver_ok(self, transcript):
        if transcript.returncode != 0:
            self.failures.append(f"the driver stopped: {transcript.failure()}")
            return False
        return True

    def changes(self, before, after, added=(), removed=(), changed=()):
        got = before.diff(after)
        self.expect("files added", got[0], sorted(low(p) for p in added))
        self.expect("files removed", got[1], sorted(low(p) for p in removed))
        self.expect("files changed", got[2], sorted(low(p) for p in changed))

    def unchanged(self, before, after):
        self.changes(before, after)
        self.expect("device entries", after.devices, before.devices)
        self.expect("OtherDevicePath", after.other_device_path, before.other_device_path)

    def removed_devices(self, before, after, devices):
        """Exactly these device entries are gone; the other device's stays."""
        gone = {device.lower() for device, _ in devices}
        self.check("the planted entries were there", gone | {OTHER_DEVICE[0].lower()}
                   <= set(before.devices))
        self.expect("device entries", after.devices, sorted(set(before.devices) - gone))

    def content(self, machine, relative, expected, writable=True):
        path = machine.windows / relative
        if not path.exists():
            # Names differ in case only on the Windows side.
            matches = [p for p in path.parent.iterdir() if p.name.lower() == path.name.lower()] \
                if path.parent.exists() else []
            path = matches[0] if matches else path
        if not path.exists():
            self.failures.append(f"{relative} is missing")
            return
        self.check(f"{relative} holds what it should", path.read_bytes() == expected)
        self.expect(f"{relative} writable", bool(path.stat().st_mode & 0o222), writable)

    def box(self, transcript, text, icon, caption=None):
        boxes = transcript.quoted("box")
        self.check("a message box", len(boxes) == 1)
        if boxes:
            self.expect("box text", boxes[0][1], text)
            self.expect("box caption", boxes[0][0], caption or TABLES[ENGLISH][BRAND])
        self.expect("box owner", transcript.words("box-owner"), ["main"])
        self.expect("box icon", transcript.words("box-icon"), [icon])

    def installed(self, transcript):
        """The driver ran through and the install completed with its closing
        box; false when the driver stopped."""
        if not self.driver_ok(transcript):
            return False
        self.box(transcript, TABLES[ENGLISH][129], "information")
        self.exit_code(transcript, COMPLETED)
        return True

    def no_box(self, transcript):
        self.expect("message boxes", transcript.quoted("box"), [])

    def exit_code(self, transcript, code):
        self.expect("exit code", transcript.exit_code(), code)

    def progress(self, transcript, allowed):
        moving = [int(p) for p in transcript.words("progress") if p != "0"]
        self.check(f"bar positions {moving} among {allowed}", set(moving) <= set(allowed))
        self.check(f"bar positions {moving} rise", moving == sorted(moving))
        self.check("bar ends at 100", bool(moving) and moving[-1] == 100)


CASES = {}


def case(function):
    CASES[function.__name__] = function
    return function


FULL_98 = [1, 6, 10, 15, 18, 21, 24, 27, 30, 100]
INSTALL_STEPS = ["run", "yes", "wait-main", "click 1003", "watch-run", "wait-box", "ok",
                 "wait-exit"]


def installed_98(c, m, before, after, earlier=()):
    """A full install on the Windows 98 family: INF, port driver, image, search
    path, the driver database gone."""
    c.changes(before, after,
              added=[p for p in ("inf/other/NIMBLE.INF", "system/iosubsys/NIMBLE.PDR",
                                 "system32/drivers/NIMBLE.SYS") if low(p) not in earlier],
              removed=["inf/DRVIDX.BIN", "inf/DRVDATA.BIN"],
              changed=[p for p in earlier])
    c.content(m, "inf/other/NIMBLE.INF", installed_inf())
    c.content(m, "system/iosubsys/NIMBLE.PDR", PORT.read_bytes())
    c.content(m, "system32/drivers/NIMBLE.SYS", IMAGE.read_bytes())
    c.expect("OtherDevicePath", after.other_device_path, OTHER_PATH)


# -- Windows kinds -----------------------------------------------------------

@case
def win95_refused(c):
    with c.machine("win95") as m:
        m.create().put_package()
        before = m.state()
        t = m.run(["run", "yes", "wait-box", "ok", "wait-exit"])
        after = m.state()
    if c.driver_ok(t):
        c.box(t, TABLES[ENGLISH][105], "stop")
        c.exit_code(t, REFUSED)
    c.unchanged(before, after)


@case
def win95_without_setupapi(c):
    # The program still loads; its INF calls fail, so no setup script is found.
    with Machine(c.build, c.name, "win95", dll_overrides=("setupapi=d",)) as m:
        m.create().put_package()
        before = m.state()
        runs = [m.run(["run", "yes", "wait-box", "ok", "wait-exit"]),
                m.run(["run /S", "yes", "wait-box", "ok", "wait-exit"])]
        after = m.state()
    for t in runs:
        if c.driver_ok(t):
            c.box(t, MAIN_FIXED_TEXT, "stop")
            c.exit_code(t, UNUSABLE)
    c.unchanged(before, after)


@case
def winme(c):
    # The sample restricts itself to Windows 98; with Win98Only=0 the short
    # install copies the floppy INF alone.
    with c.machine("winme") as m:
        m.create().put_package()
        before = m.state()
        refused = m.run(["run", "yes", "wait-box", "ok", "wait-exit"])
        c.unchanged(before, m.state())
        m.put_package({"NIMBLE.IN_": SCRIPT_ANY_SYSTEM})
        t = m.run(INSTALL_STEPS)
        after = m.state()
    if c.driver_ok(refused):
        c.box(refused, TABLES[ENGLISH][105], "stop")
        c.exit_code(refused, REFUSED)
    if c.installed(t):
        c.progress(t, [3, 18, 30, 100])
        c.expect("status texts", [s[0] for s in t.quoted("status") if s[0]],
                 [TABLES[ENGLISH][113]])
    c.changes(before, after, added=["inf/other/NIMBLEFD.INF"])
    c.content(m, "inf/other/NIMBLEFD.INF", FLOPPY.read_bytes())
    c.expect("OtherDevicePath", after.other_device_path, OTHER_PATH)


@case
def win2k_install(c):
    with c.machine("win2k") as m:
        m.create().put_package({"NIMBLE.IN_": SCRIPT_ANY_SYSTEM})
        m.put("inf/oem3.inf", STALE_INF)
        m.put("inf/oem3.pnf", b"precompiled", writable=False)
        m.put("inf/oem4.inf", OTHER_INF)
        m.put("inf/oem4.pnf", b"precompiled")
        m.put("inf/DRVIDX.BIN", b"index")
        m.put("inf/DRVDATA.BIN", b"data")
        before = m.state()
        t = m.run(INSTALL_STEPS)
        after = m.state()
    if c.installed(t):
        c.progress(t, [1, 6, 10, 15, 18, 21, 27, 30, 100])
    c.changes(before, after, added=["inf/oemNIMBLE.INF", "system32/drivers/NIMBLE.SYS"],
              removed=["inf/oem3.inf", "inf/oem3.pnf"])
    c.content(m, "inf/oemNIMBLE.INF", installed_inf(SCRIPT_ANY_SYSTEM))
    c.content(m, "system32/drivers/NIMBLE.SYS", IMAGE.read_bytes())
    c.expect("OtherDevicePath", after.other_device_path, before.other_device_path)


@case
def winxp_short_install(c):
    with c.machine("winxp") as m:
        m.create().put_package({"NIMBLE.IN_": SCRIPT_ANY_SYSTEM})
        before = m.state()
        t = m.run(INSTALL_STEPS)
        after = m.state()
    c.installed(t)
    c.changes(before, after, added=["inf/oemNIMBLEFD.INF"])
    c.content(m, "inf/oemNIMBLEFD.INF", FLOPPY.read_bytes())


@case
def winxp_silent_wizard(c):
    # On the XP kind the device data come from the floppy INF, so that INF
    # names the disk here: the wizard shows the disk's description.
    floppy = FLOPPY.read_bytes().replace(b"Vostrel NIMBLEKEY USB Floppy",
                                         DESCRIPTION.encode())
    seen = {"aside": False}
    with c.machine("winxp") as m:
        m.create().put_package({"NIMBLE.IN_": SCRIPT_ANY_SYSTEM, "NIMBLEFD.INF": floppy})
        inf = m.windows / "inf"
        usbstor = {name: (inf / name).read_bytes() for name in ("USBSTOR.INF", "USBSTOR.PNF")}
        report = m.folder / "wizard-report.txt"
        report.unlink(missing_ok=True)

        def look():
            names = {p.name.upper() for p in inf.iterdir()}
            if {"USBSTOR.I3S", "USBSTOR.P3S"} <= names and "USBSTOR.INF" not in names:
                seen["aside"] = True

        before = m.state()
        standin = (f"\"{unix_to_wine(m.standin_exe)}\" \"{DESCRIPTION}\" "
                   f"\"{unix_to_wine(report)}\" --prompt=close")
        t = m.run([f"spawn {standin}", "wait-title Found New Hardware Wizard", "run /S", "yes",
                   "wait-exit"], watch=look)
        after = m.state()
    if c.driver_ok(t):
        c.exit_code(t, COMPLETED)
        c.no_box(t)
    handled = report.read_text().split() if report.exists() else []
    c.check(f"the wizard answered and finished ({handled})",
            "continue" in handled and handled[-1:] == ["finish"])
    c.check("USBSTOR.INF and .PNF set aside during the rescan", seen["aside"])
    for name, data in usbstor.items():
        c.content(m, f"inf/{name}", data)
    c.changes(before, after, added=["inf/oemNIMBLE.INF", "system32/drivers/NIMBLE.SYS"])


# -- Roads of the Windows 98 machine -----------------------------------------

def language_case(c, language, locale, tag):
    T = TABLES[language]
    steps = ["run", "wait-agreement", f"screenshot agreement-{tag}", "yes", "wait-main",
             "read-captions", f"screenshot main-{tag}", "click 1003", "wait-progress 10",
             f"screenshot installing-{tag}", "about", f"screenshot about-{tag}", "ok",
             "watch-run", "wait-box", f"screenshot message-{tag}", "ok", "wait-exit"]
    with c.machine("win98", locale) as m:
        m.create().put_package()
        before = m.state()
        t = m.run(steps)
        after = m.state()
    if not c.driver_ok(t):
        return
    c.expect("title", t.first("title"), T[BRAND])
    for control, string in ((1011, 124), (1006, 125), (1007, 126), (1003, 127), (2, 128)):
        c.expect(f"caption of {control}", t.text(control), T[string])
    c.expect("instruction", t.text(1014), T[103])
    # The instruction, program name and About text are English in every table.
    for string in (103, BRAND, BRAND + 2):
        c.expect(f"string {string} in English", T[string], TABLES[ENGLISH][string])
    c.expect("status texts", [s[0] for s in t.quoted("status") if s[0]], [T[113], T[109]])
    c.expect("About title", t.first("about"), T[101] + T[BRAND])
    c.expect("About text", t.first("about-text"), T[BRAND + 2])
    c.expect("About button", t.first("about-button"), "OK")
    c.expect("About owner", t.words("about-owner"), ["main"])
    c.box(t, T[129], "information", caption=T[BRAND])
    c.exit_code(t, COMPLETED)
    c.progress(t, FULL_98)
    installed_98(c, m, before, after)


@case
def install_english(c):
    language_case(c, 1033, None, "en")


@case
def install_traditional_chinese(c):
    language_case(c, 1028, "zh_TW.UTF-8", "zh-TW")


@case
def install_japanese(c):
    language_case(c, 1041, "ja_JP.UTF-8", "ja")


@case
def install_simplified_chinese(c):
    language_case(c, 2052, "zh_CN.UTF-8", "zh-CN")


@case
def update_earlier_installation(c):
    with c.machine("win98") as m:
        m.create().put_package()
        for device, guid in OLD_DEVICES + [OTHER_DEVICE]:
            m.add_device(device, guid)
        m.set_other_device_path("C:\\OLDDRV")
        m.put("inf/other/OLDNIMB.INF", STALE_INF)
        m.put("inf/other/OLDNIMB.PNF", b"precompiled", writable=False)
        m.put("inf/other/KEEPME.INF", OTHER_INF)
        m.put("inf/other/KEEPME.PNF", b"precompiled")
        m.put("system32/drivers/NIMBLE.SYS", OLD_IMAGE, writable=False)
        before = m.state()
        t = m.run(INSTALL_STEPS)
        after = m.state()
    c.installed(t)
    c.changes(before, after,
              added=["inf/other/NIMBLE.INF", "system/iosubsys/NIMBLE.PDR"],
              removed=["inf/DRVIDX.BIN", "inf/DRVDATA.BIN", "inf/other/OLDNIMB.INF",
                       "inf/other/OLDNIMB.PNF"],
              changed=["system32/drivers/NIMBLE.SYS"])
    c.content(m, "system32/drivers/NIMBLE.SYS", IMAGE.read_bytes())
    c.removed_devices(before, after, OLD_DEVICES)
    c.expect("OtherDevicePath", after.other_device_path, OTHER_PATH)


@case
def uninstall(c):
    with c.machine("win98") as m:
        m.create().put_package()
        for device, guid in OLD_DEVICES[:1] + [OTHER_DEVICE]:
            m.add_device(device, guid)
        m.set_other_device_path(OTHER_PATH)
        m.put("inf/other/NIMBLE.INF", installed_inf())
        m.put("inf/other/NIMBLE.PNF", b"precompiled")
        m.put("system/iosubsys/NIMBLE.PDR", PORT.read_bytes())
        m.put("system32/drivers/NIMBLE.SYS", IMAGE.read_bytes())
        before = m.state()
        t = m.run(["run", "yes", "wait-main", "radio 1007", "click 1003", "watch-run",
                   "wait-box", "ok", "wait-exit"])
        after = m.state()
    if c.driver_ok(t):
        c.box(t, TABLES[ENGLISH][114], "information")
        c.exit_code(t, COMPLETED)
        c.progress(t, [10, 60, 100])
    # The port driver and the search path stay.
    c.changes(before, after, removed=["inf/other/NIMBLE.INF", "inf/other/NIMBLE.PNF",
                                      "system32/drivers/NIMBLE.SYS"])
    c.removed_devices(before, after, OLD_DEVICES[:1])
    c.expect("OtherDevicePath", after.other_device_path, OTHER_PATH)


@case
def silent_install(c):
    with c.machine("win98") as m:
        m.create().put_package()
        before = m.state()
        t = m.run(["run /S", "yes", "wait-exit"])
        after = m.state()
    if c.driver_ok(t):
        c.no_box(t)
        c.exit_code(t, COMPLETED)
    installed_98(c, m, before, after)


@case
def install_from_floppy(c):
    # Setup.exe at the root of drive A:, which holds what the release's floppy
    # image holds: the package is read from the bare drive.
    with c.machine("win98") as m:
        m.create().put_floppy()
        before = m.state()
        t = m.run(INSTALL_STEPS)
        after = m.state()
    c.installed(t)
    installed_98(c, m, before, after)


@case
def cancelled(c):
    # Refused agreement, then Exit, Escape and the close box of the waiting dialog.
    with c.machine("win98") as m:
        m.create().put_package()
        before = m.state()
        runs = [m.run(["run", "no", "wait-exit"])]
        for how in ("exit", "escape", "close"):
            runs.append(m.run(["run", "yes", "wait-main", how, "wait-exit"]))
        after = m.state()
    for t in runs:
        if c.driver_ok(t):
            c.no_box(t)
            c.exit_code(t, CANCELLED)
    c.unchanged(before, after)


@case
def radio_during_install(c):
    with c.machine("win98") as m:
        m.create().put_package()
        before = m.state()
        t = m.run(["run", "yes", "wait-main", "click 1003", "wait-progress 10", "radio 1007",
                   "watch-run", "wait-box", "ok", "wait-exit"])
        after = m.state()
    if c.installed(t):
        watched = [int(p) for p in t.words("progress")]
        c.check(f"the click resets the bar ({watched})", 0 in watched[1:])
    installed_98(c, m, before, after)


@case
def package_unusable(c):
    no_setup = script_with(b"[Setup]", b"[Options]")
    no_floppy_key = script_with(b"FDDInf=NIMBLEFD.INF", b"")
    roads = [
        ("no INF", {"NIMBLE.IN_": None, "NIMBLEFD.INF": None}, TABLES[ENGLISH][116]),
        ("no [Setup]", {"NIMBLE.IN_": no_setup}, MAIN_FIXED_TEXT),
        ("no driver image", {"NIMBLE.SY_": None}, TABLES[ENGLISH][118]),
        ("no port driver", {"NIMBLE.PDR": None}, TABLES[ENGLISH][119]),
        ("no FDDInf", {"NIMBLE.IN_": no_floppy_key}, None),
    ]
    with c.machine("win98") as m:
        m.create()
        before = m.state()
        for what, changes, text in roads:
            log(f"-- {what}")
            m.put_package(changes)
            steps = ["run", "yes", "wait-box", "ok", "wait-exit"] if text else \
                ["run", "yes", "wait-exit"]
            t = m.run(steps, deadline=40)
            if c.driver_ok(t):
                if text:
                    c.box(t, text, "stop")
                else:
                    c.no_box(t)
                c.exit_code(t, UNUSABLE)
        after = m.state()
    c.unchanged(before, after)


@case
def install_failure(c):
    # Another program holds the installed image open: the copy over it fails.
    with c.machine("win98") as m:
        m.create().put_package()
        m.put("system32/drivers/NIMBLE.SYS", OLD_IMAGE)
        before = m.state()
        t = m.run(["hold C:\\windows\\system32\\drivers\\NIMBLE.SYS"] + INSTALL_STEPS)
        after = m.state()
    if c.driver_ok(t):
        c.box(t, TABLES[ENGLISH][112], "stop")
        c.exit_code(t, FAILED)
    # The rest of the install is done; the old image is kept whole.
    c.changes(before, after, added=["inf/other/NIMBLE.INF", "system/iosubsys/NIMBLE.PDR"],
              removed=["inf/DRVIDX.BIN", "inf/DRVDATA.BIN"])
    c.content(m, "system32/drivers/NIMBLE.SYS", OLD_IMAGE)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", help="the build folder; by default build/win32, or"
                        " build/win64 where this machine runs no 32-bit code")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("cases", nargs="*")
    args = parser.parse_args()
    if args.list:
        print("\n".join(CASES))
        return 0
    if args.build is None:
        road = subprocess.run([str(ROOT / "scripts" / "wine-road")], stdout=subprocess.PIPE,
                              text=True, check=True).stdout
        args.build = str(ROOT / "build" / ("win64" if road.startswith("twin") else "win32"))
    failed = 0
    for name in args.cases:
        if name not in CASES:
            print(f"no case {name}", file=sys.stderr)
            return 2
        c = Case(name, Path(args.build).resolve())  # Wine takes only an absolute prefix
        started = time.monotonic()
        log(f"== {name}")
        try:
            # Two test runs in one build tree take turns at a case's folder.
            with locked(Path(args.build) / "e2e" / "cases" / f"{name}.lock"):
                CASES[name](c)
        except Exception as error:  # a broken machine is a failed case too
            c.failures.append(f"{type(error).__name__}: {error}")
        seconds = time.monotonic() - started
        for failure in c.failures:
            log(f"FAIL {name}: {failure}")
        log(f"== {name}: {'failed' if c.failures else 'passed'} in {seconds:.1f} s")
        failed += bool(c.failures)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
