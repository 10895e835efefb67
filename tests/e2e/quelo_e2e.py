#!/usr/bin/python3
"""Runs the real quelo under Xvfb and drives it as a user does, with xdotool.

    quelo_e2e.py BUILD_DIR [SCENARIO...]      (default: every scenario)
    quelo_e2e.py BUILD_DIR --docs-shot PNG    (the drag picture of the README)

Each scenario builds a pack with quelo-pack from PSD files that ImageMagick
writes, starts the program on it, finds what it needs on screenshots (solid
colours) and checks what the user sees, then ends it through "quelo の終了(&X)":
a non-zero status or a sanitizer's report in its output (the ASan build runs
it with leak detection on) fails the scenario. Exits 77 (skipped) when a tool
is missing. To add a scenario: write a function that takes a Session, raises
Failure and ends with Session.finish(), and list it in SCENARIOS.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
TIMEOUT = 30  # seconds for any one wait
SCREEN = "1280x800x24"


class Failure(Exception):
    pass


def need_tools():
    """The reason the run can't happen here, or None."""
    for tool in ("xvfb-run", "xdotool", "import", "convert"):
        if not shutil.which(tool):
            return tool + " is not installed"
    try:
        import PIL  # noqa: F401
    except ImportError:
        return "Pillow (python3-pil) is not installed"
    return None


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, timeout=TIMEOUT, **kw).stdout


def wait_until(what, probe, timeout=TIMEOUT):
    """Calls probe until it returns something true; fails after timeout seconds."""
    end = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.1)


class Box:
    """A rectangle on the screen: left, top, right, bottom (exclusive)."""

    def __init__(self, bbox):
        self.left, self.top, self.right, self.bottom = bbox

    width = property(lambda self: self.right - self.left)
    height = property(lambda self: self.bottom - self.top)
    centre = property(lambda self: ((self.left + self.right) // 2, (self.top + self.bottom) // 2))

    def __repr__(self):
        return "%dx%d at (%d, %d)" % (self.width, self.height, self.left, self.top)


class Session:
    """One program on one pack inside the running X server."""

    def __init__(self, build, work):
        self.build, self.work = build, work
        self.program = None

    # ---- the pack -----------------------------------------------------------
    def make_pack(self, name, images):
        """images: (file name, width, height, '#rrggbb') of solid, opaque PSDs;
        '#rrggbbaa' makes a PSD with that alpha everywhere."""
        folder = os.path.join(self.work, "pack")
        os.makedirs(folder)
        for file, width, height, colour in images:
            kind = "TrueColorAlpha" if len(colour) == 9 else "TrueColor"
            run("convert", "-size", "%dx%d" % (width, height), "xc:" + colour, "-depth", "8",
                "-type", kind, "-compress", "RLE", os.path.join(folder, file))
        definition = os.path.join(self.work, "pack.txt")
        with open(definition, "w", encoding="utf-8") as f:
            f.write("[pack]\nname = %s\n" % name)
        exe = os.path.join(self.work, "quelo")
        run(os.path.join(self.build, "quelo-pack"), os.path.join(self.build, "quelo"), folder, definition, "-o", exe)
        return exe

    # ---- the program --------------------------------------------------------
    def start(self, exe, title):
        """Starts exe and waits until its window shows title (the pack is loaded)."""
        # Its messages go to a file: a pipe nobody reads could fill and stop it.
        self.log = os.path.join(self.work, "quelo.log")
        # In the ASan build, what only system libraries leak is excused as in the test command.
        env = dict(os.environ)
        if "suppressions=" not in env.get("LSAN_OPTIONS", ""):
            supp = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lsan.supp")
            env["LSAN_OPTIONS"] = ":".join(filter(None, [env.get("LSAN_OPTIONS"), "suppressions=" + os.path.normpath(supp)]))
        with open(self.log, "wb") as log:
            self.program = subprocess.Popen([exe], stdout=log, stderr=subprocess.STDOUT, env=env)
        self.window = self.wait_window(title)

    def wait_window(self, title):
        """The id of a visible window whose name matches the regular expression
        title (a message box, a dialog), once it has had time to paint."""
        try:
            out = run("xdotool", "search", "--sync", "--onlyvisible", "--name", title)
        except subprocess.TimeoutExpired:
            self.check_running()
            raise Failure("no window named %r within %d seconds" % (title, TIMEOUT))
        time.sleep(0.5)
        return out.split()[0].decode()

    def window_origin(self):
        """Where the top left corner of the main window's inside lies on the
        screen (xdotool's geometry is off by the frame under some managers)."""
        run("xdotool", "mousemove", "--window", self.window, "0", "0")
        where = dict(item.split(":") for item in run("xdotool", "getmouselocation").decode().split())
        return int(where["x"]), int(where["y"])

    @staticmethod
    def visible(title):
        """The ids of the visible windows whose names match title."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                               capture_output=True, timeout=TIMEOUT)
        return found.stdout.decode().split()

    def wait_gone(self, title):
        """Waits until no visible window's name matches title."""
        wait_until("the window %r to close" % title, lambda: not self.visible(title))

    def key(self, *keys):
        """Keys pressed in the window that has the focus, one after another."""
        for k in keys:
            run("xdotool", "key", k)
            time.sleep(0.3)

    def menu(self, access, entry):
        """Opens a menu of the main window by its access key and chooses an entry by its own."""
        try:
            run("xdotool", "windowactivate", "--sync", self.window)
        except subprocess.CalledProcessError:  # no window manager to ask
            run("xdotool", "windowfocus", "--sync", self.window)
        self.key("alt+" + access, entry)

    def finish(self):
        """Ends the program through "quelo の終了(&X)" and fails when it does not
        end cleanly: a non-zero status, or a sanitizer's report in its output
        (the ASan build runs with leak detection on)."""
        self.menu("f", "x")
        try:
            status = self.program.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("quelo did not end within %d seconds of \"quelo の終了(&X)\"" % TIMEOUT)
        with open(self.log, encoding="utf-8", errors="replace") as log:
            output = log.read()
        for report in ("ERROR: LeakSanitizer", "ERROR: AddressSanitizer", "runtime error:"):
            if report in output:
                at = output.index(report)
                raise Failure("quelo's output holds a sanitizer report:\n" + output[max(0, at - 200):at + 4000])
        if status != 0:
            raise Failure("quelo ended with status %d: %s" % (status, output[-2000:]))

    def stop(self):
        if self.program and self.program.poll() is None:
            self.program.terminate()
            try:
                self.program.wait(5)
            except subprocess.TimeoutExpired:
                self.program.kill()
                self.program.wait()

    def check_running(self):
        if self.program.poll() is not None:
            with open(self.log, encoding="utf-8", errors="replace") as log:
                raise Failure("quelo ended with status %s: %s" % (self.program.returncode, log.read()[-2000:]))

    # ---- the screen ---------------------------------------------------------
    def screenshot(self, name=None):
        """The whole screen; kept as NAME.png in $QUELO_E2E_SHOTS when both are given."""
        from PIL import Image
        import io
        shot = Image.open(io.BytesIO(run("import", "-window", "root", "png:-"))).convert("RGB")
        if name and os.environ.get("QUELO_E2E_SHOTS"):
            shot.save(os.path.join(os.environ["QUELO_E2E_SHOTS"], name + ".png"))
        return shot

    @staticmethod
    def mask(shot, colour, outside=()):
        """255 where the screen shows exactly colour (r, g, b), 0 elsewhere and
        inside the given boxes."""
        from PIL import ImageChops
        channels = [c.point(lambda v, want=want: 255 if v == want else 0) for c, want in zip(shot.split(), colour)]
        mask = ImageChops.multiply(ImageChops.multiply(channels[0], channels[1]), channels[2])
        for box in outside:
            mask.paste(0, (box.left, box.top, box.right, box.bottom))
        return mask

    @staticmethod
    def find(shot, colour, outside=()):
        """The bounding box of the pixels of exactly colour, leaving out the
        given boxes; None when there is none."""
        bbox = Session.mask(shot, colour, outside).getbbox()
        return Box(bbox) if bbox else None

    # ---- the mouse ----------------------------------------------------------
    def double_click(self, x, y):
        run("xdotool", "mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "80", "1")

    def drag(self, start, end, steps=12, before_release=None):
        """Press at start, move to end in steps, optionally look, release."""
        run("xdotool", "mousemove", str(start[0]), str(start[1]), "mousedown", "1")
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            run("xdotool", "mousemove", str(x), str(y))
            time.sleep(0.05)
        time.sleep(0.3)
        looked = before_release() if before_release else None
        run("xdotool", "mouseup", "1")
        return looked


RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)


def canvas(s, colours, previews, name=None):
    """The boxes of the given colours on the canvas (outside the previews), or
    None while one of them is missing."""
    shot = s.screenshot(name)
    boxes = [s.find(shot, c, previews) for c in colours]
    return boxes if all(boxes) else None


def find_previews(s, colours):
    shot = s.screenshot("start")
    boxes = [s.find(shot, c) for c in colours]
    if not all(boxes):
        raise Failure("previews of %s: %s" % (colours, boxes))
    return boxes


def dragdrop(s):
    """Two previews double-clicked into the strip, a third dragged between them."""
    exe = s.make_pack("E2E ドラッグ", [("a.psd", 32, 32, "#ff0000"), ("b.psd", 40, 32, "#00ff00"),
                                     ("c.psd", 48, 32, "#0000ff")])
    s.start(exe, r"Quelo - \[E2E")
    previews = find_previews(s, (RED, GREEN, BLUE))
    s.double_click(*previews[0].centre)
    s.double_click(*previews[1].centre)
    red, green = wait_until("the first two images on the canvas", lambda: canvas(s, (RED, GREEN), previews))
    if (red.width, green.width, red.right) != (32, 40, green.left):
        raise Failure("canvas after two double clicks: red %s, green %s" % (red, green))

    # Red OR NOT red is white, red OR NOT green is magenta. The drag picture
    # hangs below and right of the pointer, clear of the marker.
    want = ((255, 255, 255), (255, 0, 255))
    seen = []

    def marker():
        shot = s.screenshot("dragdrop-marker")
        seen[:] = shot.getpixel((red.right - 1, red.top + 2)), shot.getpixel((green.left, green.top + 2))
        return tuple(seen) == want

    def look():
        try:
            wait_until("the marker", marker, timeout=10)
        except Failure:
            pass

    # Into green's left half: the gap between red and green, marker at x = 32.
    s.drag(previews[2].centre, (green.left + 8, green.top + 4), before_release=look)
    if tuple(seen) != want:
        raise Failure("the marker between red and green shows %s, %s" % tuple(seen))
    red, blue, green = wait_until("the dropped image on the canvas",
                                  lambda: canvas(s, (RED, BLUE, GREEN), previews, "dragdrop-after"))
    if (red.width, blue.width, green.width) != (32, 48, 40) or red.right != blue.left or blue.right != green.left:
        raise Failure("canvas after the drop: red %s, blue %s, green %s" % (red, blue, green))
    s.finish()


def drop_asks_height(s):
    """A taller image dropped on the strip asks for the height; the answer
    given with the keyboard reaches the box while the drop is under way."""
    exe = s.make_pack("E2E 高さ", [("a.psd", 32, 32, "#ff0000"), ("b.psd", 48, 48, "#0000ff")])
    s.start(exe, r"Quelo - \[E2E")
    previews = find_previews(s, (RED, BLUE))
    s.double_click(*previews[0].centre)
    (red,) = wait_until("the first image on the canvas", lambda: canvas(s, (RED,), previews))
    s.drag(previews[1].centre, (red.right - 4, red.top + 4))
    s.wait_window("イメージの高さ")
    run("xdotool", "key", "alt+y")  # はい(&Y)
    s.wait_gone("イメージの高さ")
    red, blue = wait_until("the dropped image", lambda: canvas(s, (RED, BLUE), previews, "height-after"))
    if (red.width, red.height, blue.left, blue.width, blue.height) != (32, 32, red.right, 48, 48):
        raise Failure("canvas after the drop: red %s, blue %s" % (red, blue))
    s.finish()


def strip_drag_out(s):
    """A click selects an image of the strip; pressed again and moved, it drags
    the strip picture (seen beside the pointer); nothing here takes it."""
    exe = s.make_pack("E2E 持ち出し", [("a.psd", 32, 32, "#ff0000"), ("b.psd", 40, 32, "#00ff00")])
    s.start(exe, r"Quelo - \[E2E")
    previews = find_previews(s, (RED, GREEN))
    s.double_click(*previews[0].centre)
    s.double_click(*previews[1].centre)
    red, green = wait_until("the strip", lambda: canvas(s, (RED, GREEN), previews))
    run("xdotool", "mousemove", str(green.left + 10), str(green.top + 10), "click", "1")
    time.sleep(0.3)
    away = (green.left + 10, green.bottom + 60)

    def dragged():
        # The drag picture: the strip once more, below the canvas.
        try:
            return wait_until("the strip's picture at the pointer", lambda: canvas(
                s, (RED, GREEN), previews + [red, green], "strip-drag-out"), timeout=10)
        except Failure:
            return None

    seen = s.drag((green.left + 10, green.top + 10), away, before_release=dragged)
    if not seen or (seen[0].width, seen[1].width, seen[0].right) != (32, 40, seen[1].left):
        raise Failure("no picture of the strip follows the pointer: %s" % seen)
    time.sleep(0.3)
    after = canvas(s, (RED, GREEN), previews, "strip-drag-out-after")
    if not after or (after[0].left, after[1].left) != (red.left, green.left):
        raise Failure("the strip changed after its picture was dragged: %s" % after)
    s.finish()


WHITE = (255, 255, 255)


def over(colour, alpha, under=WHITE):
    """colour with alpha (0..255) over under, each component rounded to the nearest."""
    return tuple((2 * (c * alpha + u * (255 - alpha)) + 255) // 510 for c, u in zip(colour, under))


def save_as(s):
    """Two previews double-clicked, a third (half transparent) dragged between
    them, the strip saved through the real file dialog: the BMP, read with
    Pillow, is the strip the three images make on the white background."""
    exe = s.make_pack("E2E 保存", [("a.psd", 32, 32, "#ff0000"), ("b.psd", 40, 24, "#00ff00"),
                                  ("c.psd", 48, 32, "#0000ff80")])
    s.start(exe, r"Quelo - \[E2E")
    light_blue = over(BLUE, 0x80)
    previews = find_previews(s, (RED, GREEN, light_blue))
    s.double_click(*previews[0].centre)
    s.double_click(*previews[1].centre)
    s.wait_window("イメージの高さ")  # 24 high on a strip of 32: keep the strip's height
    s.key("alt+n")  # いいえ(&N)
    s.wait_gone("イメージの高さ")
    red, green = wait_until("the first two images on the canvas", lambda: canvas(s, (RED, GREEN), previews))
    s.drag(previews[2].centre, (green.left + 8, green.top + 4))
    wait_until("the dropped image on the canvas", lambda: canvas(s, (RED, light_blue, GREEN), previews, "save-strip"))

    target = os.path.join(s.work, "strip.bmp")
    s.menu("f", "a")  # ファイル(&F), 名前を付けて保存(&A)
    dialog = s.wait_window("^ビットマップを保存$")
    run("xdotool", "type", "--delay", "20", target)
    time.sleep(0.3)
    s.screenshot("save-dialog")
    s.key("Return")
    # The question has the dialog's title.
    asked = lambda: [w for w in s.visible("^ビットマップを保存$") if w != dialog]  # noqa: E731
    try:
        wait_until("the question whether to create the file", asked, timeout=5)
    except Failure:
        s.check_running()
        # The first Return may only have closed the name completion's list.
        if dialog in s.visible("^ビットマップを保存$"):
            s.key("Return")
        wait_until("the question whether to create the file", asked)
    s.screenshot("save-question")
    s.key("alt+y")  # はい(&Y)
    s.wait_gone("^ビットマップを保存$")
    wait_until("the saved file", lambda: os.path.exists(target))

    from PIL import Image
    want = Image.new("RGB", (32 + 48 + 40, 32), WHITE)
    want.paste(RED, (0, 0, 32, 32))
    want.paste(light_blue, (32, 0, 80, 32))
    want.paste(GREEN, (80, 0, 120, 24))  # the shorter image leaves the background below it
    got = Image.open(target)
    if got.format != "BMP" or got.size != want.size:
        raise Failure("saved %s %s, expected a BMP of %s" % (got.format, got.size, want.size))
    got = got.convert("RGB")
    for y in range(want.height):
        for x in range(want.width):
            if got.getpixel((x, y)) != want.getpixel((x, y)):
                raise Failure("saved pixel (%d, %d) is %s, expected %s" % (x, y, got.getpixel((x, y)), want.getpixel((x, y))))
    s.finish()


def full_strip(s):
    """The whole life of the program for the leak check: start, a full strip of
    20, the version, pack and file information windows, the end through the menu."""
    exe = s.make_pack("E2E 二十", [("a.psd", 16, 16, "#ff0000"), ("b.psd", 16, 16, "#00ff00")])
    s.start(exe, r"Quelo - \[E2E")
    previews = find_previews(s, (RED, GREEN))
    for i in range(20):
        s.double_click(*previews[i % 2].centre)

    def full():
        shot = s.screenshot("full-strip")
        counts = [s.mask(shot, c, previews).histogram()[255] for c in (RED, GREEN)]
        return counts == [10 * 16 * 16] * 2
    wait_until("20 images on the canvas", full)

    s.menu("h", "a")  # ヘルプ(&H), Quelo のバージョン情報(&A)
    s.wait_window("^quelo のバージョン情報$")
    s.key("Escape")
    s.wait_gone("^quelo のバージョン情報$")
    s.menu("h", "p")  # パッケージのプロパティ(&P)
    s.wait_window("^パッケージ E2E 二十 の情報$")
    s.key("Escape")
    s.wait_gone("^パッケージ E2E 二十 の情報$")
    run("xdotool", "mousemove", str(previews[1].centre[0]), str(previews[1].centre[1]), "click", "1")
    time.sleep(0.3)
    s.menu("h", "i")  # ファイルのプロパティ(&I): a window that stays open beside the main one
    s.wait_window("^quelo のバージョン情報$")
    s.finish()


SCENARIOS = {"dragdrop": dragdrop, "drop_asks_height": drop_asks_height, "strip_drag_out": strip_drag_out,
             "save_as": save_as, "full_strip": full_strip}


def docs_shot(s, path):
    """The sample pack with four icons in the strip and the raindrop dragged
    between the second and the third, the marker showing: 760 x 560 pixels
    around the window, as docs/screenshot.png is."""
    from PIL import ImageChops, Image
    s.start(os.path.join(s.build, "quelo-sample"), "サンプル")
    # Centres of sun, leaf, flower and star in the window (the raindrop's is at 50, 140).
    for y in (82, 258, 322, 388):
        run("xdotool", "mousemove", "--window", s.window, "50", str(y), "click", "--repeat", "2", "--delay", "80", "1")
        time.sleep(0.3)
    time.sleep(0.5)
    x, y = s.window_origin()
    shot = s.screenshot("docs-strip")
    # The canvas: what is not the frame's grey in the middle of the strip area.
    area = (x + 110, y + 180, x + 630, y + 440)
    middle = shot.crop(area)
    inside = ImageChops.difference(middle, Image.new("RGB", middle.size, (171, 171, 171))).getbbox()
    canvas = Box((area[0] + inside[0], area[1] + inside[1], area[0] + inside[2], area[1] + inside[3]))
    if (canvas.width, canvas.height) != (192, 48):
        raise Failure("the sample strip is %s" % canvas)
    centre = (x + 652 // 2, y + 479 // 2)

    def grab():
        s.screenshot().crop((centre[0] - 380, centre[1] - 290, centre[0] + 380, centre[1] + 270)).save(path)

    # Over the flower's left half: the gap after the leaf, at x = 96.
    s.drag((x + 50, y + 140), (canvas.left + 102, canvas.top + 40), before_release=grab)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    reason = need_tools()
    if reason:
        print("skipped: " + reason)
        return SKIP
    build = os.path.abspath(sys.argv[1])
    if not os.environ.get("QUELO_E2E_INSIDE"):
        env = dict(os.environ, QUELO_E2E_INSIDE="1")
        env.pop("QT_QPA_PLATFORM", None)
        return subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 " + SCREEN, sys.executable] + sys.argv,
                              env=env).returncode
    wm = None
    if shutil.which("openbox"):
        wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)
    failed = 0
    try:
        if len(sys.argv) > 3 and sys.argv[2] == "--docs-shot":
            with tempfile.TemporaryDirectory() as work:
                s = Session(build, work)
                try:
                    docs_shot(s, os.path.abspath(sys.argv[3]))
                finally:
                    s.stop()
            return 0
        names = sys.argv[2:] or list(SCENARIOS)
        for name in names:
            with tempfile.TemporaryDirectory() as work:
                s = Session(build, work)
                try:
                    SCENARIOS[name](s)
                    print("PASS   " + name)
                except (Failure, subprocess.SubprocessError) as e:
                    failed += 1
                    print("FAIL   %s: %s" % (name, e))
                finally:
                    s.stop()
        print("e2e: %d passed, %d failed" % (len(names) - failed, failed))
    finally:
        if wm:
            wm.terminate()
            wm.wait()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
