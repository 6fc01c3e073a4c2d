"""Wine machines for Setup.exe: a prefix per Windows kind made once, copies of
it for each run, a private X server with a virtual desktop, the test driver
that plays the user, and the state of the machine before and after.

Used by scripts/run-sample, the end-to-end cases (tests/e2e/cases.py) and the
Wine figures of the benchmarks (bench/wine_figures.py).
"""

import argparse
import ast
import collections
import contextlib
import fcntl
import hashlib
import os
import re
import shutil
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
PACKAGE = ROOT / "examples" / "package"

# Bumped whenever what a template holds changes, so old templates are made anew.
TEMPLATE_RECIPE = "e2e-template 8"

ENUM_KEY = "system\\currentcontrolset\\enum\\"
VERSION_KEY = "software\\microsoft\\windows\\currentversion"
USB_CLASS = "{36FC9E60-C465-11CF-8056-444553540000}"
HDC_CLASS = "{4D36E96A-E325-11CE-BFC1-08002BE10318}"

# Folders whose files are compared by content; elsewhere size, time and mode.
HASHED_FOLDERS = ("inf/", "system/", "system32/drivers/")
# What Wine itself changes in the Windows directory on every start.
NOISE = ("temp/", "logs/")


def log(text):
    print(text, flush=True)


def quiet(command, env):
    subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def unix_to_wine(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


@contextlib.contextmanager
def locked(path):
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "w") as f:
        fcntl.flock(f, fcntl.LOCK_EX)
        yield


class Display:
    """A private X server whose number it picks itself, so that parallel runs
    never meet; or, with user, the display the user sits at."""

    def __init__(self, size, user=False):
        self.process = None
        if user:
            self.name = os.environ["DISPLAY"]
            return
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{size}x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as f:
            number = f.readline().decode().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number

    def screenshot(self, path):
        if self.process:
            subprocess.run(["import", "-display", self.name, "-window", "root", str(path)],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close(self):
        if self.process:
            self.process.terminate()
            self.process.wait()


def wine_env(prefix, display, arch, dll_overrides=()):
    """The environment of a Wine of the image's kind: 32-bit Wine for the i686
    images, 64-bit Wine for their x86_64 twins."""
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEARCH="win32", WINEDEBUG="-all",
               WINEDLLOVERRIDES=";".join(("mscoree,mshtml=",) + tuple(dll_overrides)),
               DISPLAY=display, LANG="C.UTF-8")
    for name in ("LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANGUAGE", "LOCPATH"):
        env.pop(name, None)
    if arch == "x86_64":
        env.update(WINEARCH="win64",
                   PATH=str(ROOT / "scripts" / "wine64") + os.pathsep + env.get("PATH", ""))
    return env


def write_file(path, data, writable=True):
    path.parent.mkdir(parents=True, exist_ok=True)
    if path.exists():
        path.chmod(0o644)
    path.write_bytes(data)
    # Wine shows a file without write bits as read-only.
    path.chmod(0o644 if writable else 0o444)


def make_template(prefix, kind, desktop, env):
    """A fresh Wine prefix that reports the Windows kind, shows its windows in
    a virtual desktop, and holds the folders and system files of a machine of
    that kind."""
    shutil.rmtree(prefix, ignore_errors=True)
    log(f"making the {kind} machine {prefix}")
    quiet(["wineboot", "-i"], env)
    quiet(["wineserver", "-w"], env)
    # CJK text in dialogs whose fonts have no CJK glyphs.
    link = ",".join(f"{b:02x}" for b in "wqy-microhei.ttc,WenQuanYi Micro Hei\0\0"
                    .encode("utf-16-le"))
    reg = prefix / "e2e-settings.reg"
    reg.write_text(
        f"REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine]\n\"Version\"=\"{kind}\"\n\n"
        # A crash ends the program at once instead of waiting in winedbg.
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\n"
        "\"Debugger\"=\"\"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"
        "\"Desktop\"=\"Default\"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"
        f"\"Default\"=\"{desktop}\"\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT"
        "\\CurrentVersion\\FontLink\\SystemLink]\n"
        + "".join(f"\"{face}\"=hex(7):{link}\n"
                  for face in ("MS Sans Serif", "Tahoma", "Microsoft Sans Serif")))
    quiet(["wine", "regedit", "/S", str(reg)], env)
    quiet(["wineserver", "-w"], env)
    reg.unlink()
    windows = prefix / "drive_c" / "windows"
    # Wine's own TrueType fonts (MS Sans Serif, Marlett for the caption
    # buttons) when this Wine does not find them itself; the font links that
    # bring CJK glyphs skip bitmap fonts.
    for font in Path("/usr/share/wine/fonts").glob("*.ttf"):
        shutil.copy2(font, windows / "Fonts" / font.name)
    ninety_eight = kind in ("win95", "win98", "winme")
    for folder in ["system32/drivers"] + ["system/iosubsys", "inf/other"] * ninety_eight:
        (windows / folder).mkdir(parents=True, exist_ok=True)
    for name, data in ([("DRVIDX.BIN", b"driver database index\r\n"),
                        ("DRVDATA.BIN", b"driver database data\r\n")] if ninety_eight else
                       [("USBSTOR.INF", b"; USB mass storage INF\r\n"),
                        ("USBSTOR.PNF", b"precompiled USB mass storage INF\r\n")]):
        write_file(windows / "inf" / name, data)


def copy_prefix(source, target):
    """A copy of a prefix. The system32 and winsxs files, which nothing here
    writes, are hard links; the rest, the driver folder included, real copies."""
    def copy(src, dst):
        rel = Path(src).relative_to(source).as_posix()
        linked = rel.startswith(("drive_c/windows/system32/", "drive_c/windows/winsxs/"))
        if linked and not rel.startswith("drive_c/windows/system32/drivers/"):
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)

    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(source, target, symlinks=True, copy_function=copy)


class State:
    """What the checks look at: the files of the Windows directory and the
    registry entries that the program touches."""

    def __init__(self, prefix):
        windows = prefix / "drive_c" / "windows"
        self.files, self.names = {}, {}
        for path in windows.rglob("*"):
            real = path.relative_to(windows).as_posix()
            rel = real.lower()
            if path.is_dir() or rel.startswith(NOISE):
                continue
            self.names[rel] = real.replace("/", "\\")
            st = path.lstat()
            content = (hashlib.sha1(path.read_bytes()).hexdigest()
                       if rel.startswith(HASHED_FOLDERS) and path.is_file()
                       else f"{st.st_size}:{st.st_mtime_ns}")
            self.files[rel] = (content, bool(st.st_mode & 0o222))
        # Wine's registry file: "[key] time" lines, then "\"name\"=value" lines.
        keys, current = {}, {}
        for line in (prefix / "system.reg").read_text("utf-8", "replace").splitlines():
            if line.startswith("["):
                current = keys.setdefault(line[1:line.rindex("]")].replace("\\\\", "\\").lower(),
                                          {})
            elif line.startswith("\"") and "\"=" in line:
                name, _, value = line.partition("\"=")
                current[name[1:].lower()] = value
        self.devices = sorted(k[len(ENUM_KEY):] for k in keys
                              if k.startswith(ENUM_KEY) and k.count("\\") == 5)
        path = keys.get(VERSION_KEY, {}).get("otherdevicepath")
        self.other_device_path = ast.literal_eval(path) if path and path[0] == "\"" else path

    def diff(self, later):
        return (sorted(set(later.files) - set(self.files)),
                sorted(set(self.files) - set(later.files)),
                sorted(p for p in set(self.files) & set(later.files)
                       if self.files[p] != later.files[p]))

    def report(self, later):
        added, removed, changed = self.diff(later)
        lines = [f"{what:8} {names[p]}" for what, paths, names in (
            ("added", added, later.names), ("changed", changed, later.names),
            ("removed", removed, self.names)) for p in paths]
        for what, devices in (("removed", set(self.devices) - set(later.devices)),
                              ("added  ", set(later.devices) - set(self.devices))):
            lines += [f"device entry {what}  {d}" for d in sorted(devices)]
        if self.other_device_path != later.other_device_path:
            lines.append(f"OtherDevicePath  {self.other_device_path or '(not set)'} -> "
                         f"{later.other_device_path or '(not set)'}")
        return lines or ["nothing changed"]


class Transcript(collections.namedtuple("Transcript", "lines returncode")):
    """The driver's lines, with readers for the ones the checks need."""

    def words(self, word):
        return [line[len(word) + 1:] for line in self.lines if line.startswith(word + " ")]

    def quoted(self, word):
        """The quoted texts of each line that starts with word."""
        return [[ast.literal_eval(q) for q in re.findall(r'"(?:[^"\\]|\\.)*"', rest)]
                for rest in self.words(word)]

    def exit_code(self):
        codes = self.words("exit-code")
        return int(codes[-1]) if codes else None


class Machine:
    """One Wine machine: a copy of a kind's template with the package in
    C:\\NIMBLE, run under its own X server."""

    def __init__(self, build, name, kind, locale=None, desktop="640x480", folder=None,
                 dll_overrides=(), user_display=False, package_folder="NIMBLE"):
        self.build = Path(build)
        self.e2e = self.build / "e2e"
        self.kind, self.locale, self.desktop = kind, locale, desktop
        self.folder = folder or self.e2e / "cases" / name
        self.prefix = self.folder / "prefix"
        self.windows = self.prefix / "drive_c" / "windows"
        self.package = self.prefix / "drive_c" / package_folder
        self.dll_overrides = dll_overrides
        self.user_display = user_display
        self.setup_exe = self.build / "platform" / "win32" / "Setup.exe"
        self.standin_exe = self.build / "tests" / "e2e" / "wizard_standin.exe"
        # Where the driver starts Setup.exe; put_floppy moves it to drive A:.
        self.setup_path = f"C:\\{package_folder}\\Setup.exe"
        self.arch = subprocess.run([str(ROOT / "scripts" / "pe-arch"), str(self.setup_exe)],
                                   check=True, capture_output=True, text=True).stdout.strip()

    def __enter__(self):
        self.display = Display(self.desktop, self.user_display)
        return self

    def __exit__(self, *exc):
        if self.prefix.exists():
            self.stop_wine(self.env())
        self.display.close()

    def env(self):
        return wine_env(self.prefix, self.display.name, self.arch, self.dll_overrides)

    @staticmethod
    def stop_wine(env):
        quiet(["wineserver", "-k"], env)
        quiet(["wineserver", "-w"], env)

    def create(self, keep=False):
        """The machine from its kind's template (as it was, with keep)."""
        self.folder.mkdir(parents=True, exist_ok=True)
        for old in self.folder.glob("*.png"):
            old.unlink()
        if keep and (self.prefix / ".e2e-ready").exists():
            return self
        template = self.e2e / f"prefix-{self.kind}-{self.desktop}"
        recipe = f"{TEMPLATE_RECIPE} {self.desktop}"
        with locked(self.e2e / f"prefix-{self.kind}-{self.desktop}.lock"):
            ready = template / ".e2e-ready"
            if not ready.exists() or ready.read_text() != recipe:
                make_template(template, self.kind, self.desktop,
                              wine_env(template, self.display.name, self.arch))
                ready.write_text(recipe)
        copy_prefix(template, self.prefix)
        return self

    def put_package(self, changes=None):
        """Setup.exe and the sample package in C:\\NIMBLE; changes maps a file
        name to new bytes, or to None to leave the file out."""
        changes = changes or {}
        shutil.rmtree(self.package, ignore_errors=True)
        self.package.mkdir(parents=True)
        shutil.copy2(self.setup_exe, self.package / "Setup.exe")
        for source in PACKAGE.iterdir():
            if source.name not in changes:
                shutil.copy2(source, self.package / source.name)
        for name, data in changes.items():
            if data is not None:
                (self.package / name).write_bytes(data)
        return self

    def put_floppy(self):
        """Drive A: holding what the release's floppy image of Setup.exe and the
        sample package holds, read back out of the image; Setup.exe runs from
        its root."""
        image, disk = self.folder / "floppy.img", self.folder / "floppy"
        subprocess.run([str(ROOT / "scripts" / "release"), "--image", str(image),
                        str(self.setup_exe)] + sorted(str(p) for p in PACKAGE.iterdir()),
                       check=True)
        shutil.rmtree(disk, ignore_errors=True)
        disk.mkdir()
        subprocess.run(["mcopy", "-n", "-i", str(image), "::*", str(disk)], check=True)
        # Wine maps a drive letter through a link in dosdevices.
        drive = self.prefix / "dosdevices" / "a:"
        drive.unlink(missing_ok=True)
        drive.symlink_to(disk.resolve())
        self.setup_path = "A:\\Setup.exe"
        return self

    def put(self, relative, data, writable=True):
        """A file in the Windows directory (path with forward slashes)."""
        write_file(self.windows / relative, data, writable)

    def add_registry(self, key, name, value):
        # Wine reads the file when its server starts; none runs now.
        with open(self.prefix / "system.reg", "a", encoding="utf-8") as f:
            f.write(f"\n[{key.replace(chr(92), chr(92) * 2)}] 1700000000\n"
                    f"\"{name}\"=\"{value.replace(chr(92), chr(92) * 2)}\"\n")

    def state(self):
        return State(self.prefix)

    def run(self, steps, deadline=90, watch=None):
        """Runs the driver with the steps; screenshots go to the case folder.
        watch, if given, is called every 50 ms while the driver runs."""
        env = self.env()
        command = ["wine", str(self.build / "tests" / "driver" / "setupdriver.exe"),
                   "--setup", self.setup_path, "--deadline", str(deadline)] + list(steps)
        if self.locale:
            # Wine takes the system's language and code page from the locale,
            # made once.
            command = [str(ROOT / "tests" / "win32res" / "run-in-locale"), self.locale,
                       str(self.e2e / "locales")] + command
            with locked(self.e2e / "locales.lock"):
                subprocess.run(command[:3] + ["true"], check=True)
        with open(self.folder / "wine-stderr.txt", "ab") as errors:
            driver = subprocess.Popen(command, env=env, stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, stderr=errors, cwd=self.folder)
        lines = []

        def read():
            for raw in driver.stdout:
                line = raw.decode("utf-8", "replace").rstrip("\r\n")
                lines.append(line)
                log(f"  | {line}")
                if line.startswith("screenshot "):
                    self.display.screenshot(self.folder / (line.split(" ", 1)[1] + ".png"))
                    with contextlib.suppress(OSError):
                        driver.stdin.write(b"\n")
                        driver.stdin.flush()

        # Programs the driver started keep its output open while they run.
        reader = threading.Thread(target=read, daemon=True)
        reader.start()
        while driver.poll() is None:
            time.sleep(0.05)
            if watch:
                watch()
        if driver.returncode != 0:
            reader.join(timeout=2)
            self.display.screenshot(self.folder / "failure.png")
            log(f"  the driver failed; the screen then: {self.folder / 'failure.png'}")
        # Everything ends; the server writes the registry as it goes.
        self.stop_wine(env)
        reader.join()
        return Transcript(lines, driver.returncode)


def main_sample(argv):
    """scripts/run-sample: the sample package on a Windows 98 machine of its
    own. At a display the user clicks through; without one the driver answers
    (Yes, Start, OK) under a private X server and screenshots are kept."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--interactive", action="store_true")
    args = parser.parse_args(argv)
    folder = Path(args.folder)
    with Machine(args.build, "sample", "win98", desktop="800x600", folder=folder,
                 user_display=args.interactive) as machine:
        machine.create(keep=True).put_package()
        before = machine.state()
        if args.interactive:
            print("Setup.exe runs in C:\\NIMBLE of the machine; answer its dialogs.")
            code = subprocess.run(["wine", machine.setup_path], env=machine.env(),
                                  stderr=subprocess.DEVNULL).returncode
            quiet(["wineserver", "-w"], machine.env())
        else:
            transcript = machine.run(
                ["run", "wait-agreement", "screenshot 1-agreement", "yes", "wait-main",
                 "screenshot 2-main", "click 1003", "wait-progress 10",
                 "screenshot 3-installing", "watch-run", "wait-box", "screenshot 4-message",
                 "ok", "wait-exit"])
            code = transcript.exit_code() if transcript.returncode == 0 else None
        after = machine.state()
    shots = "".join(f"\n  {shot}" for shot in sorted(folder.glob("*.png")))
    print(f"\nThe machine: {machine.prefix} (Windows 98; C:\\NIMBLE holds the package)\n"
          "What changed under C:\\windows and in the registry:\n"
          + "".join(f"  {line}\n" for line in before.report(after))
          + f"OtherDevicePath: {after.other_device_path}\n"
          + (f"Screenshots:{shots}\n" if shots else "") + f"Setup.exe exit code: {code}")
    return 0 if code is not None else 1


if __name__ == "__main__":
    sys.exit(main_sample(sys.argv[1:]))
