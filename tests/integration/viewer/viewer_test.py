#!/usr/bin/env python3
"""tavrin-viewer on the simulated camera, used as a person uses it.

Keys and pointer moves go through the X server (xdotool); what the viewer
writes is read by programs that know nothing of the SDK: Pillow opens the
snapshots, ffprobe counts the recording's frames. The window title tells
the camera's state. The whole run is made once in English and once in
Japanese (the locale picks the viewer's language, as it does the dialogs').
Runs on the display it is given (ctest starts a virtual one); exits 77
when xdotool, Pillow or ffprobe is missing.
"""
import os
import shutil
import sqlite3
import struct
import subprocess
import sys
import tempfile
import time

try:
    from PIL import Image, ImageStat
except ImportError:
    sys.exit(77)

SENSOR = (656, 494)

# The locale of each run and the words the window title shows in it.
LANGUAGES = [
    ("C.UTF-8", {"recording": "recording", "unplugged": "camera unplugged"}),
    ("ja_JP.UTF-8", {"recording": "録画中", "unplugged": "カメラが外されました"}),
]

# Readout windows added to the camera's size table (its first entry is the
# full sensor): width, height, first column, first line.
STORED_WINDOWS = [(320, 240, 160, 128), (200, 150, 40, 30)]


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True, text=True).stdout.strip()


def press_until(viewer, keys, what, predicate):
    """Presses keys whose action is idempotent until the predicate holds: on
    a loaded machine a key pressed while the window is busy can be lost."""
    for _ in range(3):
        viewer.keys(keys)
        try:
            return wait_for(what, predicate, timeout=5.0)
        except AssertionError:
            pass
    raise AssertionError("timed out waiting for " + what)


def wait_for(what, predicate, timeout=15.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def snapshot_until(viewer, what, predicate, timeout=15.0):
    """Takes snapshots until one shows what the predicate looks for: a
    setting or a key takes effect within a few frames, whose time depends on
    the machine's load."""
    deadline = time.monotonic() + timeout
    picture = None
    while time.monotonic() < deadline:
        picture = viewer.snapshot()
        if predicate(picture):
            return picture
    raise AssertionError("timed out waiting for %s (last snapshot %s, level %.0f)"
                         % (what, picture.size if picture else None, mean_level(picture) if picture else -1))


def add_stored_windows(store, windows):
    """Adds readout windows to camera 0's size table in the settings store
    (an SQLite file of registry keys and values), after the entries there."""
    camera = "Software\\Quenor\\Tavrin860VXRUXSdk\\Camera_00"
    with sqlite3.connect(store, timeout=10) as db:
        prefix = camera + "\\Size_"
        first = db.execute("SELECT count(*) FROM keys WHERE substr(path, 1, ?) = ?", (len(prefix), prefix)).fetchone()[0]
        for index, (width, height, left, top) in enumerate(windows, start=first):
            key = "%s%02d" % (prefix, index)
            db.execute("INSERT INTO keys(path) VALUES (?)", (key,))
            values = {"TH": SENSOR[0], "TV": SENSOR[1], "EH": width, "EV": height, "EHS": left, "EVS": top, "Buf": 1}
            for name, value in values.items():
                db.execute("INSERT INTO vals(key, name, type, data) VALUES (?, ?, 4, ?)",
                           (key, name, struct.pack("<I", value)))


class Viewer:
    def __init__(self, executable, folder, locale):
        self.output = os.path.join(folder, "out")
        self.store = os.path.join(folder, "settings.sqlite3")
        env = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_MESSAGES", "LANGUAGE")}
        env.update(LANG=locale, NO_AT_BRIDGE="1", TAVRIN_REGISTRY=self.store,
                   TAVRIN_SHARED_MEMORY_NAME="TAVRIN_VIEWER_TEST_%d" % os.getpid())
        self.process = subprocess.Popen([executable, "--sim", "0;settle=0", "--output-dir", self.output], env=env)
        self.window = wait_for("the viewer's window", self._find_window)

    def _find_window(self):
        found = subprocess.run(["xdotool", "search", "--name", "^Tavrin Viewer"], capture_output=True, text=True)
        return found.stdout.split()[0] if found.returncode == 0 and found.stdout.split() else None

    def title(self):
        return xdotool("getwindowname", self.window)

    def keys(self, *keys):
        xdotool("windowfocus", "--sync", self.window)
        xdotool("key", "--delay", "50", *keys)

    def type(self, text):
        xdotool("type", "--delay", "30", text)

    def files(self, suffix):
        if not os.path.isdir(self.output):
            return set()
        return {name for name in os.listdir(self.output) if name.endswith(suffix)}

    def new_file(self, suffix, before, *keys):
        self.keys(*keys)
        added = wait_for("a new " + suffix, lambda: self.files(suffix) - before)
        return os.path.join(self.output, sorted(added)[-1])

    def snapshot(self):
        path = self.new_file(".png", self.files(".png"), "ctrl+s")
        # The name may show before the file is whole: wait until Pillow reads it.
        def readable():
            try:
                with Image.open(path) as image:
                    image.load()
                    return image.copy()
            except OSError:
                return None
        return wait_for("a readable " + path, readable)


def mean_level(image):
    return sum(ImageStat.Stat(image.convert("L")).mean)


def run(executable, locale, words):
    folder = tempfile.mkdtemp(prefix="tavrin-viewer-test-")
    viewer = Viewer(executable, folder, locale)
    try:
        wait_for("the camera's name in the title", lambda: viewer.title().startswith("Tavrin Viewer - Tavrin860VX-RUX_01"))
        time.sleep(0.5)  # the first pictures

        # Ctrl+S: a PNG of the whole sensor that an independent reader opens.
        dark = viewer.snapshot()
        assert dark.size == SENSOR, dark.size

        # A setting typed into the panel reaches the camera: a longer
        # exposure makes the simulated scene's next pictures brighter.
        viewer.keys("ctrl+f")
        viewer.type("exposure-lines")
        viewer.keys("Return", "ctrl+a")
        viewer.type("300")
        viewer.keys("Return")
        snapshot_until(viewer, "a brighter picture", lambda picture: mean_level(picture) > mean_level(dark) + 40)

        # Ctrl+R twice: an AVI that ffprobe reads with frames.
        before = viewer.files(".avi")
        viewer.keys("ctrl+r")
        wait_for("the recording in the title", lambda: words["recording"] in viewer.title())
        time.sleep(0.6)  # a dozen frames
        viewer.keys("ctrl+r")
        wait_for("the recording's end", lambda: words["recording"] not in viewer.title())
        avi = os.path.join(viewer.output, sorted(viewer.files(".avi") - before)[-1])
        probe = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                "stream=nb_read_frames,width,height", "-of", "csv=p=0", avi],
                               capture_output=True, text=True)
        width, height, frames = (int(v) for v in probe.stdout.strip().split(","))
        assert (width, height) == SENSOR and frames >= 5, probe.stdout + probe.stderr

        # Unplugging the simulated camera shows in the view, plugging it in again clears it.
        press_until(viewer, "ctrl+shift+d", "camera unplugged", lambda: words["unplugged"] in viewer.title())
        press_until(viewer, "ctrl+shift+a", "the camera back", lambda: words["unplugged"] not in viewer.title())

        # Readout windows stored while the viewer runs become presets (the
        # viewer reads the size table once a second): Alt+2, the first one
        # added, reads out that window; Ctrl+Shift+F the full sensor again.
        add_stored_windows(viewer.store, STORED_WINDOWS)
        for keys, size in (("alt+2", STORED_WINDOWS[0][:2]), ("ctrl+shift+f", SENSOR)):
            for attempt in range(4):  # a key pressed while the window is busy, or before the presets, is lost
                viewer.keys(keys)
                try:
                    snapshot_until(viewer, "a %dx%d picture after %s" % (size + (keys,)),
                                   lambda picture: picture.size == size, timeout=2.0)
                    break
                except AssertionError:
                    if attempt == 3:
                        raise

        # A rectangle dragged on the picture becomes the readout region. In
        # full screen the picture fills the window, fitted and centred.
        viewer.keys("F11")
        time.sleep(0.7)  # without a window manager the size may stay; the picture's layout follows it
        geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", viewer.window).split())
        left, top, w, h = (int(geometry[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        scale = min(w / SENSOR[0], h / SENSOR[1])
        origin = (left + (w - SENSOR[0] * scale) / 2, top + (h - SENSOR[1] * scale) / 2)
        screen = lambda x, y: (round(origin[0] + x * scale), round(origin[1] + y * scale))
        xdotool("mousemove", *screen(100, 80))
        xdotool("mousedown", 1)
        for step in range(1, 6):
            xdotool("mousemove", *screen(100 + 60 * step, 80 + 44 * step))
        xdotool("mouseup", 1)
        region = snapshot_until(viewer, "the dragged region",
                                lambda picture: abs(picture.size[0] - 300) <= 4 and abs(picture.size[1] - 220) <= 4)

        # Ctrl+Q (in full screen too) quits with 0.
        viewer.keys("ctrl+q")
        assert viewer.process.wait(timeout=20) == 0
        print("viewer (%s): snapshot, setting, recording (%d frames), unplug, presets, region %dx%d, quit: passed"
              % (locale, frames, region.size[0], region.size[1]))
    finally:
        if viewer.process.poll() is None:
            viewer.process.kill()
            viewer.process.wait()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    executable = sys.argv[1]
    if not shutil.which("xdotool") or not shutil.which("ffprobe"):
        print("xdotool or ffprobe missing")
        return 77
    for locale, words in LANGUAGES:
        run(executable, locale, words)
    return 0


if __name__ == "__main__":
    sys.exit(main())
