#!/usr/bin/env python3
"""End-to-end cases of Setup.exe under Wine, one road each.

  cases.py [--build build/win32] CASE...      (--list names them)

Each case starts from a copy of its Windows kind's machine, runs Setup.exe
through the test driver and checks the driver's transcript, the exit code and
what changed in the Windows directory and the registry. A failing case names
the driver's last step and a screenshot of the screen at that moment.
"""

import argparse
import functools
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "resources"))

import gen_strings  # noqa: E402
from wine_machine import (ENUM_KEY, HDC_CLASS, PACKAGE, ROOT, USB_CLASS, VERSION_KEY,  # noqa: E402
                     Machine, locked, log, unix_to_wine)

TABLES = gen_strings.build_tables(
    [ROOT / "resources" / "strings" / name
     for name in ("common.txt", "en-US.txt", "zh-TW.txt", "ja-JP.txt", "zh-CN.txt")])
EN = TABLES[1033]
BRAND = 330  # the build's brand group (SETUP_BRAND_GROUP 6)

DESCRIPTION = "Vostrel NIMBLEKEY USB Flash Disk"
OTHER_PATH = "C:\\windows\\INF\\OTHER"
MAIN_FIXED_TEXT = "Main .in_ file with [Setup] section is not found !"
COMPLETED, CANCELLED, FAILED, ANOTHER_RUN, UNUSABLE, REFUSED = 0, 1602, 1603, 1618, 1619, 1633
RUN_LOG = "usbsetup.log"  # every run past the agreement appends a section to it

SCRIPT = (PACKAGE / "NIMBLE.IN_").read_bytes()
FLOPPY = (PACKAGE / "NIMBLEFD.INF").read_bytes()
IMAGE = (PACKAGE / "NIMBLE.SY_").read_bytes()
PORT = (PACKAGE / "NIMBLE.PDR").read_bytes()

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


def script_with(old, new):
    assert old in SCRIPT, old
    return SCRIPT.replace(old, new)


def installed_inf(data=SCRIPT):
    """The package's script with the install section's CopyFiles commented out."""
    at = data.index(b"CopyFiles", data.index(b"[NimbleDisk]"))
    return data[:at] + b";" + data[at:]


ANY_SYSTEM = {"NIMBLE.IN_": script_with(b"Win98Only=1", b"Win98Only=0")}
BOX = ["run", "yes", "wait-box", "ok", "wait-exit"]
INSTALL = ["run", "yes", "wait-main", "click 1003", "watch-run", "wait-box", "ok", "wait-exit"]
FULL_98 = [1, 6, 10, 15, 18, 21, 24, 27, 30, 100]
# A full install on the Windows 98 family: INF, port driver, image, the driver
# database gone, the search path set.
INSTALLED_98 = dict(added=["inf/other/NIMBLE.INF", "system/iosubsys/NIMBLE.PDR",
                           "system32/drivers/NIMBLE.SYS"],
                    removed=["inf/DRVIDX.BIN", "inf/DRVDATA.BIN"], path=OTHER_PATH,
                    files={"inf/other/NIMBLE.INF": installed_inf(), "system/iosubsys/NIMBLE.PDR":
                           PORT, "system32/drivers/NIMBLE.SYS": IMAGE})


class Case:
    def __init__(self, name, build):
        self.name, self.build, self.failures, self.code = name, build, [], None

    def expect(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f"{what}: got {actual!r}, expected {expected!r}")

    def check(self, what, condition):
        if not condition:
            self.failures.append(what)

    def road(self, kind, runs, package=None, prepare=None, **options):
        """One machine of the kind with the package, prepared; the driver runs
        each list of steps (or each run(m) runs); returns the transcripts."""
        with Machine(self.build, self.name, kind, **options) as m:
            m.create().put_package(package)
            if prepare:
                prepare(m)
            self.before, self.m = m.state(), m
            transcripts = [run(m) if callable(run) else m.run(run) for run in runs]
            self.after = m.state()
        return transcripts

    def outcome(self, t, code, text=None, icon="stop", caption=EN[BRAND]):
        """The driver ran through; one box with the text and icon, owned by the
        main dialog, or none; the exit code. False when the driver stopped."""
        if t.returncode != 0:
            self.failures.append(f"the driver stopped: {t.words('FAILED')}")
            return False
        self.expect("message boxes", t.quoted("box"), [[caption, text]] if text else [])
        self.expect("box owner and icon", t.words("box-owner") + t.words("box-icon"),
                    ["main", icon] if text else [])
        self.expect("exit code", t.exit_code(), code)
        self.code = code
        return True

    def installed(self, t, bar=FULL_98):
        if self.outcome(t, COMPLETED, EN[129], "information") and bar:
            self.progress(t, bar)

    def progress(self, t, allowed):
        moving = [int(p) for p in t.words("progress") if p != "0"]
        self.check(f"bar positions {moving} among {allowed}, rising, to 100",
                   set(moving) <= set(allowed) and moving == sorted(moving)
                   and moving[-1:] == [100])

    def changes(self, added=(), removed=(), changed=(), gone=(), path=None, files=None,
                logged=(), log=True):
        """Exactly these files and device entries changed, the files hold what
        they should and are writable; OtherDevicePath is path (or as it was).
        The run's log is new (with `log`), in CRLF lines of ANSI text that hold
        `logged` (bytes), and ends with the run's exit code."""
        added = sorted(set(added) | {RUN_LOG}) if log else added
        self._files_and_registry(added, removed, changed, gone, path, files)
        if log:
            self._log(logged)

    def _log(self, logged):
        log = self.m.windows / RUN_LOG
        log = next((p for p in self.m.windows.glob("*") if p.name.lower() == RUN_LOG), log)
        text = log.read_bytes() if log.exists() else b""
        self.check("the log's lines end in CRLF", text.count(b"\n") == text.count(b"\r\n") >= 2)
        self.check("the log's header and its own texts are ASCII",
                   all(b < 0x80 for b in text.split(b"\r\n")[0][:40]))
        if self.code is not None:
            self.check(f"the log ends with exit code {self.code}",
                       text.endswith(f", exit code {self.code}\r\n".encode()))
        for piece in logged:
            self.check(f"the log holds {piece!r}", piece in text)

    def _files_and_registry(self, added, removed, changed, gone, path, files):
        before, after = self.before, self.after
        self.expect("files added, removed, changed", before.diff(after),
                    tuple(sorted(p.lower() for p in ps) for ps in (added, removed, changed)))
        gone = {device.lower() for device, _ in gone}
        self.check("the planted device entries were there", gone <= set(before.devices))
        self.expect("device entries", after.devices, sorted(set(before.devices) - gone))
        self.expect("OtherDevicePath", after.other_device_path,
                    path or before.other_device_path)
        for relative, data in (files or {}).items():
            path = self.m.windows / relative
            # Names differ in case only on the Windows side.
            path = next((p for p in path.parent.glob("*") if p.name.lower() ==
                         path.name.lower()), path)
            self.check(f"{relative} holds what it should", path.exists()
                       and path.read_bytes() == data)
            self.check(f"{relative} writable", path.exists() and path.stat().st_mode & 0o222)


def old_installation(devices, path, files):
    def prepare(m):
        for device, guid in devices + [OTHER_DEVICE]:
            m.add_registry(ENUM_KEY + device, "ClassGUID", guid)
        m.add_registry(VERSION_KEY, "OtherDevicePath", path)
        for relative, data, writable in files:
            m.put(relative, data, writable)
    return prepare


CASES = {}


def case(function):
    CASES[function.__name__] = function
    return function


# -- Windows kinds -----------------------------------------------------------

@case
def win95_refused(c):
    c.outcome(*c.road("win95", [BOX]), REFUSED, EN[105])
    c.changes()


@case
def win95_without_setupapi(c):
    # The program still loads; its INF calls fail, so no setup script is found.
    for t in c.road("win95", [BOX, ["run /S"] + BOX[1:]], dll_overrides=("setupapi=d",)):
        c.outcome(t, UNUSABLE, MAIN_FIXED_TEXT)
    c.changes()


@case
def winme(c):
    # The sample restricts itself to Windows 98; with Win98Only=0 the short
    # install copies the floppy INF alone.
    refused, t = c.road("winme", [BOX, lambda m: m.put_package(ANY_SYSTEM).run(INSTALL)])
    c.outcome(refused, REFUSED, EN[105])
    c.installed(t, [3, 18, 30, 100])
    c.expect("status texts", [s[0] for s in t.quoted("status") if s[0]], [EN[113]])
    c.changes(added=["inf/other/NIMBLEFD.INF"], path=OTHER_PATH,
              files={"inf/other/NIMBLEFD.INF": FLOPPY})


@case
def win2k_install(c):
    def prepare(m):
        for name, data in [("oem3.inf", STALE_INF), ("oem3.pnf", b"precompiled"),
                           ("oem4.inf", OTHER_INF), ("oem4.pnf", b"precompiled"),
                           ("DRVIDX.BIN", b"index"), ("DRVDATA.BIN", b"data")]:
            m.put("inf/" + name, data, writable=name != "oem3.pnf")
    c.installed(*c.road("win2k", [INSTALL], ANY_SYSTEM, prepare),
                [1, 6, 10, 15, 18, 21, 27, 30, 100])
    c.changes(added=["inf/oemNIMBLE.INF", "system32/drivers/NIMBLE.SYS"],
              removed=["inf/oem3.inf", "inf/oem3.pnf"],
              files={"inf/oemNIMBLE.INF": installed_inf(ANY_SYSTEM["NIMBLE.IN_"]),
                     "system32/drivers/NIMBLE.SYS": IMAGE})


@case
def planted_dlls(c):
    # DLLs under the names of system DLLs beside Setup.exe, which Wine is told
    # to prefer to its own where it finds them: none is loaded, and an
    # interactive and a silent install run as usual.
    # (The planted MSVCRT.DLL is pkgcheck.exe's case: Wine's own ADVAPI32 takes
    # it when told to prefer it.)
    planted = sorted(p for p in (c.build / "tests" / "e2e" / "planted").glob("*.DLL")
                     if p.name != "MSVCRT.DLL")
    c.expect("planted DLLs", [p.name for p in planted], ["CFGMGR32.DLL", "COMCTL32.DLL",
                                                          "SETUPAPI.DLL"])

    def prepare(m):
        for dll in planted:
            shutil.copy2(dll, m.package / dll.name)
    interactive, silent = c.road("win2k", [INSTALL, ["run /S", "yes", "wait-exit"]], ANY_SYSTEM,
                                 prepare, dll_overrides=("setupapi,cfgmgr32,comctl32=n,b",))
    c.installed(interactive, None)
    c.outcome(silent, COMPLETED)
    c.expect("DLLs loaded from beside Setup.exe", sorted(p.stem for p in
                                                         c.m.package.glob("*.loaded")), [])
    c.changes(added=["inf/oemNIMBLE.INF", "system32/drivers/NIMBLE.SYS"])


@case
def winxp_short_install(c):
    c.installed(*c.road("winxp", [INSTALL], ANY_SYSTEM), None)
    c.changes(added=["inf/oemNIMBLEFD.INF"], files={"inf/oemNIMBLEFD.INF": FLOPPY})


@case
def winxp_silent_wizard(c):
    # On the XP kind the device data come from the floppy INF, so that INF
    # names the disk here: the wizard shows the disk's description.
    floppy = FLOPPY.replace(b"Vostrel NIMBLEKEY USB Floppy", DESCRIPTION.encode())
    seen, usbstor = [], {}

    def run(m):
        inf, report = m.windows / "inf", m.folder / "wizard-report.txt"
        usbstor.update({f"inf/{n}": (inf / n).read_bytes() for n in ("USBSTOR.INF", "USBSTOR.PNF")})
        report.unlink(missing_ok=True)

        def look():
            names = {p.name.upper() for p in inf.iterdir()}
            seen.extend(["aside"] if {"USBSTOR.I3S", "USBSTOR.P3S"} <= names
                        and "USBSTOR.INF" not in names else [])

        standin = f"\"{unix_to_wine(m.standin_exe)}\" \"{DESCRIPTION}\" \"{unix_to_wine(report)}\""
        return m.run([f"spawn {standin}", "wait-title Found New Hardware Wizard", "run /S", "yes",
                      "wait-exit"], watch=look)

    (t,) = c.road("winxp", [run], {**ANY_SYSTEM, "NIMBLEFD.INF": floppy})
    report = c.m.folder / "wizard-report.txt"
    c.outcome(t, COMPLETED)
    handled = report.read_text().split() if report.exists() else []
    c.check(f"the wizard answered and finished ({handled})",
            "continue" in handled and handled[-1:] == ["finish"])
    c.check("USBSTOR.INF and .PNF set aside during the rescan", seen)
    c.changes(added=["inf/oemNIMBLE.INF", "system32/drivers/NIMBLE.SYS"], files=usbstor,
              logged=[b" on Windows XP 5.1.", b" /S, silent install\r\n",
                      b"wizard page answered: Finish\r\n"])


@case
def winxp_two_silent_runs(c):
    # A second /S start while the first waits at its agreement changes nothing
    # and ends at once; the first completes, and USBSTOR.INF and .PNF, which it
    # sets aside during the rescan, are back.
    floppy = FLOPPY.replace(b"Vostrel NIMBLEKEY USB Floppy", DESCRIPTION.encode())
    usbstor = {}

    def run(m):
        inf = m.windows / "inf"
        usbstor.update({f"inf/{n}": (inf / n).read_bytes() for n in ("USBSTOR.INF", "USBSTOR.PNF")})
        report = unix_to_wine(m.folder / "wizard-report.txt")
        standin = f"\"{unix_to_wine(m.standin_exe)}\" \"{DESCRIPTION}\" \"{report}\""
        return m.run([f"spawn {standin}", "wait-title Found New Hardware Wizard", "run /S",
                      "wait-agreement", "run-other /S", "yes", "wait-exit"])

    (t,) = c.road("winxp", [run], {**ANY_SYSTEM, "NIMBLEFD.INF": floppy})
    c.outcome(t, COMPLETED)
    c.expect("the second run's exit code", t.words("other-exit-code"), [str(ANOTHER_RUN)])
    c.changes(added=["inf/oemNIMBLE.INF", "system32/drivers/NIMBLE.SYS"], files=usbstor)


# -- Roads of the Windows 98 machine -----------------------------------------

def language_case(language, locale, tag, c):
    T = TABLES[language]
    steps = ["run", "wait-agreement", f"screenshot agreement-{tag}", "yes", "wait-main",
             "read-captions", f"screenshot main-{tag}", "click 1003", "wait-progress 10",
             f"screenshot installing-{tag}", "about", f"screenshot about-{tag}", "ok",
             "watch-run", "wait-box", f"screenshot message-{tag}", "ok", "wait-exit"]
    (t,) = c.road("win98", [steps], locale=locale)
    if not c.outcome(t, COMPLETED, T[129], "information", caption=T[BRAND]):
        return
    c.expect("title and captions", [t.quoted(w) for w in ("title", "text 1011", "text 1006",
                                                          "text 1007", "text 1003", "text 2",
                                                          "text 1014")],
             [[[T[n]]] for n in (BRAND, 124, 125, 126, 127, 128, 103)])
    c.expect("status texts", [s[0] for s in t.quoted("status") if s[0]], [T[113], T[109]])
    c.expect("About box", t.quoted("about") + [t.words("about-owner")],
             [[T[101] + T[BRAND], T[BRAND + 2], "OK"], ["main"]])
    c.progress(t, FULL_98)
    c.changes(**INSTALLED_98, logged=[b", install\r\n", b"\r\nOutcome: completed, exit code 0"])


for _name, *_language in [("english", 1033, None, "en"),
                          ("traditional_chinese", 1028, "zh_TW.UTF-8", "zh-TW"),
                          ("japanese", 1041, "ja_JP.UTF-8", "ja"),
                          ("simplified_chinese", 2052, "zh_CN.UTF-8", "zh-CN")]:
    CASES[f"install_{_name}"] = functools.partial(language_case, *_language)


def double_byte_folder(language, locale, folder, c):
    # The folder's last character ends in the byte 0x5C, a backslash; the
    # log names it in the system's code page, as the system gave it.
    T = TABLES[language]
    (t,) = c.road("win98", [INSTALL], locale=locale, package_folder=folder)
    c.outcome(t, COMPLETED, T[129], "information", caption=T[BRAND])
    code_page = {1041: "cp932", 1028: "cp950"}[language]
    c.changes(**INSTALLED_98, logged=[b"copied C:\\" + folder.encode(code_page) + b"\\NIMBLE.IN_"])


CASES["install_in_japanese_folder"] = functools.partial(double_byte_folder, 1041, "ja_JP.UTF-8",
                                                        "\u8868")  # Shift-JIS 95 5C
CASES["install_in_chinese_folder"] = functools.partial(double_byte_folder, 1028, "zh_TW.UTF-8",
                                                       "\u529f")  # Big5 A5 5C


@case
def update_earlier_installation(c):
    # Enter in the waiting dialog presses Start, its default button.
    prepare = old_installation(OLD_DEVICES, "C:\\OLDDRV", [
        ("inf/other/OLDNIMB.INF", STALE_INF, True),
        ("inf/other/OLDNIMB.PNF", b"precompiled", False),
        ("inf/other/KEEPME.INF", OTHER_INF, True), ("inf/other/KEEPME.PNF", b"precompiled", True),
        ("system32/drivers/NIMBLE.SYS", OLD_IMAGE, False)])
    steps = [s if s != "click 1003" else "enter" for s in INSTALL]
    c.installed(*c.road("win98", [steps], prepare=prepare), None)
    c.changes(added=["inf/other/NIMBLE.INF", "system/iosubsys/NIMBLE.PDR"],
              removed=["inf/DRVIDX.BIN", "inf/DRVDATA.BIN", "inf/other/OLDNIMB.INF",
                       "inf/other/OLDNIMB.PNF"], changed=["system32/drivers/NIMBLE.SYS"],
              gone=OLD_DEVICES, path=OTHER_PATH, files={"system32/drivers/NIMBLE.SYS": IMAGE})


@case
def uninstall(c):
    prepare = old_installation(OLD_DEVICES[:1], OTHER_PATH, [
        ("inf/other/NIMBLE.INF", installed_inf(), True),
        ("inf/other/NIMBLE.PNF", b"precompiled", True),
        ("system/iosubsys/NIMBLE.PDR", PORT, True), ("system32/drivers/NIMBLE.SYS", IMAGE, True)])
    (t,) = c.road("win98", [["run", "yes", "wait-main", "radio 1007", "click 1003", "watch-run",
                             "wait-box", "ok", "wait-exit"]], prepare=prepare)
    if c.outcome(t, COMPLETED, EN[114], "information"):
        c.progress(t, [10, 60, 100])
    # The port driver and the search path stay.
    c.changes(removed=["inf/other/NIMBLE.INF", "inf/other/NIMBLE.PNF",
                       "system32/drivers/NIMBLE.SYS"], gone=OLD_DEVICES[:1])


@case
def silent_install(c):
    c.outcome(*c.road("win98", [["run /S", "yes", "wait-exit"]]), COMPLETED)
    c.changes(**INSTALLED_98)


@case
def second_start_interactive(c):
    # A second start while the first shows its agreement behind another
    # program's window brings that agreement to the front and ends.
    def run(m):
        report = unix_to_wine(m.folder / "wizard-report.txt")
        standin = f"\"{unix_to_wine(m.standin_exe)}\" \"{DESCRIPTION}\" \"{report}\""
        return m.run(["run", "wait-agreement", f"spawn {standin}",
                      "wait-title Found New Hardware Wizard", "foreground", "run-other",
                      "foreground", "no", "wait-exit"])

    (t,) = c.road("win98", [run])
    c.outcome(t, CANCELLED)
    c.expect("the second run's exit code", t.words("other-exit-code"), [str(ANOTHER_RUN)])
    c.expect("foreground windows", t.quoted("foreground"),
             [["Found New Hardware Wizard"], ["Software License Agreement"]])
    c.changes(log=False)  # the agreement refused, the second start turned away


@case
def logo_link(c):
    # A brand whose logo links to its web site: a click runs the Windows
    # folder's Explorer with the address, never an EXPLORER.EXE beside
    # Setup.exe. Both are recorders here, the system's loaded as it is.
    recorder = c.build / "tests" / "e2e" / "recorder.exe"

    def prepare(m):
        shutil.copy2(c.build / "tests" / "e2e" / "SetupLinked.exe", m.package / "Setup.exe")
        shutil.copy2(recorder, m.package / "EXPLORER.EXE")
        shutil.copy2(recorder, m.windows / "explorer.exe")

    steps = ["env WINEDLLOVERRIDES=explorer.exe=n", "run", "yes", "wait-main", "logo",
             "wait-file C:\\windows\\explorer.exe.txt", "exit", "wait-exit"]
    (t,) = c.road("win98", [steps], prepare=prepare)
    c.outcome(t, CANCELLED)
    c.expect("the command the system ran", t.quoted("file"),
             [["Explorer http://www.zintovar.example"]])
    c.check("nothing ran from beside Setup.exe", not (c.m.package / "EXPLORER.EXE.txt").exists())
    c.changes(added=["explorer.exe.txt"])


@case
def second_start_without_a_window(c):
    # The guard is held by a run with no window to bring forward (a silent
    # run, one on another user's desktop): a start says so in a box of its
    # own, in the system's language, and ends.
    T = TABLES[1041]
    (t,) = c.road("win98", [["hold-guard UsbFlashDiskDriverSetup.OneRunAtATime", "run-other"]],
                  locale="ja_JP.UTF-8")
    c.expect("the box", t.quoted("other-box") + [t.words("other-box-owner")],
             [[T[BRAND], T[130]], ["-"]])
    c.expect("the second run's exit code", t.words("other-exit-code"), [str(ANOTHER_RUN)])
    c.changes(log=False)  # a start turned away writes nothing


@case
def install_from_floppy(c):
    # Setup.exe at the root of drive A:, which holds what the release's floppy
    # image holds: the package is read from the bare drive.
    c.installed(*c.road("win98", [INSTALL], prepare=lambda m: m.put_floppy()), None)
    c.changes(**INSTALLED_98)


@case
def cancelled(c):
    # Refused agreement, then Exit, Escape and the close box of the waiting dialog.
    runs = [["run", "no", "wait-exit"]] + [["run", "yes", "wait-main", how, "wait-exit"]
                                           for how in ("exit", "escape", "close")]
    for t in c.road("win98", runs):
        c.outcome(t, CANCELLED)
    c.changes()


@case
def radio_during_install(c):
    (t,) = c.road("win98", [["run", "yes", "wait-main", "click 1003", "wait-progress 10",
                             "radio 1007", "watch-run", "wait-box", "ok", "wait-exit"]])
    c.installed(t, None)
    watched = [int(p) for p in t.words("progress")]
    c.check(f"the click resets the bar ({watched})", 0 in watched[1:])
    c.changes(**INSTALLED_98)


@case
def package_unusable(c):
    roads = [({"NIMBLE.IN_": None, "NIMBLEFD.INF": None}, EN[116]),
             ({"NIMBLE.IN_": script_with(b"[Setup]", b"[Options]")}, MAIN_FIXED_TEXT),
             ({"NIMBLE.SY_": None}, EN[118]),
             ({"NIMBLE.PDR": None}, EN[119]),
             ({"NIMBLE.IN_": script_with(b"FDDInf=NIMBLEFD.INF", b"")}, None),
             # INF names that would reach outside the package and the INF store.
             ({"NIMBLE.IN_": script_with(b"FDDInf=NIMBLEFD.INF", b"FDDInf=..\\NIMBLEFD.INF")},
              None),
             ({"NIMBLE.IN_": script_with(b"MPDInf=NIMBLEMP.INF", b"MPDInf=SUB\\NIMBLEMP.INF")},
              None)]
    runs = [lambda m, changes=changes, text=text: m.put_package(changes).run(
        BOX if text else ["run", "yes", "wait-exit"], 40) for changes, text in roads]
    for t, (_, text) in zip(c.road("win98", runs), roads):
        c.outcome(t, UNUSABLE, text)
    c.changes()


@case
def install_failure(c):
    # Another program holds the installed image open: it cannot be set aside,
    # so nothing is put in place, and the staged copies go again.
    (t,) = c.road("win98", [["hold C:\\windows\\system32\\drivers\\NIMBLE.SYS"] + INSTALL],
                  prepare=lambda m: m.put("system32/drivers/NIMBLE.SYS", OLD_IMAGE))
    c.outcome(t, FAILED, EN[112])
    c.changes(files={"system32/drivers/NIMBLE.SYS": OLD_IMAGE})


def unreadable_image(kind, steps, installed, message, c):
    # The package's driver image cannot be read (another program holds it open,
    # as a floppy with a bad sector fails): the install ends before anything is
    # removed, and the earlier installation is there byte for byte.
    prepare = old_installation(OLD_DEVICES, OTHER_PATH, [(p, d, True) for p, d in installed.items()])
    (t,) = c.road(kind, [["hold C:\\NIMBLE\\NIMBLE.SY_"] + steps], prepare=prepare)
    c.outcome(t, FAILED, message)
    c.changes(files=installed)


CASES["update_with_unreadable_image"] = functools.partial(
    unreadable_image, "win98", INSTALL,
    {"inf/other/NIMBLE.INF": STALE_INF, "inf/other/NIMBLE.PNF": b"precompiled",
     "system/iosubsys/NIMBLE.PDR": b"old port driver", "system32/drivers/NIMBLE.SYS": OLD_IMAGE},
    EN[112])
CASES["winxp_silent_update_with_unreadable_image"] = functools.partial(
    unreadable_image, "winxp", ["run /S", "yes", "wait-exit"],
    {"inf/oemNIMBLE.INF": STALE_INF, "inf/oemNIMBLE.PNF": b"precompiled",
     "system32/drivers/NIMBLE.SYS": OLD_IMAGE}, None)


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
        for failure in c.failures:
            log(f"FAIL {name}: {failure}")
        log(f"== {name}: {'failed' if c.failures else 'passed'} in "
            f"{time.monotonic() - started:.1f} s")
        failed += bool(c.failures)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
