#!/usr/bin/python3
"""Runs the real quelo under Xvfb and drives it as a user does, with xdotool.

    quelo_e2e.py BUILD_DIR [SCENARIO...]      (default: every scenario)
    quelo_e2e.py BUILD_DIR --docs-shot PNG    (the drag picture of the README)

Each scenario packs solid PSDs with quelo-pack, starts the program, finds what
it needs on screenshots by colour, checks what the user sees, and ends through
"quelo の終了(&X)": a non-zero status or a sanitizer's report fails it. A scenario
is a function of a Session that raises Failure. Exits 77 when a tool is missing.
With dbus-run-session, at-spi2-core and gir1.2-atspi-2.0 the whole run has a
D-Bus session and an accessibility bus, through which the English run reads
every text of the program.

"""

import collections
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

try:
    from PIL import Image, ImageChops
except ImportError:
    Image = None
# The accessibility tree (AT-SPI): what the windows show, read as a screen reader does.
try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError):
    Atspi = None

SKIP, TIMEOUT, SCREEN = 77, 30, "1280x800x24"
A11Y_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

# The question before a changed strip is thrown away has the program's title.
UNSAVED = "^quelo$"
RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)


class Failure(Exception):
    pass


def run(*args):
    return subprocess.run([str(a) for a in args], check=True, capture_output=True, timeout=TIMEOUT).stdout


def wait_until(what, probe, timeout=TIMEOUT, must=True):
    """probe()'s first true result; after timeout seconds a Failure, or None if not must."""
    end = time.monotonic() + timeout
    while not (result := probe()) and time.monotonic() < end:
        time.sleep(0.1)
    if result or not must:
        return result
    raise Failure("timed out waiting for " + what)


def over(colour, alpha, under=WHITE):
    """colour with alpha (0..255) over under, each component rounded to the nearest."""
    return tuple((2 * (c * alpha + u * (255 - alpha)) + 255) // 510 for c, u in zip(colour, under))


class Box(collections.namedtuple("Box", "left top right bottom")):
    """A rectangle on the screen, right and bottom exclusive."""
    width = property(lambda b: b.right - b.left)
    height = property(lambda b: b.bottom - b.top)
    centre = property(lambda b: ((b.left + b.right) // 2, (b.top + b.bottom) // 2))
    at = lambda b, dx, dy: (b.left + dx, b.top + dy)  # noqa: E731


def in_row(boxes, widths):
    """Whether the boxes have these widths and touch one after another."""
    return [b.width for b in boxes] == list(widths) and all(a.right == b.left for a, b in zip(boxes, boxes[1:]))


def visible(title):
    """The ids of the visible windows whose names match the regular expression title."""
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                          capture_output=True, timeout=TIMEOUT).stdout.decode().split()


def mask(shot, colour, outside=()):
    """255 where the screenshot shows exactly colour, 0 elsewhere and inside the boxes."""
    r, g, b = (c.point(lambda v, want=want: 255 if v == want else 0) for c, want in zip(shot.split(), colour))
    found = ImageChops.multiply(ImageChops.multiply(r, g), b)
    for box in outside:
        found.paste(0, box)
    return found


def find(shot, colour, outside=()):
    """The bounding box of the pixels of exactly colour outside the boxes, or None."""
    bbox = mask(shot, colour, outside).getbbox()
    return Box(*bbox) if bbox else None


class Session:
    """One program inside the running X server."""

    def __init__(self, build, work):
        self.build, self.work, self.program, self.previews = build, work, None, []

    def start_pack(self, name, images, lang="ja"):
        """Packs images (width, height, '#rrggbb[aa]') as solid PSDs, starts the pack
        and returns the previews' boxes, found by their colours over white."""
        folder = os.path.join(self.work, "pack")
        os.makedirs(folder)
        colours = []
        for i, (width, height, colour) in enumerate(images):
            run("convert", "-size", "%dx%d" % (width, height), "xc:" + colour, "-depth", "8", "-type",
                "TrueColorAlpha" if len(colour) == 9 else "TrueColor", "-compress", "RLE",
                os.path.join(folder, "%c.psd" % (ord("a") + i)))
            rgba = [int(colour[k:k + 2], 16) for k in range(1, len(colour), 2)] + [255]
            colours.append(over(rgba[:3], rgba[3]))
        definition, exe = os.path.join(self.work, "pack.txt"), os.path.join(self.work, "quelo")
        with open(definition, "w", encoding="utf-8") as f:
            f.write("[pack]\nname = E2E %s\n" % name)
        run(os.path.join(self.build, "quelo-pack"), os.path.join(self.build, "quelo"), folder, definition, "-o", exe)
        self.start(exe, r"Quelo - \[E2E", lang=lang)
        self.previews = self.canvas("the previews", colours, name="start")
        return self.previews

    def start(self, exe, title, *args, lang="ja"):
        """Starts exe in lang and waits until its window shows title (the pack is loaded).
        Its output goes to a file (a pipe nobody reads could stop it); in the ASan
        build what system libraries leak is excused as in the test command."""
        self.log = os.path.join(self.work, "quelo.log")
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.work, "config"))  # a new user's settings
        if accessible() and lang != "ja":
            env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"  # read by the English run
        if "suppressions=" not in env.get("LSAN_OPTIONS", ""):
            supp = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lsan.supp"))
            env["LSAN_OPTIONS"] = ":".join(filter(None, [env.get("LSAN_OPTIONS"), "suppressions=" + supp]))
        with open(self.log, "wb") as log:
            self.program = subprocess.Popen([exe, "--lang", lang, *args], stdout=log, stderr=subprocess.STDOUT, env=env)

        self.window = self.wait_window(title)

    def output(self):
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return log.read()

    def check_running(self):
        if self.program.poll() is not None:
            raise Failure("quelo ended with status %s: %s" % (self.program.returncode, self.output()[-2000:]))

    def finish(self, unsaved=False):
        """Ends through "quelo の終了(&X)", letting an unsaved strip go (いいえ(&N));
        fails on a non-zero status or a sanitizer's report."""
        self.menu("f", "x")
        if unsaved:
            self.answer(UNSAVED, "alt+n")
        self.ended()

    def ended(self):
        try:
            status = self.program.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("quelo did not end within %d seconds of \"quelo の終了(&X)\"" % TIMEOUT)
        output = self.output()
        report = re.search("ERROR: (Leak|Address)Sanitizer|runtime error:", output)
        if report:
            raise Failure("quelo's output holds a sanitizer report:\n" + output[max(0, report.start() - 200):][:4200])
        if status != 0:
            raise Failure("quelo ended with status %d: %s" % (status, output[-2000:]))

    def stop(self):
        if self.program and self.program.poll() is None:
            self.program.kill()
            self.program.wait()

    def wait_window(self, title):
        """The id of a visible window whose name matches title, once it has had time to paint."""
        found = wait_until("a window named %r" % title, lambda: self.check_running() or visible(title))
        time.sleep(0.5)
        return found[0]

    def wait_gone(self, title):
        wait_until("the window %r to close" % title, lambda: not visible(title))

    def key(self, *keys):
        """Keys pressed one after another in the window that has the focus."""
        for k in keys:
            run("xdotool", "key", k)
            time.sleep(0.3)

    def answer(self, title, *keys):
        """Waits for the window title, presses keys in it and waits until it closes."""
        self.wait_window(title)
        self.key(*keys)
        self.wait_gone(title)

    def menu(self, access, entry):
        """Chooses a main window's menu entry by the access keys of menu and entry."""
        try:
            run("xdotool", "windowactivate", "--sync", self.window)
        except subprocess.CalledProcessError:  # no window manager to ask
            run("xdotool", "windowfocus", "--sync", self.window)
        self.key("alt+" + access, entry)

    def screenshot(self, name=None):
        """The whole screen; kept as NAME.png in $QUELO_E2E_SHOTS when both are given."""
        shot = Image.open(io.BytesIO(run("import", "-window", "root", "png:-"))).convert("RGB")
        if name and os.environ.get("QUELO_E2E_SHOTS"):
            shot.save(os.path.join(os.environ["QUELO_E2E_SHOTS"], name + ".png"))
        return shot

    def canvas(self, what, colours, widths=None, name=None, outside=(), timeout=TIMEOUT, must=True):
        """The boxes of the colours once all show outside the previews and the boxes
        outside, in a row of these widths when given (a repaint may be half done)."""
        seen = []

        def probe():
            shot = self.screenshot(name)
            seen[:] = [find(shot, c, self.previews + list(outside)) for c in colours]
            return all(seen) and (widths is None or in_row(seen, widths)) and list(seen)
        found = wait_until(what, probe, timeout, must=False)
        if found or not must:
            return found
        raise Failure("timed out waiting for %s; seen %s" % (what, seen))

    def click(self, x, y):
        run("xdotool", "mousemove", x, y, "click", 1)
        time.sleep(0.6)  # past the double-click time: the next press is one of its own

    def add(self, *previews):
        """Double-clicks the previews of these indices into the strip."""
        for i in previews:
            run("xdotool", "mousemove", *self.previews[i].centre, "click", "--repeat", 2, "--delay", 80, 1)

    def save_as(self, target, from_menu=True):
        """Saves the strip through the real file dialog under the name target;
        the dialog is opened from the menu, or is already on its way."""
        title = "^ビットマップを保存$"
        if from_menu:
            self.menu("f", "a")  # ファイル(&F), 名前を付けて保存(&A)
        dialog = self.wait_window(title)
        run("xdotool", "type", "--delay", 20, target)
        time.sleep(0.3)
        self.key("Return")
        # The question whether to create the file has the dialog's title.
        asked = lambda: [w for w in visible(title) if w != dialog]  # noqa: E731
        if not wait_until("the question", asked, 5, must=False):
            self.check_running()
            if dialog in visible(title):  # the first Return only closed the name completion's list
                self.key("Return")
            wait_until("the question whether to create the file", asked)
        self.screenshot("save-question")
        self.key("alt+y")  # はい(&Y)
        self.wait_gone(title)
        wait_until("the saved file", lambda: os.path.exists(target))

    def drag(self, start, end, steps=12, before_release=None):
        """Press at start, move to end in steps, optionally look, release."""
        run("xdotool", "mousemove", *start, "mousedown", 1)
        for i in range(1, steps + 1):
            run("xdotool", "mousemove", *(a + (b - a) * i // steps for a, b in zip(start, end)))
            time.sleep(0.05)
        time.sleep(0.3)
        looked = before_release() if before_release else None
        run("xdotool", "mouseup", 1)
        return looked


def dragdrop_save(s):
    """Two previews double-clicked into the strip (the shorter one keeps the
    strip's height), a third, half transparent, dragged between them shows the
    marker in the gap and lands there; the strip saved through the real file
    dialog is, read with Pillow, what the three images make on white."""
    previews = s.start_pack("ドラッグ", [(32, 32, "#ff0000"), (40, 24, "#00ff00"), (48, 32, "#0000ff80")])
    light_blue = over(BLUE, 0x80)
    s.add(0, 1)
    s.answer("イメージの高さ", "alt+n")  # いいえ(&N)
    red, green = s.canvas("the first two images in a row on the canvas", (RED, GREEN), (32, 40))
    # Red OR NOT red is white, red OR NOT green is magenta. The drag picture
    # hangs below and right of the pointer, clear of the marker.
    want, seen = [WHITE, (255, 0, 255)], []

    def marker():
        shot = s.screenshot("dragdrop-marker")
        seen[:] = shot.getpixel(red.at(31, 2)), shot.getpixel(green.at(0, 2))
        return seen == want

    # Into green's left half: the gap between red and green, marker at x = 32.
    s.drag(previews[2].centre, green.at(8, 4), before_release=lambda: wait_until("", marker, 10, must=False))
    if seen != want:
        raise Failure("the marker between red and green shows %s, %s" % tuple(seen))
    s.canvas("the dropped image between them", (RED, light_blue, GREEN), (32, 48, 40), "dragdrop-after")

    target = os.path.join(s.work, "strip.bmp")
    s.save_as(target)
    want = Image.new("RGB", (32 + 48 + 40, 32), WHITE)
    for colour, box in ((RED, (0, 0, 32, 32)), (light_blue, (32, 0, 80, 32)), (GREEN, (80, 0, 120, 24))):
        want.paste(colour, box)
    check_bmp(target, want)
    s.finish()


def check_bmp(path, want):
    """The file is a BMP that Pillow reads as the picture want."""
    got = Image.open(path)
    if got.format != "BMP" or got.size != want.size:
        raise Failure("saved %s %s, expected a BMP of %s" % (got.format, got.size, want.size))
    got = got.convert("RGB")
    wrong = ImageChops.difference(got, want).getbbox()
    if wrong:
        at = wrong[:2]
        raise Failure("saved pixel %s is %s, expected %s" % (at, got.getpixel(at), want.getpixel(at)))


def canvas_reorder(s):
    """An image of the strip dragged along the canvas: with Escape before the
    release nothing moves; dropped over the right half of the last image, it
    moves behind it, and the saved BMP has the new order."""
    s.start_pack("並べ替え", [(32, 32, "#ff0000"), (40, 32, "#00ff00"), (48, 32, "#0000ff")])
    s.add(0, 1, 2)
    red, green, blue = s.canvas("three images in a row", (RED, GREEN, BLUE), (32, 40, 48))
    s.drag(red.at(10, 10), blue.at(40, 10), before_release=lambda: s.key("Escape"))
    time.sleep(0.5)
    if s.canvas("the strip", (RED, GREEN, BLUE), name="reorder-cancelled", timeout=0, must=False) != [red, green, blue]:
        raise Failure("a cancelled drag changed the strip")
    s.drag(red.at(10, 10), blue.at(40, 10))
    s.canvas("red moved behind blue", (GREEN, BLUE, RED), (40, 48, 32), "reorder-after")
    target = os.path.join(s.work, "strip.bmp")
    s.save_as(target)
    want = Image.new("RGB", (120, 32), WHITE)
    for colour, box in ((GREEN, (0, 0, 40, 32)), (BLUE, (40, 0, 88, 32)), (RED, (88, 0, 120, 32))):
        want.paste(colour, box)
    check_bmp(target, want)
    s.finish()


def open_folder(s):
    """The program started on a folder of a user's icons, as "quelo ~/icons":
    a PSD, an ICO, a PNG and a PSD cut short. The two first are double-clicked
    into the strip, which, saved, Pillow reads as the two images on white."""
    folder = os.path.join(s.work, "アイコン")
    os.makedirs(folder)
    run("convert", "-size", "32x32", "xc:#ff0000", "-depth", "8", "-compress", "RLE", os.path.join(folder, "a.psd"))
    run("convert", "-size", "40x24", "xc:#00ff00", "-depth", "8", os.path.join(folder, "B.ICO"))
    run("convert", "-size", "48x32", "xc:#0000ff", os.path.join(folder, "c.png"))
    whole = os.path.join(s.work, "whole.psd")
    run("convert", "-size", "64x64", "xc:#ffff00", "-depth", "8", "-compress", "RLE", whole)
    with open(whole, "rb") as f, open(os.path.join(folder, "broken.psd"), "wb") as out:
        out.write(f.read()[:300])
    s.start(os.path.join(s.build, "quelo"), "^quelo$", folder)
    # The file cut short is told in a box (titled quelo too) once loading is
    # over; Enter closes it, and the main window is the one left.
    wait_until("the box telling broken.psd", lambda: s.check_running() or len(visible("^quelo$")) > 1)
    s.key("Return")
    wait_until("the box to close", lambda: len(visible("^quelo$")) == 1)
    s.window = visible("^quelo$")[0]
    s.previews = s.canvas("the previews", (RED, GREEN), name="folder-start")
    if find(s.screenshot(), (255, 255, 0)):
        raise Failure("the file cut short shows a preview")
    s.add(0, 1)
    s.answer("イメージの高さ", "alt+n")  # いいえ(&N)
    s.canvas("the two images in a row on the canvas", (RED, GREEN), (32, 40))
    target = os.path.join(s.work, "strip.bmp")
    s.save_as(target)
    want = Image.new("RGB", (72, 32), WHITE)
    want.paste(RED, (0, 0, 32, 32))
    want.paste(GREEN, (32, 0, 72, 24))
    check_bmp(target, want)
    s.finish()


def close_unsaved(s):
    """Closing with a strip never saved asks first (the title marks the change);
    はい(&Y) opens the save dialog, the BMP is written and the program ends."""
    s.start_pack("未保存", [(32, 32, "#ff0000"), (16, 32, "#0000ff")])
    s.add(0, 1)
    s.canvas("two images in a row", (RED, BLUE), (32, 16))
    if not visible(r"^Quelo - \[E2E 未保存\] \*$"):
        raise Failure("the title does not mark the changed strip")
    s.menu("f", "x")
    s.wait_window(UNSAVED)
    s.screenshot("unsaved-question")
    s.key("alt+y")  # はい(&Y)
    target = os.path.join(s.work, "strip.bmp")
    s.save_as(target, from_menu=False)
    s.ended()
    want = Image.new("RGB", (48, 32), WHITE)
    want.paste(RED, (0, 0, 32, 32))
    want.paste(BLUE, (32, 0, 48, 32))
    check_bmp(target, want)


def height_and_drag_out(s):
    """A taller image dropped on the strip asks for the height, answered with the
    keyboard while the drop is under way. A click then selects an image of the
    strip; pressed again and moved, it drags the strip picture (seen beside the
    pointer), which nothing here takes."""
    previews = s.start_pack("高さ", [(32, 32, "#ff0000"), (48, 48, "#0000ff")])
    s.add(0)
    (red,) = s.canvas("the first image on the canvas", (RED,))
    s.drag(previews[1].centre, red.at(28, 4))
    s.answer("イメージの高さ", "alt+y")  # はい(&Y)
    red, blue = s.canvas("the dropped image beside the first", (RED, BLUE), (32, 48), "height-after")
    if (red.height, blue.height) != (32, 48):
        raise Failure("the strip's height was not taken: red %s, blue %s" % (red, blue))
    s.click(*blue.at(10, 10))
    if not s.drag(blue.at(10, 10), (blue.left + 10, blue.bottom + 60), before_release=lambda: s.canvas(
            "the strip's picture", (RED, BLUE), (32, 48), "strip-drag-out", (red, blue), 10, must=False)):
        raise Failure("no picture of the strip follows the pointer")
    time.sleep(0.3)
    after = s.canvas("the strip", (RED, BLUE), name="strip-drag-out-after", timeout=0, must=False)
    if after != [red, blue]:
        raise Failure("the strip changed after its picture was dragged: %s" % after)
    s.finish(unsaved=True)


def full_strip(s):
    """The whole life of the program for the leak check: start, a full strip of
    20, the version, pack and file information windows, the end through the menu."""
    previews = s.start_pack("二十", [(16, 16, "#ff0000"), (16, 16, "#00ff00")])
    s.add(*[0, 1] * 10)
    wait_until("20 images on the canvas", lambda: [mask(s.screenshot("full-strip"), c, previews).histogram()[255]
                                                   for c in (RED, GREEN)] == [10 * 16 * 16] * 2)
    s.menu("h", "a")  # ヘルプ(&H), Quelo のバージョン情報(&A)
    s.answer("^quelo のバージョン情報$", "Escape")
    s.menu("h", "p")  # パッケージのプロパティ(&P)
    s.answer("^パッケージ E2E 二十 の情報$", "Escape")
    s.click(*previews[1].centre)
    s.menu("h", "i")  # ファイルのプロパティ(&I): a window that stays open beside the main one
    s.wait_window("^quelo のバージョン情報$")
    s.finish(unsaved=True)




JAPANESE = re.compile("[\u3000-\u30ff\u3400-\u9fff\uff00-\uffef]")


def accessible():
    """Whether the accessibility bus runs, so that the program's texts can be read."""
    return Atspi is not None and os.environ.get("QUELO_E2E_A11Y") == "1"


def accessible_names(pid):
    """The names of everything the program with this pid shows: window titles,
    menus and their entries (open or not), buttons, labels, message texts."""
    names = []

    def walk(node, depth):
        try:
            names.append(node.get_name() or "")
            count = node.get_child_count()
        except Exception:  # gone while read (a window closing)
            return
        for i in range(count if depth < 20 else 0):
            child = node.get_child_at_index(i)
            if child:
                walk(child, depth + 1)
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app and app.get_process_id() == pid:
            walk(app, 0)
    return names


def english(s):
    """Started with --lang en, the program's windows, its information windows,
    message boxes and dialogs (each found by its English title in the window
    list) carry no Japanese character in their titles, and the strip still works."""
    previews = s.start_pack("English", [(16, 16, "#ff0000"), (16, 24, "#00ff00")], lang="en")
    titles, names = set(), set()

    def look(title, *keys):
        """Waits for the window title, notes the titles of all the program's windows
        and, when it can, every text they show; closes it with keys."""
        s.wait_window(title)
        ids = run("xdotool", "search", "--onlyvisible", "--pid", s.program.pid).decode().split()
        titles.update(run("xdotool", "getwindowname", i).decode().strip() for i in ids)
        if accessible():
            names.update(accessible_names(s.program.pid))
        s.key(*keys)
        s.wait_gone(title)

    s.add(0)
    s.canvas("the red image in the strip", [RED], outside=previews)
    s.add(1)
    look("^Image Height$", "Escape")  # a taller image: the question, cancelled
    s.menu("h", "a")  # Help, About Quelo
    look("^About quelo$", "Escape")
    s.menu("h", "p")  # Pack Properties
    look("^About the Pack E2E English$", "Escape")
    s.menu("f", "f")  # File, Open Folder...
    look("^Open Folder$", "Escape")
    s.menu("f", "a")  # Save As
    look("^Save Bitmap$", "Escape")
    s.menu("f", "n")  # New, with an unsaved strip
    look(UNSAVED, "Escape")
    japanese = sorted(t for t in titles if JAPANESE.search(t))
    if japanese or len(titles) < 6:
        raise Failure("window titles in English expected, seen: %s" % sorted(titles))
    if accessible():
        # Japanese is offered under its own name.
        japanese = sorted(n for n in names if JAPANESE.search(n) and n != "日本語(J)")
        expected = {"File", "Exit quelo", "Language", "Takes effect at the next start", "Delete", "Background",
                    "Change the height? The current images will then be aligned to the top.", "Cancel"}
        seen = {line for n in names for line in n.splitlines()} | names
        if japanese or not expected <= seen:

            raise Failure("English texts expected; Japanese: %s; missing: %s" % (japanese, sorted(expected - seen)))
    else:
        print("note   english: menus and messages not read (no AT-SPI: gir1.2-atspi-2.0, dbus-run-session)")
    s.finish(unsaved=True)  # Exit, then &No: the same keys as in Japanese


SCENARIOS = {f.__name__: f for f in (dragdrop_save, height_and_drag_out, canvas_reorder, full_strip, open_folder,
                                     close_unsaved, english)}



def docs_shot(s, path):
    """The sample pack with four icons in the strip and the raindrop dragged
    between the second and the third, the marker showing: 760 x 560 pixels
    around the window, as docs/dragdrop.png is."""
    s.start(os.path.join(s.build, "quelo-sample"), "サンプル")
    # Where the window's inside lies (xdotool's geometry is off by the frame under some managers).
    run("xdotool", "mousemove", "--window", s.window, 0, 0)
    x, y = (int(v.split(":")[1]) for v in run("xdotool", "getmouselocation").decode().split()[:2])
    # Centres of sun, leaf, flower and star (the raindrop's is at 50, 140).
    s.previews = [Box(x + 50, y + top, x + 51, y + top + 1) for top in (82, 258, 322, 388)]
    s.add(0, 1, 2, 3)
    time.sleep(1)
    # The canvas: what is not the frame's grey in the middle of the strip area.
    area = (x + 110, y + 180, x + 630, y + 440)
    middle = s.screenshot("docs-strip").crop(area)
    inside = ImageChops.difference(middle, Image.new("RGB", middle.size, (171, 171, 171))).getbbox()
    canvas = Box(*(area[i % 2] + inside[i] for i in range(4)))
    if (canvas.width, canvas.height) != (192, 48):
        raise Failure("the sample strip is %s" % canvas)
    cx, cy = x + 652 // 2, y + 479 // 2
    # Over the flower's left half: the gap after the leaf, at x = 96.
    s.drag((x + 50, y + 140), canvas.at(102, 40),
           before_release=lambda: s.screenshot().crop((cx - 380, cy - 290, cx + 380, cy + 270)).save(path))


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    missing = [tool for tool in ("xvfb-run", "xdotool", "import", "convert") if not shutil.which(tool)]
    if missing or not Image:
        print("skipped: %s is not installed" % (missing + ["Pillow (python3-pil)"])[0])
        return SKIP
    build = os.path.abspath(sys.argv[1])
    if not os.environ.get("QUELO_E2E_INSIDE"):
        env = {k: v for k, v in os.environ.items() if k != "QT_QPA_PLATFORM"} | {"QUELO_E2E_INSIDE": "1"}
        # A session bus of its own, for the accessibility bus that lets the
        # English run read the texts of menus and messages.
        session = []
        if Atspi is not None and shutil.which("dbus-run-session") and os.path.exists(A11Y_LAUNCHER):
            session, env["QUELO_E2E_A11Y"] = ["dbus-run-session", "--"], "1"
        return subprocess.run(session + ["xvfb-run", "-a", "-s", "-screen 0 " + SCREEN, sys.executable] + sys.argv,
                              env=env).returncode
    shot = sys.argv[2:3] == ["--docs-shot"] and os.path.abspath(sys.argv[3])
    jobs = {"docs-shot": lambda s: docs_shot(s, shot)} if shot else {n: SCENARIOS[n] for n in sys.argv[2:] or SCENARIOS}
    wm = shutil.which("openbox") and subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    a11y = accessible() and subprocess.Popen([A11Y_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                                             stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    failed = 0
    for name, job in jobs.items():
        with tempfile.TemporaryDirectory() as work:
            s = Session(build, work)
            try:
                job(s)
                print("PASS   " + name)
            except (Failure, subprocess.SubprocessError) as e:
                failed += 1
                print("FAIL   %s: %s" % (name, e))
            finally:
                s.stop()
    if wm:
        wm.terminate()
    if a11y:
        a11y.terminate()
    print("e2e: %d passed, %d failed" % (len(jobs) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
