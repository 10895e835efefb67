#!/usr/bin/python3
"""Runs quelo.exe (the Windows build) under Wine on Xvfb and drives it as a user does.

    quelo_wine_e2e.py BUILD_DIR [SCENARIO...]    BUILD_DIR holds quelo.exe, quelo-sample.exe
    quelo_wine_e2e.py BUILD_DIR --shot PNG       the README's picture of quelo-sample.exe
    quelo_wine_e2e.py BUILD_DIR --timing LINUX_BUILD [WINE_PACK LINUX_PACK]
                                                 start to first painted window and to a
                                                 large pack loaded, Wine beside Linux

Wine shows its windows on the X display, so xdotool and ImageMagick's import see
them as they see the Linux program's. Every run makes a fresh Wine prefix (a new
user: no settings, no fonts set up). Exits 77 when Wine or a tool is missing.
"""

import io
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quelo_e2e as e2e  # noqa: E402
from quelo_e2e import Box, Failure, Session, mask, run, visible, wait_until  # noqa: E402

Image = e2e.Image
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
SAMPLE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "sample", "pack"))
SAMPLE_TITLE = r"^Quelo - \[quelo サンプルパック\]"


def windows_path(path):
    """The name Wine's programs know a Linux path by (drive Z: is /)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def over_white(path):
    """The image as a preview or the saved strip shows it: over white, rounded to the nearest."""
    rgba = Image.open(path).convert("RGBA")
    out = Image.new("RGB", rgba.size)
    out.putdata([e2e.over(p[:3], p[3]) for p in rgba.getdata()])
    return out


def locate(shot, picture, outside=()):
    """The box where the screenshot shows picture pixel for pixel (outside the
    boxes), or None: a colour of picture seen exactly as often on the screen
    gives the place, the whole picture is then compared there."""
    colours = sorted(picture.getcolors(1 << 16), reverse=True)
    for count, colour in colours[:12]:
        if colour == e2e.WHITE:
            continue
        seen = mask(shot, colour, outside)
        if seen.histogram()[255] != count:
            continue
        on_screen, in_picture = seen.getbbox(), mask(picture, colour).getbbox()
        left, top = on_screen[0] - in_picture[0], on_screen[1] - in_picture[1]
        box = Box(left, top, left + picture.width, top + picture.height)
        if left >= 0 and top >= 0 and not e2e.ImageChops.difference(shot.crop(box), picture).getbbox():
            return box
    return None


class WineSession(Session):
    """One Windows program under Wine inside the running X server."""

    def start(self, exe, title, *args, cwd=None):
        self.log = os.path.join(self.work, "quelo.log")
        with open(self.log, "wb") as log:
            # The window's own Japanese texts, whatever language this machine's Wine speaks.
            self.program = subprocess.Popen([WINE, exe, "--lang", "ja", *args], stdout=log, stderr=subprocess.STDOUT,
                                            cwd=cwd)
        self.window = self.wait_window(title)

    def seen(self, what, picture, outside=(), name=None):
        """Where picture shows on the screen, waited for."""
        return wait_until(what, lambda: locate(self.screenshot(name), picture, outside))

    def save_with_dialog(self, target):
        """Ctrl+Shift+S, the name typed into the save dialog Wine shows, Return,
        and はい(&Y) to the program's question whether to create the file."""
        title = "^ビットマップを保存$"
        run("xdotool", "windowactivate", "--sync", self.window)
        self.key("ctrl+shift+s")
        dialog = self.wait_window(title)
        self.screenshot("wine-save-dialog")
        run("xdotool", "type", "--delay", 30, windows_path(target))
        time.sleep(0.3)
        self.key("Return")
        asked = lambda: [w for w in visible(title) if w != dialog]  # noqa: E731
        wait_until("the question whether to create the file", lambda: self.check_running() or asked())
        self.key("alt+y")  # はい(&Y)
        wait_until("the saved file", lambda: os.path.exists(target))


def sample_from_japanese_folder(s):
    """quelo-sample.exe copied into a folder with a Japanese name opens its own
    pack: the title names it and the previews show the sample's pixels. A
    double-click puts the sun into the strip, Ctrl+Shift+S through Wine's save
    dialog writes a BMP that Pillow reads as the sun over white, and closing
    after one more image asks about the unsaved strip."""
    folder = os.path.join(s.work, "アイコン 集")
    os.makedirs(folder)
    exe = os.path.join(folder, "quelo-sample.exe")
    shutil.copy(os.path.join(s.build, "quelo-sample.exe"), exe)
    s.start(exe, SAMPLE_TITLE, cwd=s.work)
    sun, raindrop = (over_white(os.path.join(SAMPLE, n + ".psd")) for n in ("sun", "raindrop"))
    preview_sun = s.seen("the sun's preview", sun, name="wine-sample-start")
    preview_rain = s.seen("the raindrop's preview", raindrop)
    s.previews = [preview_sun, preview_rain]
    run("xdotool", "mousemove", *preview_sun.centre, "click", "--repeat", 2, "--delay", 80, 1)
    on_canvas = s.seen("the sun in the strip", sun, s.previews, "wine-sample-strip")
    if on_canvas.top < preview_sun.top and on_canvas.left < preview_sun.right:
        raise Failure("the sun found at %s is not on the canvas" % (on_canvas,))
    if not wait_until("the title marking the change", lambda: visible(SAMPLE_TITLE + r" \*$"), must=False):
        raise Failure("the title does not mark the changed strip")
    target = os.path.join(s.work, "strip.bmp")
    s.save_with_dialog(target)
    e2e.check_bmp(target, sun)
    if not wait_until("the saved name in the title", lambda: visible(SAMPLE_TITLE + " - strip.bmp$"), must=False):
        raise Failure("the title does not name the saved file")
    # A second image changes the strip again; the raindrop is lower than the strip.
    run("xdotool", "mousemove", *preview_rain.centre, "click", "--repeat", 2, "--delay", 80, 1)
    if wait_until("the height question", lambda: visible("イメージの高さ"), 5, must=False):
        s.answer("イメージの高さ", "alt+n")
    s.seen("the raindrop in the strip", raindrop, s.previews)
    s.menu("f", "x")
    s.wait_window(e2e.UNSAVED)
    s.screenshot("wine-unsaved-question")
    s.key("alt+n")  # いいえ(&N): the strip is let go
    s.ended()
    if Image.open(target).size != sun.size:
        raise Failure("the saved strip changed without a save")


class Skipped(Exception):
    pass


def zip_in_bare_folder(s):
    """The release zip ($QUELO_WINDOWS_ZIP) unpacked into a folder with a
    Japanese name: quelo-sample.exe starts from there in the fresh prefix and
    shows its pack, and quelo-pack.exe beside it lists the same pack."""
    archive = os.environ.get("QUELO_WINDOWS_ZIP")
    if not archive:
        raise Skipped("no zip given (QUELO_WINDOWS_ZIP=build/quelo-VERSION-win64.zip; scripts/package.sh makes it)")
    folder = os.path.join(s.work, "ダウンロード")
    shutil.unpack_archive(archive, folder)
    (top,) = os.listdir(folder)
    top = os.path.join(folder, top)
    wanted = {"quelo.exe", "quelo-sample.exe", "quelo-pack.exe", "README.txt", "licenses", "sample"}
    if not wanted <= set(os.listdir(top)):
        raise Failure("the zip holds %s" % sorted(os.listdir(top)))
    listing = subprocess.run([WINE, os.path.join(top, "quelo-pack.exe"), "--list", "quelo-sample.exe"], cwd=top,
                             capture_output=True, timeout=60).stdout.decode("utf-8", "replace")
    if "sun.psd" not in listing or "apple.ico" not in listing:
        raise Failure("quelo-pack.exe --list quelo-sample.exe printed: " + listing[-500:])
    s.start(os.path.join(top, "quelo-sample.exe"), SAMPLE_TITLE, cwd=top)
    s.seen("the sun's preview", over_white(os.path.join(SAMPLE, "sun.psd")), name="wine-zip-start")
    s.finish()


SCENARIOS = {f.__name__: f for f in (sample_from_japanese_folder, zip_in_bare_folder)}


def seconds_until(command, title, picture=None, env=None):
    """Seconds from starting command to its window named title (showing picture, when given)."""
    start = time.monotonic()
    program = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    try:
        wait_until("the window", lambda: visible(title), 300)
        if picture:
            wait_until("the picture", lambda: locate(Image.open(io.BytesIO(
                run("import", "-window", "root", "png:-"))).convert("RGB"), picture), 120)
        return time.monotonic() - start
    finally:
        program.kill()
        program.wait()


def timing(build, linux_build, packs):
    """Three runs each, Wine (prefix ready) beside Linux: start to the sample's
    first painted window (its sun shown), and start to a large pack's loaded
    window (its name in the title) for the packs WINE_PACK LINUX_PACK."""
    linux_env = dict(os.environ, QT_QPA_PLATFORM="xcb", XDG_CONFIG_HOME=tempfile.mkdtemp())
    sun = over_white(os.path.join(SAMPLE, "sun.psd"))
    runs = [("first painted window, quelo-sample", [WINE, os.path.join(build, "quelo-sample.exe")],
             [os.path.join(linux_build, "quelo-sample")], SAMPLE_TITLE, sun)]
    if packs:
        runs.append(("large pack loaded, " + os.path.basename(packs[1]), [WINE, packs[0]], [packs[1]],
                     "大きなパック", None))
    for what, wine, linux, title, picture in runs:
        for name, command, env in (("Wine ", wine, None), ("Linux", linux, linux_env)):
            times = [seconds_until(command, title, picture, env) for _ in range(3)]
            print("%s %s: %s s" % (name, what, " ".join("%.2f" % t for t in times)), flush=True)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    missing = [t for t in (WINE, "xvfb-run", "xdotool", "import") if not shutil.which(t)]
    if missing or not Image:
        print("skipped: %s is not installed" % (missing + ["Pillow (python3-pil)"])[0])
        return e2e.SKIP
    build = os.path.abspath(sys.argv[1])
    for exe in ("quelo.exe", "quelo-sample.exe"):
        if not os.path.exists(os.path.join(build, exe)):
            print("skipped: %s is not built in %s (cmake --preset windows-qt)" % (exe, build))
            return e2e.SKIP
    if not os.environ.get("QUELO_E2E_INSIDE"):
        env = {k: v for k, v in os.environ.items() if k != "QT_QPA_PLATFORM"} | {"QUELO_E2E_INSIDE": "1"}
        return subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 " + e2e.SCREEN, sys.executable] + sys.argv,
                              env=env).returncode
    # A fresh prefix: what a new user of the zip has.
    prefix = os.path.join(build, "wineprefix-e2e")
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(prefix)
    os.environ.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    subprocess.run([WINESERVER, "-p"], check=True)
    subprocess.run([WINE, "cmd", "/c", "exit"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wm = shutil.which("openbox") and subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL,
                                                      stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    failed = 0
    try:
        if sys.argv[2:3] == ["--timing"]:
            timing(build, os.path.abspath(sys.argv[3]), [os.path.abspath(p) for p in sys.argv[4:6]])
            return 0
        if sys.argv[2:3] == ["--shot"]:
            with tempfile.TemporaryDirectory() as work:
                s = WineSession(build, work)
                s.start(os.path.join(build, "quelo-sample.exe"), SAMPLE_TITLE)
                s.seen("the sun's preview", over_white(os.path.join(SAMPLE, "sun.psd")))
                s.screenshot().crop((300, 140, 980, 660)).save(sys.argv[3])
                s.stop()
            return 0
        jobs = {n: SCENARIOS[n] for n in sys.argv[2:] or SCENARIOS}
        skipped = 0
        for name, job in jobs.items():
            with tempfile.TemporaryDirectory() as work:
                s = WineSession(build, work)
                try:
                    job(s)
                    print("PASS   " + name)
                except Skipped as e:
                    skipped += 1
                    print("SKIP   %s: %s" % (name, e))
                except (Failure, subprocess.SubprocessError) as e:
                    failed += 1
                    print("FAIL   %s: %s" % (name, e))
                finally:
                    s.stop()
        print("wine e2e: %d passed, %d failed, %d skipped" % (len(jobs) - failed - skipped, failed, skipped))
        return 1 if failed else 0
    finally:
        if wm:
            wm.terminate()
        subprocess.run([WINESERVER, "-k"], stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    sys.exit(main())
