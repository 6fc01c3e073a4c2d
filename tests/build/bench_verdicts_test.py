#!/usr/bin/env python3
"""The benchmarks' verdicts: each figure under Wine and of the image against
its goal (met or missed) with the figures' exit status, and scripts/bench's
exit status from its stages, run on stand-ins for what it builds and runs.

  bench_verdicts_test.py      exit 0 when every case holds
"""
import contextlib
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path
from unittest import mock

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "bench"))
import wine_figures  # noqa: E402

FIGURES = ("run overhead", "start-up", "Setup.exe size", "P6-only")
# Run 4500 ms over 4500 ms of pauses, both start-ups 100 ms: every goal met.
MET = dict(run=4500, setup=100, minimal=100, size=80_000, p6=0)


class WineFiguresTest(unittest.TestCase):
    def figures(self, smoke=False, fails=False, **changes):
        """The verdict of each figure and the exit status, run in a twin's tree
        whose own image must not count: the image figures are build/win32's."""
        f = {**MET, **changes}
        with tempfile.TemporaryDirectory() as folder:
            twin, shipped = (Path(folder) / tree / "platform" / "win32" / "Setup.exe"
                             for tree in ("win64", "win32"))
            for image, size in ((twin, 1000), (shipped, f["size"])):
                image.parent.mkdir(parents=True)
                image.write_bytes(b"\0" * size)
            measure = mock.Mock(return_value=(f["run"], f["setup"], f["minimal"]),
                                side_effect=RuntimeError("no Wine") if fails else None)
            out = io.StringIO()
            with mock.patch.object(wine_figures, "SHIPPED_IMAGE", shipped), \
                    mock.patch.object(wine_figures, "measure", measure), \
                    mock.patch.object(wine_figures, "p6_instructions", return_value=f["p6"]), \
                    contextlib.redirect_stdout(out):
                status = wine_figures.main(["--build", str(Path(folder) / "win64")]
                                           + ["--smoke"] * smoke)
        # Each figure's line: its name, the figure, its goal in ten places, the verdict.
        verdict = (rf"^({'|'.join(map(re.escape, FIGURES))}).*"
                   r"   goal .{10} (\(not judged\)|missed|met)")
        return dict(re.findall(verdict, out.getvalue(), re.M)), status

    def test_each_figure_against_its_goal(self):
        rows = [
            ("run overhead at its goal, 1.03", dict(run=4635), None, 0),
            ("run overhead past its goal", dict(run=4636), "run overhead", 1),
            ("start-up at its goal, 1.10", dict(setup=110), None, 0),
            ("start-up past its goal", dict(setup=111), "start-up", 1),
            ("image of 84 KiB to the byte", dict(size=86_016), None, 0),
            ("image one byte over 84 KiB", dict(size=86_017), "Setup.exe size", 1),
            ("one P6-only instruction", dict(p6=1), "P6-only", 1),
        ]
        for name, changes, missed, status in rows:
            with self.subTest(name):
                verdicts, got = self.figures(**changes)
                self.assertEqual(verdicts, {n: "missed" if n == missed else "met"
                                            for n in FIGURES})
                self.assertEqual(got, status)

    def test_the_smoke_run_judges_nothing(self):
        verdicts, status = self.figures(smoke=True, run=9000, size=200_000, p6=3)
        self.assertEqual(verdicts, {n: "(not judged)" for n in FIGURES})
        self.assertEqual(status, 0)

    def test_a_figure_not_taken(self):
        self.assertEqual(self.figures(fails=True), ({}, 2))


# scripts/bench in a tree of its own where every build succeeds (or fails) at
# once and each stage ends with the status it is given.
STAND_INS = {
    "build/bench/setup_bench": "#!/bin/sh\nexit $HOST_STATUS\n",
    "bench/wine_figures.py": "import os, sys\nprint('figures', *sys.argv[1:])\n"
                             "sys.exit(int(os.environ['WINE_STATUS']))\n",
    "scripts/wine-road": "#!/bin/sh\necho \"$ROAD: a stand-in\"\n",
    "tools/cmake": "#!/bin/sh\necho \"cmake $*\" >&2\nexit $BUILD_STATUS\n",
    "tools/dpkg-query": "#!/bin/sh\necho 'install ok installed'\n",
}


class BenchScriptTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.root = Path(folder.name)
        (self.root / "scripts").mkdir()
        shutil.copy2(ROOT / "scripts" / "bench", self.root / "scripts" / "bench")
        for relative, text in STAND_INS.items():
            (self.root / relative).parent.mkdir(parents=True, exist_ok=True)
            (self.root / relative).write_text(text)
            (self.root / relative).chmod(0o755)

    def bench(self, build=0, host=0, wine=0, road="native"):
        env = dict(os.environ, BUILD_STATUS=str(build), HOST_STATUS=str(host),
                   WINE_STATUS=str(wine), ROAD=road,
                   PATH=f"{self.root / 'tools'}{os.pathsep}{os.environ['PATH']}")
        return subprocess.run([str(self.root / "scripts" / "bench")], env=env,
                              capture_output=True, text=True)

    def test_exit_status_from_the_stages(self):
        rows = [
            ("every goal met", 0, 0, 0, 0),
            ("a host goal missed", 0, 1, 0, 1),
            ("a goal under Wine missed", 0, 0, 1, 1),
            ("a host benchmark broken", 0, 2, 0, 2),
            ("a figure not taken outweighs a missed goal", 0, 1, 2, 2),
            ("a build failed", 1, 0, 0, 2),
        ]
        for name, build, host, wine, status in rows:
            with self.subTest(name):
                run = self.bench(build, host, wine)
                self.assertEqual(run.returncode, status, run.stdout + run.stderr)

    def test_the_image_figures_come_from_the_shipped_image_on_both_roads(self):
        for road, tree in (("native", "win32"), ("twin", "win64")):
            with self.subTest(road):
                run = self.bench(road=road)
                self.assertIn("cmake --build --preset win32 --target Setup", run.stderr)
                self.assertIn(f"figures --build build/{tree} "
                              "--image build/win32/platform/win32/Setup.exe", run.stdout)


if __name__ == "__main__":
    unittest.main()
