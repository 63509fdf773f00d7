"""What a journey needs to drive the real Tarnik the way a person at a display does.

A journey is a plain Python script that runs inside `run-journey`, which gives it a private HOME and
XDG folders, a private D-Bus session bus and a PulseAudio daemon whose only sink is a null sink.
`Journey` adds the rest: an Xvfb display of its own (a free number chosen by the server), the
accessibility bus on that session, and the app itself.

    with Journey() as j:
        song = j.make_song(j.home / "Song.mp3", title="Northern Road")
        j.start_tarnik()
        j.click(j.find("Files", role="page tab"))
        ...

Everything the user does goes through real X input (xdotool: pointer moves, presses, drags with
real timing, keys); everything the journey reads comes from the accessibility tree (AT-SPI), the
MPRIS interface on the bus, or the null sink's monitor. A journey never reaches into the app.

When the block ends with an exception, the display is saved as `failure.png` and the
accessibility tree as `tree.txt` in the output folder, next to the app's log (`tarnik.log`); the
paths are printed so CTest's output shows them. The output folder is $TARNIK_JOURNEY_OUTPUT
(CTest sets it to <build>/journeys/<name>/).
"""

import array
import math
import os
import shutil
import signal
import subprocess
import sys
import threading
import time
import traceback
from pathlib import Path

__all__ = ["Frame", "Journey", "JourneyFailure", "Recording"]

SCREEN = (1280, 1024)


class JourneyFailure(AssertionError):
    """A step did not see what the user should see."""


def _build_dir():
    return Path(os.environ.get("TARNIK_BUILD_DIR", "build")).resolve()


def _output_dir():
    out = os.environ.get("TARNIK_JOURNEY_OUTPUT")
    if out:
        return Path(out)
    return Path.cwd() / "journey-output" / Path(sys.argv[0]).stem


class Recording:
    """Mono 16-bit samples recorded from the null sink's monitor."""

    def __init__(self, samples, rate):
        self.samples = samples
        self.rate = rate

    @property
    def seconds(self):
        return len(self.samples) / self.rate

    def rms(self, start=0.0, end=None):
        """Root mean square of the samples between two times (seconds), 0.0 (silence) to 1.0."""
        a = int(start * self.rate)
        b = len(self.samples) if end is None else min(len(self.samples), int(end * self.rate))
        if b <= a:
            return 0.0
        total = 0
        for s in self.samples[a:b]:
            total += s * s
        return math.sqrt(total / (b - a)) / 32768.0

    def frequency(self, start=0.0, end=None):
        """The pitch (Hz) of a pure tone between two times, from its zero crossings; 0.0 when
        that stretch is silent."""
        if self.rms(start, end) < 0.01:
            return 0.0
        a = int(start * self.rate)
        b = len(self.samples) if end is None else min(len(self.samples), int(end * self.rate))
        part = self.samples[a:b]
        crossings = sum(1 for i in range(1, len(part)) if (part[i - 1] < 0) != (part[i] < 0))
        return crossings / 2 / ((b - a) / self.rate)

    def onset(self, level=0.02, step=0.05):
        """The time (seconds) of the first sound louder than `level`, or None."""
        for i, rms in enumerate(self.windows(step)):
            if rms > level:
                return i * step
        return None

    def windows(self, seconds=0.1):
        """The RMS of each consecutive window of the given length, in order."""
        n = max(1, int(seconds * self.rate))
        return [self.rms(i / self.rate, (i + n) / self.rate) for i in range(0, len(self.samples) - n + 1, n)]


class _Recorder:
    def __init__(self, rate):
        self.rate = rate
        self._data = bytearray()
        self._process = subprocess.Popen(
            ["parec", "--device=null.monitor", "--raw", "--format=s16le", "--channels=1",
             f"--rate={rate}", "--latency-msec=20"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()

    def _read(self):
        while True:
            chunk = self._process.stdout.read1(4096)
            if not chunk:
                return
            self._data += chunk

    def peek(self):
        """What has been recorded so far, while the recording goes on."""
        return self._recording(bytes(self._data))

    def stop(self):
        self._process.terminate()
        self._process.wait()
        self._thread.join()
        return self._recording(bytes(self._data))

    def _recording(self, data):
        data = data[: len(data) // 2 * 2]
        samples = array.array("h")
        samples.frombytes(data)
        if sys.byteorder != "little":
            samples.byteswap()
        return Recording(samples, self.rate)


class Frame:
    """One captured picture of the display (RGB), at 1/scale of the screen's size."""

    def __init__(self, width, height, data, scale):
        self.width = width
        self.height = height
        self.data = data
        self.scale = scale

    def pixel(self, x, y):
        """The (r, g, b) at a screen point."""
        x, y = int(x / self.scale), int(y / self.scale)
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def box(self, predicate):
        """The screen rectangle (x, y, width, height) around every pixel whose (r, g, b) the
        predicate accepts, or None."""
        left = top = None
        right = bottom = -1
        data, w = self.data, self.width
        for y in range(self.height):
            row = y * w * 3
            for x in range(w):
                i = row + x * 3
                if predicate(data[i], data[i + 1], data[i + 2]):
                    left = x if left is None or x < left else left
                    top = y if top is None else top
                    right = max(right, x)
                    bottom = y
        if left is None:
            return None
        s = self.scale
        return (left * s, top * s, (right - left + 1) * s, (bottom - top + 1) * s)


class _Capture:
    def __init__(self, display, fps, scale):
        self.size = (SCREEN[0] // scale, SCREEN[1] // scale)
        self.scale = scale
        self._data = bytearray()
        self._process = subprocess.Popen(
            ["ffmpeg", "-hide_banner", "-loglevel", "error", "-f", "x11grab", "-framerate", str(fps),
             "-video_size", f"{SCREEN[0]}x{SCREEN[1]}", "-i", display,
             "-vf", f"scale={self.size[0]}:{self.size[1]}:flags=neighbor", "-f", "rawvideo", "-pix_fmt", "rgb24",
             "-"], stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()

    def _read(self):
        while True:
            chunk = self._process.stdout.read1(1 << 16)
            if not chunk:
                return
            self._data += chunk

    def started(self):
        if self._process.poll() is not None:
            raise JourneyFailure("ffmpeg could not film the display")
        return len(self._data) >= self.size[0] * self.size[1] * 3

    def stop(self):
        self._process.terminate()
        self._process.wait()
        self._thread.join()
        n = self.size[0] * self.size[1] * 3
        return [Frame(self.size[0], self.size[1], bytes(self._data[i:i + n]), self.scale)
                for i in range(0, len(self._data) - n + 1, n)]


class Journey:
    """One journey's display, accessibility bus, processes and helpers (a context manager).

    Times are in seconds; points are screen pixels (x, y); `node` arguments are AT-SPI accessibles
    as `find` returns them, or points.
    """

    def __init__(self, timeout=240):
        self.output = _output_dir()
        self.build = _build_dir()
        self.home = Path(os.environ["HOME"])  # temporary; the browser opens here on a first start
        self.timeout = timeout
        self._started = time.monotonic()
        self._processes = []  # (name, Popen, log file)
        self._display = None
        self._pointer = None
        self._tarnik = None

    # ----- lifetime -----

    def __enter__(self):
        if self.output.exists():
            shutil.rmtree(self.output)
        self.output.mkdir(parents=True)
        signal.signal(signal.SIGALRM, self._timed_out)
        signal.signal(signal.SIGTERM, self._terminated)
        signal.alarm(self.timeout)
        try:
            self._start_display()
            self._start_accessibility_bus()
        except BaseException:
            self._stop_all()
            raise
        return self

    def __exit__(self, kind, value, tb):
        signal.alarm(0)
        if kind is not None:
            self._save_failure(kind, value, tb)
        self._stop_all()
        return False

    def _timed_out(self, *_):
        raise JourneyFailure(f"the journey took longer than {self.timeout} s")

    def _terminated(self, *_):
        raise JourneyFailure("the journey was terminated")

    def _spawn(self, name, argv, env=None, **kwargs):
        log = open(self.output / f"{name}.log", "wb")
        process = subprocess.Popen(argv, env=env, stdout=log, stderr=subprocess.STDOUT, **kwargs)
        self._processes.append((name, process, log))
        return process

    def _stop(self, process):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def _stop_all(self):
        for _, process, log in reversed(self._processes):
            self._stop(process)
            log.close()
        self._processes.clear()

    def _start_display(self):
        read, write = os.pipe()
        self._spawn("xvfb", ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write,))
        os.close(write)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        if not number.strip():
            raise JourneyFailure("Xvfb did not start (see xvfb.log)")
        self._display = f":{number.decode().strip()}"
        os.environ["DISPLAY"] = self._display

    def _start_accessibility_bus(self):
        # The launcher owns org.a11y.Bus on this journey's session bus and starts the accessibility
        # bus and its registry; the app and this script both find it there.
        self._spawn("at-spi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately", "--a11y=1"])
        self.wait_for(lambda: self._name_has_owner("org.a11y.Bus"), 20, "the accessibility bus to start")
        import pyatspi  # only now: it connects to the accessibility bus on first use

        self._atspi = pyatspi

    # ----- processes -----

    def start_tarnik(self, *args, wait=True):
        """Starts the app on this display; waits until its window is in the accessibility tree."""
        env = dict(os.environ)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                   DISPLAY=self._display)
        # The sanitized run may give the app options of its own (see scripts/test-sanitized).
        if os.environ.get("TARNIK_APP_ASAN_OPTIONS"):
            env["ASAN_OPTIONS"] = os.environ["TARNIK_APP_ASAN_OPTIONS"]
        self._tarnik = self._spawn("tarnik", [str(self.build / "bin" / "tarnik"), *map(str, args)], env=env)
        if wait:
            self.wait_for(self._tarnik_window, 30, "Tarnik's window in the accessibility tree")
        return self._tarnik

    def start_saltrig(self):
        """Starts the companion stand-in on this session bus and waits for its name."""
        process = self._spawn("saltrig", [str(self.build / "bin" / "saltrig")])
        self.wait_for(lambda: self._name_has_owner("com.quilmera.saltrig.center"), 20, "saltrig on the bus")
        return process

    def tarnik_running(self):
        return self._tarnik is not None and self._tarnik.poll() is None

    # ----- waiting -----

    def wait_for(self, condition, timeout=10, what="the condition"):
        """Polls `condition` until it returns a true value, which it returns; fails after `timeout`.

        An exception inside the condition counts as not yet (the tree changes under us), and the
        last one is named in the failure."""
        started = time.monotonic()
        deadline = started + timeout
        last_error = None
        while True:
            if self._tarnik is not None and self._tarnik.poll() is not None:
                raise JourneyFailure(f"Tarnik exited with status {self._tarnik.returncode} "
                                     f"while waiting for {what}")
            try:
                value = condition()
                if value:
                    if time.monotonic() - started > 1.0:
                        self.log(f"waited {time.monotonic() - started:.1f} s for {what}")
                    return value
            except Exception as error:  # noqa: BLE001 - stale accessibles come and go
                last_error = error
            if time.monotonic() > deadline:
                detail = f" (last error: {last_error!r})" if last_error else ""
                raise JourneyFailure(f"waited {timeout} s for {what}{detail}")
            time.sleep(0.1)

    def log(self, message):
        """Prints a line with the time since the journey started (CTest shows it on failure)."""
        print(f"[{time.monotonic() - self._started:6.1f} s] {message}", flush=True)

    def check(self, condition, what):
        if not condition:
            raise JourneyFailure(what)

    # ----- the accessibility tree -----

    def _tarnik_app(self):
        desktop = self._atspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "tarnik":
                return app
        return None

    def _tarnik_window(self):
        app = self._tarnik_app()
        if app is None:
            return None
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            if window is not None and self.showing(window):
                return window
        return None

    @staticmethod
    def role(node):
        return node.getRoleName()

    def showing(self, node):
        return node.getState().contains(self._atspi.STATE_SHOWING)

    def _walk(self, root, showing_only):
        stack = [root]
        while stack:
            node = stack.pop()
            if node is None:
                continue
            if node is not root:
                yield node
            if showing_only and node is not root and not self.showing(node):
                continue
            count = node.childCount
            stack.extend(node.getChildAtIndex(i) for i in reversed(range(count)))

    def find_all(self, name=None, role=None, within=None, showing=True, match=None):
        """Every accessible under `within` (default: the app) with that name (exact) and role
        (AT-SPI role name: "push button", "page tab", "label", "list item", ...), in tree order.
        `match` is an extra predicate. Only those on screen unless showing=False."""
        root = within if within is not None else self._tarnik_app()
        if root is None:
            return []
        found = []
        for node in self._walk(root, showing):
            if name is not None and node.name != name:
                continue
            if role is not None and node.getRoleName() != role:
                continue
            if showing and not self.showing(node):
                continue
            if match is not None and not match(node):
                continue
            found.append(node)
        return found

    def find(self, name=None, role=None, within=None, timeout=10, match=None):
        """Waits for the first accessible on screen that `find_all` would return, and returns it."""
        what = " ".join(filter(None, [role, repr(name) if name is not None else None])) or "an accessible"
        return self.wait_for(lambda: next(iter(self.find_all(name, role, within, True, match)), None),
                             timeout, what + " on screen")

    def gone(self, name=None, role=None, within=None, timeout=10):
        """Waits until no accessible with that name and role is on screen."""
        what = " ".join(filter(None, [role, repr(name) if name is not None else None]))
        self.wait_for(lambda: not self.find_all(name, role, within), timeout, f"{what} to leave the screen")

    def extents(self, node):
        """(x, y, width, height) on the screen."""
        box = node.queryComponent().getExtents(self._atspi.DESKTOP_COORDS)
        return (box.x, box.y, box.width, box.height)

    def centre(self, node):
        if isinstance(node, tuple):
            return node
        x, y, w, h = self.extents(node)
        return (x + w // 2, y + h // 2)

    def texts(self, within=None):
        """The names of every named accessible on screen (handy in a failure message)."""
        return [n.name for n in self.find_all(within=within) if n.name]

    def dump_tree(self, path):
        app = self._tarnik_app()
        with open(path, "w") as out:
            if app is None:
                out.write("(Tarnik is not in the accessibility tree)\n")
                return

            def visit(node, depth):
                try:
                    try:
                        x, y, w, h = self.extents(node)
                        place = f" ({x},{y} {w}x{h})"
                    except NotImplementedError:
                        place = ""
                    shown = "" if self.showing(node) else " [hidden]"
                    out.write(f"{'  ' * depth}{node.getRoleName()} {node.name!r}{place}{shown}\n")
                    for i in range(node.childCount):
                        visit(node.getChildAtIndex(i), depth + 1)
                except Exception as error:  # noqa: BLE001
                    out.write(f"{'  ' * depth}<{error!r}>\n")

            visit(app, 0)

    # ----- real X input -----

    def _xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], check=True,
                       env=dict(os.environ, DISPLAY=self._display))

    def _move_to(self, x, y):
        """The xdotool words that put the pointer at (x, y) and wait until it is there. This
        script is the display's only pointer, so it knows where the pointer is: --sync waits
        long for a move that moves nothing."""
        if self._pointer == (x, y):
            return []
        self._pointer = (x, y)
        return ["mousemove", "--sync", x, y]

    def move(self, point):
        x, y = self.centre(point)
        chain = self._move_to(x, y)
        if chain:
            self._xdotool(*chain)

    def settled(self, node, still=0.3, timeout=10):
        """Waits until the node has stayed at the same place for `still` seconds (as a person
        waits for a row to stop moving before tapping it); returns its centre."""
        if isinstance(node, tuple):
            return node
        last = self.extents(node)
        since = time.monotonic()
        deadline = since + timeout
        while time.monotonic() - since < still:
            if time.monotonic() > deadline:
                raise JourneyFailure(f"{node.getRoleName()} {node.name!r} kept moving for {timeout} s")
            time.sleep(0.05)
            now = self.extents(node)
            if now != last:
                last, since = now, time.monotonic()
        return self.centre(node)

    def click(self, node, hold=0.05):
        """Moves the pointer to the node's centre (or a point), once it has settled, and clicks
        the left button."""
        x, y = self.settled(node)
        self._xdotool(*self._move_to(x, y), "mousedown", 1, "sleep", hold, "mouseup", 1)

    def drag(self, start, end, duration, hold=0.0, press=True, release=True):
        """Presses at `start`, moves to `end` in steps of about 16 ms (a 60 Hz mouse) spread over
        `duration`, waits `hold`, then releases. Speed is distance / duration. press=False goes on
        with a drag left unreleased (release=False) by the call before."""
        x0, y0 = self.centre(start)
        x1, y1 = self.centre(end)
        steps = max(1, round(duration / 0.016))
        chain = [*self._move_to(x0, y0), "mousedown", 1] if press else []
        for i in range(1, steps + 1):
            chain += ["sleep", f"{duration / steps:.4f}",
                      "mousemove", round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps)]
        self._pointer = (x1, y1)
        if hold:
            chain += ["sleep", hold]
        if release:
            chain += ["mouseup", 1]
        self._xdotool(*chain)

    def fling(self, start, end, duration=0.08):
        """A short, fast drag released while still moving."""
        self.drag(start, end, duration)

    def focus_window(self):
        """Gives Tarnik's window the keyboard focus, as a window manager does with a new window
        (this display has none): then keys reach the app without the pointer over it."""
        found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(self._tarnik.pid)],
                               check=True, capture_output=True, text=True,
                               env=dict(os.environ, DISPLAY=self._display)).stdout.split()
        self._xdotool("windowfocus", "--sync", found[-1])

    def key(self, *keys):
        """Presses keys by X keysym name ("Escape", "Return", "alt+Left")."""
        self._xdotool("key", "--delay", 60, *keys)

    def type(self, text):
        self._xdotool("type", "--delay", 40, text)

    def wheel(self, node, clicks):
        """Turns the wheel over the node: positive clicks scroll down, negative up."""
        x, y = self.settled(node)
        button = 5 if clicks > 0 else 4
        self._xdotool(*self._move_to(x, y), "click", "--repeat", abs(clicks), "--delay", 50, button)

    # ----- the bus, the sound -----

    def _session(self):
        from gi.repository import Gio

        return Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def _name_has_owner(self, name):
        from gi.repository import GLib

        reply = self._session().call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                          "NameHasOwner", GLib.Variant("(s)", (name,)), None, 0, 2000, None)
        return reply.unpack()[0]

    def mpris(self, prop):
        """A property of the app's MPRIS player interface ("PlaybackStatus", "Metadata", ...)."""
        from gi.repository import GLib

        reply = self._session().call_sync(
            "org.mpris.MediaPlayer2.tarnik", "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties", "Get",
            GLib.Variant("(ss)", ("org.mpris.MediaPlayer2.Player", prop)), None, 0, 3000, None)
        return reply.unpack()[0]

    def start_recording(self, rate=22050):
        """Starts recording the null sink's monitor; `.stop()` returns a `Recording`."""
        return _Recorder(rate)

    def start_capture(self, fps=25, scale=4):
        """Starts filming the display (`fps` pictures a second, each 1/scale of the screen's
        size); `.stop()` returns the `Frame`s in order. For what only the pixels show: an
        animation's course, a control's look."""
        capture = _Capture(self._display, fps, scale)
        # Filming starts with the grabber's first picture, which takes it a moment.
        self.wait_for(capture.started, 20, "the screen grabber to start")
        return capture

    def frame(self, scale=1):
        """One picture of the display now."""
        capture = _Capture(self._display, 10, scale)
        self.wait_for(capture.started, 20, "the screen grabber to start")
        return capture.stop()[0]

    def record(self, seconds, rate=22050):
        recorder = self.start_recording(rate)
        time.sleep(seconds)
        return recorder.stop()

    # ----- media fixtures -----

    def ffmpeg(self, *args):
        subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", *map(str, args)], check=True)

    def make_song(self, path, seconds=30, frequency=440, title=None, artist=None):
        """An MP3 of a sine tone, with title and artist tags when given."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        tags = []
        if title:
            tags += ["-metadata", f"title={title}"]
        if artist:
            tags += ["-metadata", f"artist={artist}"]
        self.ffmpeg("-f", "lavfi", "-i", f"sine=frequency={frequency}:duration={seconds}", *tags,
                    "-c:a", "libmp3lame", "-b:a", "96k", path)
        return path

    def make_picture(self, path, size=(640, 480)):
        """A colourful test picture (PNG or JPEG by the suffix)."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        self.ffmpeg("-f", "lavfi", "-i", f"testsrc2=size={size[0]}x{size[1]}", "-frames:v", "1", path)
        return path

    # ----- failure artefacts -----

    def screenshot(self, path):
        subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "x11grab",
                        "-video_size", f"{SCREEN[0]}x{SCREEN[1]}", "-i", self._display, "-frames:v", "1", str(path)],
                       check=False, timeout=20)

    def _save_failure(self, kind, value, tb):
        # Nothing here may hide the original failure.
        signal.signal(signal.SIGALRM, signal.SIG_DFL)
        saved = []
        try:
            if self._display:
                self.screenshot(self.output / "failure.png")
                saved.append(self.output / "failure.png")
        except Exception:  # noqa: BLE001
            pass
        try:
            if hasattr(self, "_atspi"):
                self.dump_tree(self.output / "tree.txt")
                saved.append(self.output / "tree.txt")
        except Exception:  # noqa: BLE001
            pass
        sys.stderr.write("".join(traceback.format_exception(kind, value, tb)))
        for path in saved + sorted(self.output.glob("*.log")):
            sys.stderr.write(f"journey: saved {path}\n")
        log = self.output / "tarnik.log"
        if log.exists():
            lines = log.read_text(errors="replace").splitlines()[-40:]
            sys.stderr.write("journey: the end of tarnik.log:\n" + "\n".join(lines) + "\n")
