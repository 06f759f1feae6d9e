"""The skin manager and the skinned frame seen from outside, in a Wine virtual desktop (so that
every frame on screen is the program's own): the skin lab's form with all caption buttons is drawn
from the skin, the Tag 99 form and the dialog asking for the foreground keep their own frames, the
system message box is skinned; each window's picture is compared with a golden image."""

import json
import os
import subprocess
import time
import unittest

from download_support import FaultServer, Site, config
from harness import PROJECT, E2ETestCase, Snapshot, build_dir, kill_wineserver, program, screenshot, slow, win_path, wine_popen

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


class GoldenPictures:
    """Pictures of windows compared with the golden ones in tests/e2e/golden/ (a mixin)."""

    def assert_like_golden(self, shot, window, name, client=None):
        """The window's picture equals the golden one, except inside the caption's text band
        (x from 30 to the width less 90, y from 4 to 22), where Wine's font rendering may differ
        between font package versions, and inside `client` (left, top, width, height) when given."""
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
                in_client = client and client[0] <= x < client[0] + client[2] and client[1] <= y < client[1] + client[3]
                if data[i:i + 3] != gdata[i:i + 3] and not (30 <= x < w - 90 and 4 <= y < 22) and not in_client:
                    differing.append((x, y))
        self.assertEqual(differing[:10], [], f"{name}: {len(differing)} pixels differ ({actual})")


class SkinLab(GoldenPictures, E2ETestCase):
    def run_lab(self):
        report = os.path.join(self.work, "report.txt")
        skin = os.path.join(build_dir(), "update", "rc", "skin.lzh")
        if not os.path.isfile(skin):
            raise unittest.SkipTest("the packed skin is not built")
        desktop = wine_popen(["explorer", f"/desktop=skinlab,{DESKTOP[0]}x{DESKTOP[1]}", win_path(program("skinlab")),
                              win_path(skin), win_path(report), "--seconds", "20"])
        self.addCleanup(lambda: desktop.poll() is None and desktop.kill())
        self.addCleanup(kill_wineserver)
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

    def test_every_control_family_on_the_lab_page(self):
        """The lab's page of controls: every control the skin has a family for answers the skin
        query (only the plain scroll-bar controls are left to the system), and the page matches its
        golden picture."""
        shot, windows = self.run_lab()
        page, = [w for w in windows if w["class"] == "TLabControls"]
        left, top, width, height = page["rect"]
        inside = [w for w in windows if w is not page and w["rect"][2] > 0
                  and left <= w["rect"][0] and w["rect"][0] + w["rect"][2] <= left + width
                  and top <= w["rect"][1] and w["rect"][1] + w["rect"][3] <= top + height]
        self.assertGreater(len(inside), 30)
        self.assertEqual([w["class"] for w in inside if not w["skinned"]], ["ScrollBar", "ScrollBar"])
        self.assert_like_golden(shot, page, "skinlab-controls.png")


class UpdaterWindow(GoldenPictures, E2ETestCase):
    def run_updater(self, install, wanted, what):
        """Starts update.exe and the probe on one virtual desktop; returns the probe's first look
        at the visible, skinned window for which wanted(look) holds, and a screenshot taken then."""
        watch = os.path.join(self.work, "watch.jsonl")
        desktop = f"/desktop=updater,{DESKTOP[0]}x{DESKTOP[1]}"
        # A run held mid-download never ends by itself, and a second updater would meet it.
        self.addCleanup(kill_wineserver)
        # The probe goes first: the window of a run without a configuration lasts only 3 s.
        probe = wine_popen(["explorer", desktop, win_path(program("probe")), "watch", "200", win_path(watch),
                            "--appear", "60000"])
        self.addCleanup(lambda: probe.poll() is None and probe.kill())
        started = time.monotonic() + slow(30)
        while time.monotonic() < started and subprocess.run(["pgrep", "-f", "probe.exe"],
                                                            capture_output=True).returncode != 0:
            time.sleep(0.1)
        time.sleep(1)
        updater = wine_popen(["explorer", desktop, win_path(install.file("update.exe"))], cwd=install.path)
        self.addCleanup(lambda: updater.poll() is None and updater.kill())
        shown = None
        deadline = time.monotonic() + slow(90)
        while shown is None and time.monotonic() < deadline:
            time.sleep(0.2)
            try:
                with open(watch, encoding="utf-8") as f:
                    looks = [json.loads(line) for line in f if line.strip()]
            except (FileNotFoundError, ValueError):
                continue
            shown = next((look for look in looks if look.get("visible") and look.get("skinned") == 1
                          and wanted(look)), None)
        self.assertIsNotNone(shown, f"the updater's skinned window was never seen {what}")
        time.sleep(0.3)
        shot = screenshot(os.path.join(self.work, "updater.png"))
        left, top, right, bottom = shown["rect"]
        return shown, shot, {"rect": (left, top, right - left, bottom - top)}

    def test_the_updaters_window_in_its_skin(self):
        """update.exe without a configuration: it shows its report at once and closes after 3 s.
        The frame (borders, caption, title) is compared with the golden picture; the client
        area, whose fonts other tests cover, only for its size."""
        install = self.make_install()
        shown, shot, window = self.run_updater(install, lambda look: len(Snapshot(look).log_lines()) == 2,
                                               "with its report")
        left, top = window["rect"][:2]
        self.assertEqual(shown["client"], [393, 253])
        self.assert_like_golden(shot, window, "updater-frame.png", client=(shown["client_origin"][0] - left,
                                                                           shown["client_origin"][1] - top,
                                                                           393, 253))

    def test_every_control_in_its_skin_during_a_download(self):
        """A run held in the middle of a file: the server sends 41,000 of 102,400 bytes (40 of the
        updater's 1,025-byte pieces) and then nothing.
        Twelve files already up to date fill the log beyond its height, so its scroll bar shows,
        with the line naming the server (and its port) scrolled out of sight. The whole window is
        compared with the golden picture, and every control the skin draws answers the skin query."""
        fault = FaultServer(os.path.join(self.work, "fault")).start()
        self.addCleanup(fault.stop)
        site = Site(os.path.join(self.work, "site"))
        nginx = self.serve(site.path)
        current = [f"current{n:02}.dat" for n in range(12)]
        site.write_lists([f"{name}|{100 + n}|" for n, name in enumerate(current)] + ["data102400.bin|102400|"],
                         [fault.url("stall/41000/")])
        install = self.make_install()
        install.write_config(config(nginx.url))
        for n, name in enumerate(current):
            install.add_file(name, bytes(100 + n))

        def held(look):
            snap = Snapshot(look)
            bar = snap.controls.get("DownLoadProgressBar") or {}
            return (snap.complete() and snap.log_lines()[-1:] == ["data102400.bin正在下载..."]
                    and bar.get("position") == 41000 and snap.field("Edit_DownLoadSize_A") == "40")

        shown, shot, window = self.run_updater(install, held, "holding 40 KB of the file")
        self.assert_like_golden(shot, window, "updater-download.png")
        snap = Snapshot(shown)
        drawn = {c["name"]: c["skinned"] for c in snap.data["controls"] if c["visible"] and c["class"] != "Static"}
        self.assertEqual({name: 1 for name in drawn}, drawn)
        self.assertIn("MemoUpdateLog", drawn)


if __name__ == "__main__":
    unittest.main()
