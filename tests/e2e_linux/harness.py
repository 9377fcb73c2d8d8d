"""Drives the native Linux build of the saver on an X server: starts it with
its switches, finds its windows, takes screenshots, presses keys and clicks.

One X server serves the whole session: a private Xvfb unless
VIDSAVER_E2E_OWN_XVFB=0 and DISPLAY name one to use. Every process started
here runs in a process group of its own, so that it can be ended with all
its children.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import io
import os
import re
import shutil
import signal
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

from PIL import Image, ImageChops

REPO = Path(__file__).resolve().parents[2]
OUT_DIR = Path(__file__).resolve().parent / "out"

SAVER_CLASS = "TForm1"
SAVER_TITLE = "Devarozuv33"
DIALOG_CLASS = "TForm2"
BOX_CLASS = "vidsaver"    # the program's message boxes

# Two cores shared with builds: every wait polls up to this long.
DEADLINE = 20.0
POLL = 0.1

SCREEN_W, SCREEN_H = 1024, 768


class HarnessError(AssertionError):
    pass


def poll(predicate, timeout: float = DEADLINE, interval: float = POLL,
         what: str = "condition"):
    """Calls predicate until it returns something truthy; returns that."""
    end = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() >= end:
            raise HarnessError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def save_screenshot(img: Image.Image, name: str) -> Path:
    OUT_DIR.mkdir(exist_ok=True)
    path = OUT_DIR / re.sub(r"[^A-Za-z0-9._-]+", "_", name)
    img.save(path)
    return path


def end_group(proc: subprocess.Popen) -> None:
    """Kills a process and everything in its process group."""
    if proc.poll() is None:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    try:
        proc.wait(DEADLINE)
    except subprocess.TimeoutExpired:
        raise HarnessError(f"process {proc.pid} did not die") from None


# --------------------------------------------------------------------------
# The X server


class _Xlib:
    """The few Xlib calls no command-line tool here offers: grabs and the
    keyboard's auto-repeat."""

    GRAB_SUCCESS, ALREADY_GRABBED = 0, 1
    BUTTON_PRESS_MASK = 1 << 2

    def __init__(self):
        name = ctypes.util.find_library("X11") or "libX11.so.6"
        lib = ctypes.CDLL(name)
        lib.XOpenDisplay.restype = ctypes.c_void_p
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XDefaultRootWindow.restype = ctypes.c_ulong
        lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        lib.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                      ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
        lib.XGrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
        lib.XUngrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        lib.XUngrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        lib.XAutoRepeatOff.argtypes = [ctypes.c_void_p]
        lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        lib.XGetImage.restype = ctypes.c_void_p
        lib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        lib.XGetPixel.restype = ctypes.c_ulong
        lib.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        lib.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.lib = lib
        self._pixel_dpy = None

    def _open(self, display: str):
        dpy = self.lib.XOpenDisplay(display.encode())
        if not dpy:
            raise HarnessError(f"cannot open display {display} through Xlib")
        return dpy

    def auto_repeat_off(self, display: str) -> None:
        dpy = self._open(display)
        try:
            self.lib.XAutoRepeatOff(dpy)
        finally:
            self.lib.XCloseDisplay(dpy)

    def pixel(self, display: str, x: int, y: int) -> tuple[int, int, int]:
        """One pixel of the screen (24-bit TrueColor), read without the
        round trips of a full screenshot."""
        if self._pixel_dpy is None:
            self._pixel_dpy = self._open(display)
        dpy = self._pixel_dpy
        image = self.lib.XGetImage(dpy, self.lib.XDefaultRootWindow(dpy), x, y, 1, 1,
                                   0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
        if not image:
            raise HarnessError(f"cannot read the pixel at {x}, {y}")
        try:
            v = self.lib.XGetPixel(image, 0, 0)
        finally:
            self.lib.XDestroyImage(image)
        return (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF

    def grabs_taken(self, display: str) -> tuple[bool, bool]:
        """Whether another client holds the keyboard and the pointer: our own
        grab attempts are refused then (and let go at once when they succeed)."""
        dpy = self._open(display)
        try:
            root = self.lib.XDefaultRootWindow(dpy)
            kb = self.lib.XGrabKeyboard(dpy, root, 0, 1, 1, 0)
            if kb == self.GRAB_SUCCESS:
                self.lib.XUngrabKeyboard(dpy, 0)
            ptr = self.lib.XGrabPointer(dpy, root, 0, self.BUTTON_PRESS_MASK, 1, 1, 0, 0, 0)
            if ptr == self.GRAB_SUCCESS:
                self.lib.XUngrabPointer(dpy, 0)
            return kb == self.ALREADY_GRABBED, ptr == self.ALREADY_GRABBED
        finally:
            self.lib.XCloseDisplay(dpy)


class Xvfb:
    """A private X server of 1024x768 on a display number that the server
    picks itself (-displayfd), so two sessions never share one. It does not
    reset when its last client goes (-noreset): a reset refuses the
    connections that come in while it runs, and forgets the keyboard
    settings."""

    def __init__(self, log_path: Path):
        self.log_path = log_path
        self.proc: subprocess.Popen | None = None
        self.display = ""

    def start(self) -> str:
        read_fd, write_fd = os.pipe()
        with open(self.log_path, "wb") as log:
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                 f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=log,
                stderr=subprocess.STDOUT, start_new_session=True)
        os.close(write_fd)
        number = b""
        try:
            end = time.monotonic() + DEADLINE
            os.set_blocking(read_fd, False)
            while not number.endswith(b"\n"):
                if self.proc.poll() is not None:
                    break
                try:
                    chunk = os.read(read_fd, 32)
                except BlockingIOError:
                    chunk = None
                if chunk == b"":
                    break
                if chunk:
                    number += chunk
                elif time.monotonic() > end:
                    break
                else:
                    time.sleep(0.05)
        finally:
            os.close(read_fd)
        if not number.strip().isdigit():
            self.stop()
            raise HarnessError(f"Xvfb did not start; see {self.log_path}: "
                               f"{self.log_path.read_text(errors='replace')[-800:]}")
        self.display = ":" + number.decode().strip()
        return self.display

    def stop(self) -> None:
        # asked first, so that the server removes its socket
        if self.proc is not None and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                pass
        if self.proc is not None:
            end_group(self.proc)
        self.proc = None


@dataclass
class Geometry:
    left: int
    top: int
    width: int
    height: int
    mapped: bool


class XDisplay:
    """Looks at and drives one X display through xdotool, xprop, xwininfo
    and ImageMagick's import."""

    def __init__(self, display: str):
        self.display = display
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("WAYLAND_DISPLAY", "XAUTHORITY")}
        self.env["DISPLAY"] = display
        self.xlib = _Xlib()

    def _run(self, *cmd: str, check: bool = True) -> subprocess.CompletedProcess:
        r = subprocess.run(list(cmd), capture_output=True, text=True, env=self.env,
                           timeout=DEADLINE, stdin=subprocess.DEVNULL)
        if check and r.returncode != 0:
            raise HarnessError(f"{' '.join(cmd)} failed ({r.returncode}): {r.stderr.strip()}")
        return r

    def ready(self) -> bool:
        return self._run("xdpyinfo", check=False).returncode == 0

    def size(self) -> tuple[int, int]:
        g = self.geometry(int(re.search(r"Window id: (0x[0-9a-f]+)",
                                        self._run("xwininfo", "-root").stdout).group(1), 16))
        return g.width, g.height

    # ---- windows

    def search(self, cls: str | None = None, name: str | None = None,
               visible: bool = False) -> list[int]:
        """Windows whose class (WM_CLASS) and title are exactly these."""
        # xdotool takes one pattern; the title is checked here
        cmd = ["xdotool", "search"]
        if visible:
            cmd.append("--onlyvisible")
        if cls is not None:
            cmd += ["--class", f"^{re.escape(cls)}$"]
        else:
            cmd += ["--name", f"^{re.escape(name or '')}$"]
        r = self._run(*cmd, check=False)
        found = [int(w) for w in r.stdout.split()]
        if cls is not None and name is not None:
            found = [w for w in found if self.title(w) == name]
        return found

    def prop(self, wid: int, name: str) -> str | None:
        """The value part of one property as xprop prints it; None if unset."""
        r = self._run("xprop", "-id", str(wid), name, check=False)
        line = r.stdout.strip()
        if r.returncode != 0 or "not found" in line or "no such atom" in line:
            return None
        for sep in (" = ", ": "):
            if sep in line:
                return line.split(sep, 1)[1]
        return None

    def wm_class(self, wid: int) -> tuple[str, str] | None:
        value = self.prop(wid, "WM_CLASS")
        if value is None:
            return None
        parts = re.findall(r'"((?:[^"\\]|\\.)*)"', value)
        return (parts[0], parts[1]) if len(parts) == 2 else None

    def title(self, wid: int) -> str | None:
        value = self.prop(wid, "WM_NAME")
        if value is None:
            return None
        m = re.fullmatch(r'"(.*)"', value)
        return m.group(1) if m else value

    def geometry(self, wid: int) -> Geometry | None:
        r = self._run("xwininfo", "-id", str(wid), check=False)
        if r.returncode != 0:
            return None
        info = dict(re.findall(r"^\s*([^:\n]+):\s*(.*)$", r.stdout, re.M))
        return Geometry(int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
                        int(info["Width"]), int(info["Height"]),
                        info.get("Map State") == "IsViewable")

    def shown(self, cls: str | None = None, name: str | None = None) -> list[int]:
        """Mapped windows of that class and title."""
        return [w for w in self.search(cls, name)
                if (g := self.geometry(w)) is not None and g.mapped]

    def focus(self) -> int:
        r = self._run("xdotool", "getwindowfocus", check=False)
        return int(r.stdout.strip()) if r.returncode == 0 and r.stdout.strip() else 0

    def wait_focus(self, wid: int, what: str = "window") -> None:
        poll(lambda: self.focus() == wid, what=f"keyboard focus on the {what} ({wid})")

    def grabs_taken(self) -> tuple[bool, bool]:
        return self.xlib.grabs_taken(self.display)

    def auto_repeat_off(self) -> None:
        if shutil.which("xset"):
            self._run("xset", "r", "off")
        else:
            self.xlib.auto_repeat_off(self.display)

    # ---- input

    def key(self, *names: str) -> None:
        self._run("xdotool", "key", "--clearmodifiers", *names)

    def key_down(self, name: str) -> None:
        self._run("xdotool", "keydown", name)

    def key_up(self, name: str) -> None:
        self._run("xdotool", "keyup", name)

    def move(self, x: int, y: int) -> None:
        self._run("xdotool", "mousemove", str(x), str(y))

    def click(self, x: int, y: int, button: int = 1) -> None:
        self._run("xdotool", "mousemove", str(x), str(y), "click", str(button))

    def press_button(self, button: int) -> None:
        """A click where the pointer is; buttons 4 and 5 turn the wheel."""
        self._run("xdotool", "click", str(button))

    # ---- screen

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        return self.xlib.pixel(self.display, x, y)

    def screenshot(self) -> Image.Image:
        r = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True,
                           env=self.env, timeout=DEADLINE, stdin=subprocess.DEVNULL)
        if r.returncode != 0:
            raise HarnessError(f"screenshot failed: {r.stderr.decode(errors='replace')}")
        return Image.open(io.BytesIO(r.stdout)).convert("RGB")


# --------------------------------------------------------------------------
# The program


def snapshot(src: Path, dest: Path) -> Path:
    """Copies a file that a build may be rewriting; retries until it stood
    still during the copy."""
    dest.parent.mkdir(parents=True, exist_ok=True)

    def copied():
        before = src.stat()
        shutil.copyfile(src, dest)
        after = src.stat()
        return (before.st_mtime_ns, before.st_size) == (after.st_mtime_ns, after.st_size)

    poll(copied, what=f"{src} to stand still for a copy")
    dest.chmod(0o755)
    return dest


class Proc:
    """One started process of the saver, in its own process group."""

    def __init__(self, argv: list[str], env: dict, logs: Path, cwd: Path):
        self.argv = argv
        logs.mkdir(parents=True, exist_ok=True)
        stem = "-".join(re.sub(r"[^A-Za-z0-9]+", "", a) or "x" for a in argv[1:]) or "noarg"
        n = len(list(logs.glob("*.err")))
        self.out_path = logs / f"{n:02d}-{stem[:40]}.out"
        self.err_path = logs / f"{n:02d}-{stem[:40]}.err"
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.proc = subprocess.Popen(argv, env=env, stdout=out, stderr=err,
                                         stdin=subprocess.DEVNULL, cwd=cwd,
                                         start_new_session=True)

    @property
    def pid(self) -> int:
        return self.proc.pid

    def running(self) -> bool:
        return self.proc.poll() is None

    def wait_exit(self, timeout: float = DEADLINE) -> int:
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{' '.join(self.argv[1:]) or '(no argument)'} still running "
                               f"after {timeout:.0f} s") from None

    def stderr(self) -> str:
        return self.err_path.read_text(errors="replace")

    def why_ended(self) -> str:
        return f"the process ended with code {self.proc.returncode}; stderr: {self.stderr()[-1500:]}"

    def kill(self) -> None:
        end_group(self.proc)


# --------------------------------------------------------------------------
# Reading screenshots


def colour_mask(img: Image.Image, rgb: tuple[int, int, int], tol: int) -> Image.Image:
    """A one-bit image: set where img is within tol of rgb in every channel."""
    bands = []
    for band, ref in zip(img.split(), rgb):
        lo, hi = ref - tol, ref + tol
        bands.append(band.point(lambda v, lo=lo, hi=hi: 255 if lo <= v <= hi else 0))
    mask = ImageChops.multiply(ImageChops.multiply(bands[0], bands[1]), bands[2])
    return mask.convert("1")


def count_set(mask: Image.Image) -> int:
    return mask.convert("L").histogram()[255]


def solid_box(img: Image.Image, rgb, tol: int = 60):
    """The screen rectangle (left, top, right, bottom; exclusive) that the
    colour fills, if it fills exactly one whole rectangle; else None."""
    mask = colour_mask(img, rgb, tol)
    box = mask.getbbox()
    if box is None:
        return None
    area = (box[2] - box[0]) * (box[3] - box[1])
    return box if count_set(mask) == area else None


def dark_pixels(img: Image.Image, box=None) -> int:
    gray = (img.crop(box) if box else img).convert("L")
    return sum(gray.histogram()[:128])


def pixels_not(img: Image.Image, rgb, box=None) -> int:
    part = img.crop(box) if box else img
    colours = part.getcolors(maxcolors=part.width * part.height)
    return sum(n for n, c in colours if c != rgb)


# --------------------------------------------------------------------------
# Starting the saver for one test

# Variables of the caller's desktop that must not leak into the program.
_SCRUBBED = ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME",
             "XDG_RUNTIME_DIR", "XAUTHORITY", "VIDSAVER_MPV_LOG", "HOME")


class Launcher:
    """Starts the program for one test with a settings folder of its own,
    and ends everything it started when the test is over."""

    def __init__(self, x: XDisplay, program: Path, workdir: Path, home: Path,
                 runtime_dir: Path):
        self.x = x
        self.program = program
        self.workdir = workdir
        self.config_dir = workdir / "config"
        self.config_dir.mkdir(parents=True, exist_ok=True)
        self.home = home
        self.runtime_dir = runtime_dir
        self.procs: list[Proc] = []
        self._held_keys: set[str] = set()

    @property
    def settings_path(self) -> Path:
        return self.config_dir / "vidsaver.ini"

    def write_settings(self, data: bytes) -> None:
        self.settings_path.write_bytes(data)

    def env(self, overrides: dict | None = None) -> dict:
        env = {k: v for k, v in os.environ.items() if k not in _SCRUBBED}
        env.update(DISPLAY=self.x.display, HOME=str(self.home),
                   XDG_CONFIG_HOME=str(self.config_dir),
                   XDG_RUNTIME_DIR=str(self.runtime_dir))
        for k, v in (overrides or {}).items():
            if v is None:
                env.pop(k, None)
            else:
                env[k] = v
        return env

    def start(self, *args: str, env: dict | None = None) -> Proc:
        """env: variables to set, or to remove where the value is None."""
        proc = Proc([str(self.program), *args], self.env(env), self.workdir / "logs",
                    self.workdir)
        self.procs.append(proc)
        return proc

    # ---- waiting for the program's windows

    def wait_window(self, proc: Proc, cls: str | None = None, name: str | None = None,
                    what: str | None = None) -> int:
        """Waits for a mapped window of that class and title; fails at once
        when the process ends first."""
        what = what or f"a window {cls or ''} {name or ''}".strip()

        def found():
            wins = self.x.shown(cls, name)
            if wins:
                return wins[0]
            if not proc.running():
                raise HarnessError(f"no {what}: {proc.why_ended()}")
            return None
        return poll(found, what=what)

    def wait_saver(self, proc: Proc) -> int:
        return self.wait_window(proc, SAVER_CLASS, SAVER_TITLE, "saver window")

    def wait_dialog(self, proc: Proc) -> int:
        return self.wait_window(proc, DIALOG_CLASS, None, "settings dialog")

    def wait_box(self, proc: Proc, title: str) -> int:
        return self.wait_window(proc, BOX_CLASS, title, f"message box {title!r}")

    def stays_running(self, proc: Proc, seconds: float = 2.0) -> None:
        """The process is still there throughout a fixed observation window:
        how long to watch for something that must not happen."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            assert proc.running(), f"it ended: {proc.why_ended()}"
            time.sleep(0.1)

    def wait_screen(self, proc: Proc, check, what: str, shot: str,
                    timeout: float = DEADLINE):
        """Polls screenshots until check(img) is truthy and returns (img,
        result). check may return a string to say why it is not satisfied
        yet; the last one goes into the failure with the last screenshot."""
        last: dict = {}

        def probe():
            img = self.x.screenshot()
            result = check(img)
            last["img"], last["why"] = img, result
            if result and not isinstance(result, str):
                return img, result
            if not proc.running():
                path = save_screenshot(img, shot)
                raise HarnessError(f"while waiting for {what}: {proc.why_ended()}; "
                                   f"last screenshot {path}")
            return None

        try:
            img, result = poll(probe, timeout=timeout, interval=0.05, what=what)
        except HarnessError as exc:
            if "img" in last and "last screenshot" not in str(exc):
                path = save_screenshot(last["img"], shot)
                why = last["why"] if isinstance(last["why"], str) else ""
                raise HarnessError(f"{exc}; last screenshot {path} {why}") from None
            raise
        save_screenshot(img, shot)
        return img, result

    # ---- input that must not outlive the test

    def key_down(self, name: str) -> None:
        self._held_keys.add(name)
        self.x.key_down(name)

    def key_up(self, name: str) -> None:
        self._held_keys.discard(name)
        self.x.key_up(name)

    def cleanup(self) -> None:
        errors = []
        for name in list(self._held_keys):
            self.key_up(name)
        for proc in self.procs:
            try:
                proc.kill()
            except HarnessError as exc:
                errors.append(str(exc))
        # The next test starts on an empty screen.
        poll(lambda: not (self.x.search(SAVER_CLASS) or self.x.search(DIALOG_CLASS)
                          or self.x.search(BOX_CLASS)),
             what="the program's windows to go after the test")
        if errors:
            raise HarnessError("; ".join(errors))


# The colours of background scheme 3 (green, aqua, fuchsia, yellow): none of
# them is black, so the black video panel stands out on it whether or not a
# picture plays in it.
SCHEME3 = [(0, 128, 0), (0, 255, 255), (255, 0, 255), (255, 255, 0)]


def background_mask(img: Image.Image, tol: int = 40) -> Image.Image:
    """Set where the screen shows one of the scheme-3 colours."""
    mask = None
    for rgb in SCHEME3:
        m = colour_mask(img, rgb, tol)
        mask = m if mask is None else ImageChops.logical_or(mask, m)
    return mask


def panel_on_background(img: Image.Image, tol: int = 40):
    """The rectangle (left, top, right, bottom; exclusive) that is not of a
    scheme-3 colour, when it is one whole rectangle and some background shows
    around it; otherwise a string that says what the screen shows."""
    panel = ImageChops.invert(background_mask(img, tol).convert("L")).convert("1")
    box = panel.getbbox()
    if box is None:
        return "no panel: the whole screen is background"
    area = (box[2] - box[0]) * (box[3] - box[1])
    if area == img.width * img.height:
        return "no background colour on the screen"
    holes = area - count_set(panel)
    if holes:
        return f"the panel at {box} has {holes} background pixels inside"
    return box


def steady(check):
    """A screen check that gives the same answer in two screenshots in a row."""
    previous: dict = {}

    def twice(img):
        result = check(img)
        if not result or isinstance(result, str):
            previous.pop("seen", None)
            return result
        if previous.get("seen") != result:
            previous["seen"] = result
            return f"{result} once"
        return result
    return twice
