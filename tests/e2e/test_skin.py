"""The skin manager and the skinned frame seen from outside, in a Wine virtual desktop (so that
every frame on screen is the program's own): the skin lab's form with all caption buttons is drawn
from the skin, the Tag 99 form and the dialog asking for the foreground keep their own frames, the
system message box is skinned; each window's picture is compared with a golden image."""

import os
import subprocess
import time
import unittest

from harness import PROJECT, E2ETestCase, build_dir, program, screenshot, slow, win_path, wine_popen

GOLDEN = os.path.join(PROJECT, "tests", "e2e", "golden")
DESKTOP = (800, 600)


def pixels(png, crop=None):
    """(width, height, RGB bytes) of a PNG, or of the crop (left, top, width, height) of it."""
    args = ["convert", png]
    if crop:
        args += ["-crop", "{2}x{3}+{0}+{1}".format(*crop), "+repage"]
    size = subprocess.run(args + ["-format", "%w %h", "info:"], capture_output=True, text=True,
                          check=True, timeout=60).stdout.split()
    data = subprocess.run(args + ["-depth", "8", "rgb:-"], capture_output=True, check=True, timeout=60).stdout
    return int(size[0]), int(size[1]), data


def save_crop(png, crop, path):
    subprocess.run(["convert", png, "-crop", "{2}x{3}+{0}+{1}".format(*crop), "+repage", path],
                   check=True, timeout=60)


class SkinLab(E2ETestCase):
    def run_lab(self):
        report = os.path.join(self.work, "report.txt")
        skin = os.path.join(build_dir(), "update", "rc", "skin.lzh")
        if not os.path.isfile(skin):
            raise unittest.SkipTest("the packed skin is not built")
        desktop = wine_popen(["explorer", f"/desktop=skinlab,{DESKTOP[0]}x{DESKTOP[1]}", win_path(program("skinlab")),
                              win_path(skin), win_path(report), "--seconds", "20"])
        self.addCleanup(lambda: desktop.poll() is None and desktop.kill())
        deadline = time.monotonic() + slow(60)
        while not os.path.isfile(report) and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertTrue(os.path.isfile(report), "the skin lab never reported its windows")
        time.sleep(0.5)
        shot = screenshot(os.path.join(self.work, "skinlab.png"))
        windows = []
        with open(report, encoding="ascii") as f:
            for line in f.read().splitlines():
                cls, query, region, rect, client = line.split("\t")
                l, t, r, b = map(int, rect.split(","))
                windows.append({"class": cls, "skinned": int(query) == 1, "region": region == "1",
                                "rect": (l, t, r - l, b - t), "client": tuple(map(int, client.split(",")))})
        return shot, windows

    def assert_like_golden(self, shot, window, name):
        """The window's picture equals the golden one, except inside the caption's text band
        (x from 30 to the width less 90, y from 4 to 22), where Wine's font rendering may differ
        between font package versions."""
        golden = os.path.join(GOLDEN, name)
        actual = os.path.join(self.work, name)
        save_crop(shot, window["rect"], actual)
        if not os.path.isfile(golden):
            self.fail(f"no golden image {golden}; this run's picture is {actual}")
        gw, gh, gdata = pixels(golden)
        w, h, data = pixels(actual)
        self.assertEqual((w, h), (gw, gh), f"{name}: size differs from the golden image ({actual})")
        differing = []
        for y in range(h):
            for x in range(w):
                i = (y * w + x) * 3
                if data[i:i + 3] != gdata[i:i + 3] and not (30 <= x < w - 90 and 4 <= y < 22):
                    differing.append((x, y))
        self.assertEqual(differing[:10], [], f"{name}: {len(differing)} pixels differ ({actual})")

    def test_frames_of_the_lab_windows(self):
        shot, windows = self.run_lab()
        by_class = {}
        for w in windows:
            by_class.setdefault(w["class"], []).append(w)
        main, = by_class["TLabMain"]
        tagged, = by_class["TLabTagged"]
        self.assertTrue(main["skinned"] and main["region"], main)
        self.assertEqual(main["client"], (300, 160), "the skinned frame keeps the client size")
        self.assertFalse(tagged["skinned"] or tagged["region"], tagged)
        dialogs = sorted(by_class["#32770"], key=lambda w: w["skinned"])
        self.assertEqual([d["skinned"] for d in dialogs], [False, True],
                         "the DS_SETFOREGROUND dialog keeps its frame, the message box is skinned")
        self.assertFalse(any(w["skinned"] for w in by_class.get("TApplication", [])))
        self.assert_like_golden(shot, main, "skinlab-main.png")
        self.assert_like_golden(shot, dialogs[1], "skinlab-messagebox.png")
        self.assert_like_golden(shot, tagged, "skinlab-tagged.png")


if __name__ == "__main__":
    unittest.main()
