"""The notification area as a user meets it under Wine, for the start-up and tray scenarios.

Without an X system tray (Xvfb has none), Wine shows tray icons in a small top-level window of
its own, "Wine System Tray" (class __winex11_standalone_tray), one child window per icon (class
__winex11_tray_icon). Balloons are tool-tip windows (class tooltips_class32) of Wine's explorer,
shown about two seconds after the request; their window text is the balloon text. The tray menu
is a top-level menu window (class #32768).

- TrayWatch runs tests/win/programs/traylook.cpp ("watch") beside the updater and records those
  windows every ~150 ms. It also keeps the prefix's explorer (which owns the notification area)
  alive after update.exe has ended, so "no icon left" is looked at in a living notification area.
- icon_picture() classifies the icon's pixels from a screen crop: "failure" (red badge),
  "badge" (green badge), "plain" (the bare computer case) or "none".
- click_icon() / choose_menu_item() drive the tray with the X pointer (xdotool), as a user would.
- BrowserRecorder stands in for the web browser: Wine's ShellExecute of "EXPLORER.EXE <url>"
  runs Wine's explorer, which hands the address to winebrowser, which starts the first program
  of HKCU\\Software\\Wine\\WineBrowser "Browsers". (Wine searches the system folders for
  EXPLORER.EXE before the program's own folder, so a stand-in EXPLORER.EXE beside update.exe is
  never started under Wine.)
"""

import json
import os
import subprocess
import time

from harness import program, slow, wine_env, win_path

BALLOON_TITLE_TEXT = "正在检查更新...\r."
STANDALONE_TRAY = "__winex11_standalone_tray"
TRAY_ICON = "__winex11_tray_icon"
TOOLTIP = "tooltips_class32"
MENU = "#32768"
MENU_ITEMS = ("隐藏窗口", "显示窗口", "强制退出")


class TrayWatch:
    """traylook watch: one JSON line per look at the top-level windows of interest."""

    def __init__(self, work_dir, period_ms=150):
        self.path = os.path.join(work_dir, "tray.watch.jsonl")
        self.stop_path = os.path.join(work_dir, "tray.stop")
        for p in (self.path, self.stop_path):
            if os.path.exists(p):
                os.remove(p)
        self.process = subprocess.Popen(
            ["wine", program("traylook"), "watch", str(period_ms), win_path(self.path), win_path(self.stop_path)],
            env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        self.wait_for(lambda line: True, slow(60), "the tray watch to start")

    def stop(self):
        if self.process.poll() is None:
            with open(self.stop_path, "w"):
                pass
            try:
                self.process.wait(slow(10))
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(5)

    def lines(self):
        try:
            with open(self.path, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return []
        out = []
        for raw in data.split(b"\n")[:-1]:  # the last piece may be incomplete
            try:
                out.append(json.loads(raw.decode("utf-8")))
            except ValueError:
                pass
        return out

    def last(self):
        lines = self.lines()
        return lines[-1] if lines else None

    def wait_for(self, predicate, timeout, what, after=None):
        """The first line (taken after wall time `after`, if given) that satisfies predicate."""
        deadline = time.monotonic() + timeout
        while True:
            for line in self.lines():
                if (after is None or line["t"] > after) and predicate(line):
                    return line
            if time.monotonic() > deadline:
                raise AssertionError(f"waiting for {what}: {timeout:.0f} s passed; last look: {self.last()}")
            if self.process.poll() is not None and not os.path.exists(self.stop_path):
                raise AssertionError(f"waiting for {what}: the tray watch ended")
            time.sleep(0.1)

    # What one line shows

    @staticmethod
    def of_class(line, cls):
        return [w for w in line["tops"] if w["class"] == cls]

    @staticmethod
    def icons(line):
        """Visible icon windows in Wine's visible notification area window."""
        out = []
        for tray in TrayWatch.of_class(line, STANDALONE_TRAY):
            if tray["visible"]:
                out += [c for c in tray.get("children", []) if c["class"] == TRAY_ICON and c["visible"]]
        return out

    @staticmethod
    def balloons(line):
        return [w for w in TrayWatch.of_class(line, TOOLTIP) if w["visible"]]

    @staticmethod
    def menus(line):
        return [w for w in TrayWatch.of_class(line, MENU) if w["visible"]]

    @staticmethod
    def form_visible(line):
        return any(w["visible"] for w in TrayWatch.of_class(line, "TForm1"))

    def wait_icon(self, timeout=None):
        line = self.wait_for(lambda l: len(self.icons(l)) == 1, timeout or slow(30), "one tray icon")
        return self.icons(line)[0]["rect"]

    def assert_no_icon_after(self, testcase, ended_wall, timeout=None):
        """After the process has ended, the notification area soon holds no icon, and stays so."""
        line = self.wait_for(lambda l: not self.icons(l), timeout or slow(10),
                             "the notification area without our icon", after=ended_wall)
        settle = time.time() + 1.0
        while time.time() < settle:
            time.sleep(0.2)
        later = [l for l in self.lines() if l["t"] >= line["t"]]
        testcase.assertTrue(later)
        for l in later:
            testcase.assertEqual(self.icons(l), [], f"an icon came back after the exit: {l}")


# --- Pixels -------------------------------------------------------------------------------------

def crop_pixels(rect):
    """RGB triples of a screen rectangle [left, top, right, bottom], grabbed from the X screen."""
    left, top, right, bottom = rect
    w, h = right - left, bottom - top
    env = wine_env()
    png = subprocess.run(["import", "-display", env["DISPLAY"], "-window", "root", "-crop", f"{w}x{h}+{left}+{top}",
                          "png:-"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30, check=True).stdout
    raw = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, timeout=30, check=True).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw) - 2, 3)]


def picture_counts(pixels):
    red = sum(1 for r, g, b in pixels if r > 140 and r - g > 70 and r - b > 70)
    green = sum(1 for r, g, b in pixels if g > 110 and g - r > 50 and g - b > 30)
    # The computer case: dark slate grey-blue outline and panels.
    case = sum(1 for r, g, b in pixels if b > r + 10 and b >= g and r < 180 and max(r, g, b) - min(r, g, b) > 15)
    return red, green, case


def classify(pixels):
    """Which of the three tray pictures the pixels show: picture 2 "failure", 1 "badge", 0 "plain"."""
    red, green, case = picture_counts(pixels)
    if red >= 20 and green < 5:
        return "failure"
    if green >= 20 and red < 5:
        return "badge"
    if case >= 20 and red < 5 and green < 5:
        return "plain"
    return "none"


def icon_picture(rect):
    return classify(crop_pixels(rect))


# --- Driving the tray like a user --------------------------------------------------------------

def _xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], env=wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30, check=True)


def centre(rect):
    left, top, right, bottom = rect
    return (left + right) // 2, (top + bottom) // 2


def click_at(x, y, button=1):
    _xdotool("mousemove", x, y)
    time.sleep(0.15)
    _xdotool("click", button)


def click_icon(icon_rect, button=1):
    click_at(*centre(icon_rect), button)


def menu_item_point(menu_rect, index, count=len(MENU_ITEMS)):
    """Centre of item `index` of a plain vertical menu of `count` equal items (3-pixel frame)."""
    left, top, right, bottom = menu_rect
    inner = (bottom - top) - 6
    return (left + right) // 2, top + 3 + int(inner * (index + 0.5) / count)


def choose_menu_item(watch, icon_rect, caption):
    """Right button on the icon, then a click on the item of the tray menu with that caption."""
    click_icon(icon_rect, 3)
    line = watch.wait_for(lambda l: len(TrayWatch.menus(l)) == 1, slow(15), "the tray menu", after=time.time() - 0.2)
    menu = TrayWatch.menus(line)[0]
    click_at(*menu_item_point(menu["rect"], MENU_ITEMS.index(caption)))
    return menu


# --- The browser ------------------------------------------------------------------------------

class BrowserRecorder:
    """Makes Wine's winebrowser start a script that records its arguments, one line per start."""

    KEY = "HKCU\\Software\\Wine\\WineBrowser"

    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        self.script = os.path.join(folder, "browser.sh")
        self.record = os.path.join(folder, "browser.txt")

    def install(self):
        with open(self.script, "w") as f:
            f.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + self.record + "'\n")
        os.chmod(self.script, 0o755)
        self._reg("add", self.KEY, "/v", "Browsers", "/d", self.script, "/f")

    def uninstall(self):
        self._reg("delete", self.KEY, "/v", "Browsers", "/f")

    def reset(self):
        if os.path.exists(self.record):
            os.remove(self.record)

    def starts(self):
        try:
            with open(self.record, encoding="utf-8") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    @staticmethod
    def _reg(*args):
        subprocess.run(["wine", "reg"] + list(args), env=wine_env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
