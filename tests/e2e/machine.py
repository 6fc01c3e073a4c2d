"""Wine machines for Setup.exe: a prefix per Windows kind made once, copies of
it for each run, a private X server with a virtual desktop, the test driver
that plays the user, and the state of the machine before and after.

Used by the end-to-end cases (cases.py) and by scripts/run-sample.
"""

import ast
import contextlib
import fcntl
import functools
import hashlib
import os
import shutil
import subprocess
import sys
import threading
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
PACKAGE = ROOT / "examples" / "package"

# The Windows version Wine reports, by kind.
KINDS = ("win95", "win98", "winme", "win2k", "winxp")
NINETY_EIGHT_FAMILY = ("win95", "win98", "winme")

# Bumped whenever what a template holds changes, so old templates are made anew.
TEMPLATE_RECIPE = "e2e-template 7"

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


def run_quiet(command, env, **kwargs):
    return subprocess.run(command, env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, **kwargs)


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
    never meet."""

    def __init__(self, size):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{size}x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as f:
            while not number.endswith(b"\n"):
                chunk = f.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.name = ":" + number.decode().strip()

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.name, "-window", "root", str(path)],
                       check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close(self):
        self.process.terminate()
        self.process.wait()


def image_arch(image):
    """i686 or x86_64: the machine a Windows image is built for."""
    return subprocess.run([str(ROOT / "scripts" / "pe-arch"), str(image)], check=True,
                          stdout=subprocess.PIPE, text=True).stdout.strip()


def wine_env(prefix, display, arch, locale=None, locales_dir=None, dll_overrides=()):
    """The environment of a Wine of the image's kind: 32-bit Wine for the i686
    images, 64-bit Wine for their x86_64 twins. dll_overrides adds entries
    such as "setupapi=d" (a DLL the machine lacks)."""
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEARCH="win32", WINEDEBUG="-all",
               WINEDLLOVERRIDES=";".join(("mscoree,mshtml=",) + tuple(dll_overrides)),
               DISPLAY=display)
    if arch == "x86_64":
        env.update(WINEARCH="win64",
                   PATH=str(ROOT / "scripts" / "wine64") + os.pathsep + env.get("PATH", ""))
    for name in ("LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANGUAGE", "LOCPATH"):
        env.pop(name, None)
    env["LANG"] = locale or "C.UTF-8"
    if locales_dir is not None:
        env["LOCPATH"] = str(locales_dir)
    return env


def compile_locale(locale, folder):
    """A glibc locale this machine may not have, compiled once into folder."""
    with locked(folder / ".lock"):
        if not (folder / locale / "LC_CTYPE").exists():
            folder.mkdir(parents=True, exist_ok=True)
            subprocess.run(["localedef", "-i", locale.split(".")[0], "-f", "UTF-8",
                            str(folder / locale)], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        if not (folder / locale / "LC_CTYPE").exists():
            raise RuntimeError(f"cannot make the locale {locale} (is 'locales' installed?)")


def write_file(path, data, writable=True):
    path.parent.mkdir(parents=True, exist_ok=True)
    if path.exists():
        path.chmod(0o644)
    path.write_bytes(data)
    # Wine shows a file without write bits as read-only.
    path.chmod(0o644 if writable else 0o444)


def make_template(prefix, kind, desktop, display, arch):
    """A fresh Wine prefix that reports the Windows kind, shows its windows in
    a virtual desktop, and holds the folders and system files of a machine of
    that kind."""
    shutil.rmtree(prefix, ignore_errors=True)
    env = wine_env(prefix, display, arch)
    log(f"making the {kind} machine {prefix}")
    run_quiet(["wineboot", "-i"], env)
    run_quiet(["wineserver", "-w"], env)
    reg = prefix / "e2e-settings.reg"
    reg.write_text(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\Wine]\n"
        f"\"Version\"=\"{kind}\"\n\n"
        # A crash ends the program at once instead of waiting in winedbg.
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\n"
        "\"Debugger\"=\"\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"
        "\"Desktop\"=\"Default\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"
        f"\"Default\"=\"{desktop}\"\n\n"
        # CJK text in dialogs whose fonts have no CJK glyphs.
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink"
        "\\SystemLink]\n"
        + "".join(f"\"{face}\"=hex(7):{_multi_sz('wqy-microhei.ttc,WenQuanYi Micro Hei')}\n"
                  for face in ("MS Sans Serif", "Tahoma", "Microsoft Sans Serif"))
    )
    run_quiet(["wine", "regedit", "/S", str(reg)], env)
    run_quiet(["wineserver", "-w"], env)
    reg.unlink()
    windows = prefix / "drive_c" / "windows"
    # Wine's own fonts (MS Sans Serif, Marlett for the caption buttons), when
    # Debian's fonts-wine has them and this Wine does not find them itself.
    # TrueType only: the font links that bring CJK glyphs skip bitmap fonts.
    fonts = Path("/usr/share/wine/fonts")
    if fonts.is_dir():
        for font in fonts.glob("*.ttf"):
            shutil.copy2(font, windows / "Fonts" / font.name)
    (windows / "system32" / "drivers").mkdir(parents=True, exist_ok=True)
    if kind in NINETY_EIGHT_FAMILY:
        (windows / "system" / "iosubsys").mkdir(parents=True, exist_ok=True)
        (windows / "inf" / "other").mkdir(parents=True, exist_ok=True)
        write_file(windows / "inf" / "DRVIDX.BIN", b"driver database index\r\n")
        write_file(windows / "inf" / "DRVDATA.BIN", b"driver database data\r\n")
    else:
        write_file(windows / "inf" / "USBSTOR.INF", b"; USB mass storage INF\r\n")
        write_file(windows / "inf" / "USBSTOR.PNF", b"precompiled USB mass storage INF\r\n")


def _multi_sz(text):
    data = (text + "\0\0").encode("utf-16-le")
    return ",".join(f"{b:02x}" for b in data)


def template(folder, kind, desktop, display, arch):
    """The template prefix of a Windows kind, made once and reused."""
    prefix = folder / f"prefix-{kind}-{desktop}"
    ready = prefix / ".e2e-ready"
    recipe = f"{TEMPLATE_RECIPE} {desktop}"
    with locked(folder / f"prefix-{kind}-{desktop}.lock"):
        if not ready.exists() or ready.read_text() != recipe:
            make_template(prefix, kind, desktop, display, arch)
            ready.write_text(recipe)
    return prefix


def copy_prefix(source, target):
    """A copy of a prefix. The system32 and winsxs files, which nothing here
    writes, are hard links; the rest, the driver folder included, real copies."""
    shutil.rmtree(target, ignore_errors=True)
    target.mkdir(parents=True)
    linked = {"system32", "winsxs"}
    for entry in source.iterdir():
        if entry.name != "drive_c":
            subprocess.run(["cp", "-a", str(entry), str(target)], check=True)
    (target / "drive_c").mkdir()
    for entry in (source / "drive_c").iterdir():
        if entry.name != "windows":
            subprocess.run(["cp", "-a", str(entry), str(target / "drive_c")], check=True)
    windows = target / "drive_c" / "windows"
    windows.mkdir()
    for entry in (source / "drive_c" / "windows").iterdir():
        flags = "-al" if entry.name in linked else "-a"
        subprocess.run(["cp", flags, str(entry), str(windows)], check=True)
    drivers = windows / "system32" / "drivers"
    shutil.rmtree(drivers)
    subprocess.run(["cp", "-a", str(source / "drive_c" / "windows" / "system32" / "drivers"),
                    str(windows / "system32")], check=True)


def parse_registry(path):
    """A Wine registry file as {key in small letters: {value name: raw text}}."""
    keys = {}
    current = None
    text = path.read_text(encoding="utf-8", errors="replace") if path.exists() else ""
    for line in text.splitlines():
        if line.startswith("["):
            name = line[1:line.rindex("]")]
            current = keys.setdefault(name.replace("\\\\", "\\").lower(), {})
        elif current is not None and line.startswith("\"") and "=" in line:
            name, _, value = line.partition("\"=")
            current[name[1:].lower()] = value
    return keys


def reg_string(raw):
    """The text of a REG_SZ value as the registry file writes it."""
    if raw is None:
        return None
    return ast.literal_eval(raw) if raw.startswith("\"") else raw


class State:
    """What the checks look at: the files of the Windows directory and the
    registry entries that the program touches."""

    def __init__(self, prefix):
        windows = prefix / "drive_c" / "windows"
        self.files = {}
        self.names = {}
        for folder, _, names in os.walk(windows):
            for name in names:
                path = Path(folder) / name
                real = path.relative_to(windows).as_posix()
                rel = real.lower()
                self.names[rel] = real.replace("/", "\\")
                if rel.startswith(NOISE):
                    continue
                st = path.lstat()
                if rel.startswith(HASHED_FOLDERS) and path.is_file():
                    content = hashlib.sha1(path.read_bytes()).hexdigest()
                else:
                    content = f"{st.st_size}:{st.st_mtime_ns}"
                self.files[rel] = (content, bool(st.st_mode & 0o222))
        registry = parse_registry(prefix / "system.reg")
        self.devices = sorted(k[len(ENUM_KEY):] for k in registry
                              if k.startswith(ENUM_KEY) and k.count("\\") == 5)
        self.other_device_path = reg_string(
            registry.get(VERSION_KEY, {}).get("otherdevicepath"))

    def diff(self, later):
        added = sorted(set(later.files) - set(self.files))
        removed = sorted(set(self.files) - set(later.files))
        changed = sorted(p for p in set(self.files) & set(later.files)
                         if self.files[p] != later.files[p])
        return added, removed, changed

    def report(self, later):
        added, removed, changed = self.diff(later)
        lines = [f"added    {later.names[p]}" for p in added]
        lines += [f"changed  {later.names[p]}" for p in changed]
        lines += [f"removed  {self.names[p]}" for p in removed]
        gone = sorted(set(self.devices) - set(later.devices))
        new = sorted(set(later.devices) - set(self.devices))
        lines += [f"device entry removed  {d}" for d in gone]
        lines += [f"device entry added    {d}" for d in new]
        if self.other_device_path != later.other_device_path:
            lines.append(f"OtherDevicePath  {self.other_device_path or '(not set)'} -> "
                         f"{later.other_device_path or '(not set)'}")
        return lines or ["nothing changed"]


class Transcript:
    """The driver's lines, with readers for the ones the checks need."""

    def __init__(self, lines, returncode):
        self.lines = lines
        self.returncode = returncode

    def words(self, word):
        prefix = word + " "
        return [line[len(prefix):] for line in self.lines if line.startswith(prefix)]

    def quoted(self, word):
        """The quoted texts of every line that starts with word."""
        out = []
        for rest in self.words(word):
            out.append(_quoted_fields(rest))
        return out

    def text(self, control):
        values = [q[0] for q in self.quoted(f"text {control}") if q]
        return values[-1] if values else None

    def first(self, word):
        values = self.quoted(word)
        return values[0][0] if values and values[0] else None

    def exit_code(self):
        codes = self.words("exit-code")
        return int(codes[-1]) if codes else None

    def failure(self):
        return next((line for line in self.lines if line.startswith("FAILED")), None)


def _quoted_fields(rest):
    fields = []
    i = 0
    while True:
        start = rest.find("\"", i)
        if start < 0:
            return fields
        j = start + 1
        while rest[j] != "\"":
            j += 2 if rest[j] == "\\" else 1
        fields.append(ast.literal_eval(rest[start:j + 1]))
        i = j + 1


class Machine:
    """One Wine machine: a copy of a kind's template with the package in
    C:\\NIMBLE, run under its own X server."""

    # Where the driver starts Setup.exe; put_floppy moves it to drive A:.
    setup_path = "C:\\NIMBLE\\Setup.exe"

    def __init__(self, build, name, kind, locale=None, desktop="640x480", folder=None,
                 dll_overrides=()):
        self.build = Path(build)
        self.e2e = self.build / "e2e"
        self.name = name
        self.kind = kind
        self.locale = locale
        self.desktop = desktop
        self.folder = folder or self.e2e / "cases" / name
        self.prefix = self.folder / "prefix"
        self.windows = self.prefix / "drive_c" / "windows"
        self.package = self.prefix / "drive_c" / "NIMBLE"
        self.locales = self.e2e / "locales"
        self.display = None
        self.dll_overrides = dll_overrides

    # Paths of the build.
    @property
    def setup_exe(self):
        return self.build / "platform" / "win32" / "Setup.exe"

    @functools.cached_property
    def arch(self):
        return image_arch(self.setup_exe)

    @property
    def driver_exe(self):
        return self.build / "tests" / "e2e" / "setupdriver.exe"

    @property
    def standin_exe(self):
        return self.build / "tests" / "win32" / "wizard_standin.exe"

    def __enter__(self):
        self.display = Display(self.desktop)
        return self

    def __exit__(self, *exc):
        if self.prefix.exists():
            run_quiet(["wineserver", "-k"], self.env())
            run_quiet(["wineserver", "-w"], self.env())
        self.display.close()

    def env(self):
        if self.locale and not self.locale.startswith("C."):
            compile_locale(self.locale, self.locales)
            return wine_env(self.prefix, self.display.name, self.arch, self.locale,
                            self.locales, self.dll_overrides)
        return wine_env(self.prefix, self.display.name, self.arch, self.locale,
                        dll_overrides=self.dll_overrides)

    def create(self, reuse=False):
        """The machine from its kind's template (kept as it is with reuse)."""
        if reuse and (self.prefix / ".e2e-ready").exists():
            return self
        self.folder.mkdir(parents=True, exist_ok=True)
        for old in self.folder.glob("*.png"):
            old.unlink()
        source = template(self.e2e, self.kind, self.desktop, self.display.name, self.arch)
        copy_prefix(source, self.prefix)
        return self

    def put_package(self, changes=None):
        """Setup.exe and the sample package in C:\\NIMBLE; changes maps a file
        name to new bytes, or to None to leave the file out."""
        changes = changes or {}
        shutil.rmtree(self.package, ignore_errors=True)
        self.package.mkdir(parents=True)
        shutil.copy2(self.setup_exe, self.package / "Setup.exe")
        for source in sorted(PACKAGE.iterdir()):
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
        image = self.folder / "floppy.img"
        disk = self.folder / "floppy"
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

    def add_device(self, instance_id, class_guid):
        """A device entry as Wine keeps it: a key under Enum with a class."""
        self._append_registry(f"System\\CurrentControlSet\\Enum\\{instance_id}",
                              {"ClassGUID": class_guid})

    def set_other_device_path(self, text):
        self._append_registry("Software\\Microsoft\\Windows\\CurrentVersion",
                              {"OtherDevicePath": text})

    def _append_registry(self, key, values):
        # Wine reads the file when its server starts; none runs now.
        escaped = key.replace("\\", "\\\\")
        body = "".join(f"\"{name}\"=\"{value.replace(chr(92), chr(92) * 2)}\"\n"
                       for name, value in values.items())
        with open(self.prefix / "system.reg", "a", encoding="utf-8") as f:
            f.write(f"\n[{escaped}] 1700000000\n{body}")

    def state(self):
        return State(self.prefix)

    def run(self, steps, deadline=90, watch=None):
        """Runs the driver with the steps; screenshots go to the case folder.
        watch, if given, is called every 50 ms while the driver runs."""
        env = self.env()
        command = ["wine", str(self.driver_exe), "--setup", self.setup_path,
                   "--deadline", str(deadline)] + list(steps)
        errors = open(self.folder / "wine-stderr.txt", "ab")
        driver = subprocess.Popen(command, env=env, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=errors, cwd=self.folder)
        stop = threading.Event()
        watcher = None
        if watch is not None:
            def loop():
                while not stop.wait(0.05):
                    watch()
            watcher = threading.Thread(target=loop, daemon=True)
            watcher.start()
        lines = []

        def read():
            for raw in driver.stdout:
                line = raw.decode("utf-8", "replace").rstrip("\r\n")
                lines.append(line)
                log(f"  | {line}")
                if line.startswith("screenshot "):
                    shot = self.folder / (line.split(" ", 1)[1] + ".png")
                    self.display.screenshot(shot)
                    log(f"  screenshot {shot}")
                    with contextlib.suppress(OSError):
                        driver.stdin.write(b"\n")
                        driver.stdin.flush()

        # Programs the driver started keep its output open while they run.
        reader = threading.Thread(target=read, daemon=True)
        reader.start()
        driver.wait()
        stop.set()
        if watcher is not None:
            watcher.join()
        if driver.returncode != 0:
            reader.join(timeout=2)
            shot = self.folder / "failure.png"
            self.display.screenshot(shot)
        # Everything ends; the server writes the registry as it goes.
        run_quiet(["wineserver", "-k"], env)
        run_quiet(["wineserver", "-w"], env)
        reader.join()
        errors.close()
        transcript = Transcript(lines, driver.returncode)
        if driver.returncode != 0:
            log(f"  the driver failed ({transcript.failure() or 'exit ' + str(driver.returncode)});"
                f" the screen then: {self.folder / 'failure.png'}")
        return transcript


class UserDisplay:
    """The display the user sits at."""

    def __init__(self):
        self.name = os.environ["DISPLAY"]

    def screenshot(self, path):
        pass

    def close(self):
        pass


def main_sample(argv):
    """scripts/run-sample: the sample package on a Windows 98 machine of its
    own. At a display the user clicks through; without one the driver answers
    (Yes, Start, OK) under a private X server and screenshots are kept."""
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--interactive", action="store_true")
    args = parser.parse_args(argv)
    folder = Path(args.folder)
    machine = Machine(args.build, "sample", "win98", desktop="800x600", folder=folder)
    if args.interactive:
        machine.display = UserDisplay()
    else:
        machine.__enter__()
    try:
        if not (machine.prefix / ".e2e-ready").exists():
            folder.mkdir(parents=True, exist_ok=True)
            source = template(machine.e2e, machine.kind, machine.desktop, machine.display.name,
                              machine.arch)
            copy_prefix(source, machine.prefix)
        machine.put_package()
        for old in folder.glob("*.png"):
            old.unlink()
        before = machine.state()
        if args.interactive:
            env = machine.env()
            print("Setup.exe runs in C:\\NIMBLE of the machine; answer its dialogs.")
            code = subprocess.run(["wine", "C:\\NIMBLE\\Setup.exe"], env=env,
                                  stderr=subprocess.DEVNULL).returncode
            run_quiet(["wineserver", "-w"], env)
        else:
            transcript = machine.run(
                ["run", "wait-agreement", "screenshot 1-agreement", "yes", "wait-main",
                 "screenshot 2-main", "click 1003", "wait-progress 10",
                 "screenshot 3-installing", "watch-run", "wait-box", "screenshot 4-message",
                 "ok", "wait-exit"])
            code = transcript.exit_code()
            if transcript.returncode != 0:
                code = None
        after = machine.state()
    finally:
        machine.__exit__(None, None, None)
    print()
    print(f"The machine: {machine.prefix} (Windows 98; C:\\NIMBLE holds the package)")
    print("What changed under C:\\windows and in the registry:")
    for line in before.report(after):
        print("  " + line)
    print(f"OtherDevicePath: {after.other_device_path}")
    shots = sorted(folder.glob("*.png"))
    if shots:
        print("Screenshots:")
        for shot in shots:
            print(f"  {shot}")
    print(f"Setup.exe exit code: {code}")
    return 0 if code is not None else 1


if __name__ == "__main__":
    sys.exit(main_sample(sys.argv[1:]))
