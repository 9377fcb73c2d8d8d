"""Drives the Windows build of the saver under Wine and Xvfb.

One Wine prefix and (when needed) one Xvfb server serve the whole session.
The machine may not run 32-bit Linux code at all (no ia32 emulation), in
which case 32-bit Wine cannot start and the 64-bit build is driven with
wine64 instead; both builds come from the same sources.
"""

from __future__ import annotations

import io
import os
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

from PIL import Image

REPO = Path(__file__).resolve().parents[2]
OUT_DIR = Path(__file__).resolve().parent / "out"

WINE_DIR = Path("/usr/lib/wine")
WINESERVER = WINE_DIR / "wineserver"

SAVER_CLASS = "TForm1"
SAVER_CAPTION = "Devarozuv33"
DIALOG_CLASS = "TForm2"

# Wine is slow on two cores; every wait polls up to this long.
DEADLINE = 30.0
POLL = 0.1

SCREEN_W, SCREEN_H = 1024, 768


class HarnessError(AssertionError):
    pass


def poll(predicate, timeout=DEADLINE, interval=POLL, what="condition"):
    """Calls predicate until it returns something truthy; returns that."""
    end = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() >= end:
            raise HarnessError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def winpath(path: Path | str) -> str:
    """The Windows name of a Unix path, through Wine's Z: drive."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def ini_name_for(exe_name: str) -> str:
    """Settings file name for an executable: its name cut at the first '.'."""
    return exe_name.split(".", 1)[0] + ".ini"


def can_run_32bit(wine32: Path = WINE_DIR / "wine") -> tuple[bool, str]:
    """Whether 32-bit Wine starts here; kernels without ia32 emulation refuse
    to exec it ("Exec format error")."""
    if not wine32.exists():
        return False, f"{wine32} missing"
    try:
        proc = subprocess.run([str(wine32), "--version"], capture_output=True,
                              text=True, timeout=60)
    except OSError as exc:
        return False, str(exc)
    out = (proc.stdout + proc.stderr).strip()
    if proc.returncode == 0 and "Exec format error" not in out:
        return True, out
    return False, out or f"exit code {proc.returncode}"


# --------------------------------------------------------------------------
# Xvfb


class Xvfb:
    """A private X server of exactly 1024x768, started on a free display.
    Auto-repeat is off, so that a held key sends one press and one release."""

    def __init__(self, workdir: Path):
        self.workdir = workdir
        self.proc: subprocess.Popen | None = None
        self.display = ""

    @staticmethod
    def _taken(n: int) -> bool:
        return Path(f"/tmp/.X{n}-lock").exists() or Path(f"/tmp/.X11-unix/X{n}").exists()

    def start(self) -> str:
        for n in range(90, 190):
            if self._taken(n):
                continue
            log = open(self.workdir / f"xvfb-{n}.log", "wb")
            proc = subprocess.Popen(
                ["Xvfb", f":{n}", "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24",
                 "-nolisten", "tcp", "-r"],
                stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
            log.close()
            display = f":{n}"

            def ready():
                if proc.poll() is not None:
                    return "dead"
                r = subprocess.run(["xdpyinfo", "-display", display],
                                   capture_output=True)
                return "up" if r.returncode == 0 else None

            state = poll(ready, what=f"Xvfb on {display}")
            if state == "up":
                self.proc, self.display = proc, display
                return display
            # lost a race for that display number: try the next one
        raise HarnessError("no free X display number for Xvfb")

    def stop(self) -> None:
        if self.proc is not None and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(10)
        self.proc = None


# --------------------------------------------------------------------------
# The Wine environment


REG_SETTINGS = """Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\Direct3D]
"renderer"="gdi"
"""


@dataclass
class WineEnv:
    wine: str                 # the loader that runs the program under test
    env: dict                 # environment for every Wine process
    build_dir: Path
    bits: int
    prefix: Path
    windows_dir: Path
    system_dir: Path
    tools_dir: Path
    workdir: Path
    display: str
    own_xvfb: bool
    why: str = ""             # why this build and loader were chosen
    _counter: int = field(default=0, repr=False)

    saver_snapshot: Path | None = None

    @property
    def saver_exe(self) -> Path:
        """The session's own copy of the built program, taken at the start:
        other developers rebuild the build tree while the suite runs."""
        return self.saver_snapshot or self.build_dir / "vidsaver.scr"

    def describe(self) -> str:
        loader = Path(self.wine).name
        return (f"{self.bits}-bit build {self.build_dir / 'vidsaver.scr'} with {loader} in a 64-bit "
                f"prefix, system directory {self.system_dir.name}, display "
                f"{self.display}{' (own Xvfb)' if self.own_xvfb else ''}"
                + (f"; {self.why}" if self.why else ""))

    # ---- processes

    def make_env(self, extra: dict | None = None, dll_overrides: dict | None = None) -> dict:
        env = dict(self.env)
        overrides = {"mscoree": "", "mshtml": ""}
        overrides.update(dll_overrides or {})
        env["WINEDLLOVERRIDES"] = ";".join(f"{k}={v}" for k, v in overrides.items())
        if extra:
            env.update(extra)
        return env

    def next_log(self, stem: str) -> tuple[Path, Path]:
        self._counter += 1
        base = self.workdir / "logs" / f"{self._counter:04d}-{stem}"
        base.parent.mkdir(exist_ok=True)
        return base.with_suffix(".out"), base.with_suffix(".err")

    def run(self, args: list[str], timeout: float = DEADLINE, extra_env: dict | None = None,
            cwd: Path | None = None) -> subprocess.CompletedProcess:
        """Runs a Windows program to its end, with its own output files."""
        out_path, err_path = self.next_log(Path(args[0]).stem)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            proc = subprocess.Popen([self.wine, *args], env=self.make_env(extra_env),
                                    stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                                    cwd=cwd or self.workdir)
            try:
                rc = proc.wait(timeout)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
                raise HarnessError(f"{args} did not end within {timeout:.0f} s")
        return subprocess.CompletedProcess(args, rc, out_path.read_text(errors="replace"),
                                           err_path.read_text(errors="replace"))

    def tool(self, name: str) -> Path:
        path = self.tools_dir / name / f"{name}.exe"
        if not path.exists():
            raise HarnessError(f"helper tool {path} is not built")
        return path

    def run_tool(self, name: str, *args: str, extra_env: dict | None = None):
        return self.run([str(self.tool(name)), *args], extra_env=extra_env)

    # ---- windows

    def find_window(self, cls: str, caption: str | None = None) -> bool:
        args = [cls] if caption is None else [cls, caption]
        return self.run_tool("find_window", *args).returncode == 0

    def count_windows(self, cls: str, caption: str | None = None) -> int:
        args = ["--count", cls] + ([] if caption is None else [caption])
        res = self.run_tool("find_window", *args)
        return int(res.stdout.split()[0])

    def window_rect(self, cls: str, caption: str, child_cls: str | None = None,
                    child_text: str | None = None) -> tuple[int, int, int, int] | None:
        """Screen rectangle (left, top, right, bottom) of a window or of its
        child with the given class and text; None when not found."""
        args = ["--rect", cls, caption]
        if child_cls is not None:
            args += [child_cls, child_text or ""]
        res = self.run_tool("find_window", *args)
        if res.returncode != 0:
            return None
        left, top, right, bottom = (int(v) for v in res.stdout.split()[:4])
        return left, top, right, bottom

    def saver_window_exists(self) -> bool:
        return self.find_window(SAVER_CLASS, SAVER_CAPTION)

    def x_windows_named(self, name: str, visible: bool = True) -> list[str]:
        """X windows whose title is exactly name (xdotool matches a regex)."""
        import re
        cmd = ["xdotool", "search"]
        if visible:
            cmd.append("--onlyvisible")
        cmd += ["--name", f"^{re.escape(name)}$"]
        r = subprocess.run(cmd, capture_output=True, text=True, env=self.env)
        return r.stdout.split()

    def focused_window_name(self) -> str:
        r = subprocess.run(["xdotool", "getwindowfocus", "getwindowname"], capture_output=True,
                           text=True, env=self.env)
        return r.stdout.strip() if r.returncode == 0 else ""

    def wait_focus(self, name: str, timeout: float = DEADLINE) -> None:
        """Waits until the X input focus is on the window titled name: keys
        sent before that go elsewhere."""
        poll(lambda: self.focused_window_name() == name, timeout,
             what=f"keyboard focus on {name!r} (focus is on {self.focused_window_name()!r})")

    def wait_no_saver(self, timeout: float = DEADLINE) -> None:
        poll(lambda: not self.saver_window_exists(), timeout,
             what="no saver window to be left")

    # ---- X input and screen

    def xdotool(self, *args: str) -> None:
        r = subprocess.run(["xdotool", *args], capture_output=True, text=True, env=self.env)
        if r.returncode != 0:
            raise HarnessError(f"xdotool {' '.join(args)} failed: {r.stderr.strip()}")

    def screenshot(self) -> Image.Image:
        r = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True,
                           env=self.env, timeout=DEADLINE)
        if r.returncode != 0:
            raise HarnessError(f"screenshot failed: {r.stderr.decode(errors='replace')}")
        return Image.open(io.BytesIO(r.stdout)).convert("RGB")

    # ---- session

    def shutdown(self) -> None:
        subprocess.run([str(WINESERVER), "-k"], env=self.env, capture_output=True, timeout=60)
        try:
            subprocess.run([str(WINESERVER), "-w"], env=self.env, capture_output=True,
                           timeout=60)
        except subprocess.TimeoutExpired:
            pass


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
    return dest


def create_wine_env(workdir: Path) -> tuple[WineEnv, Xvfb | None]:
    """Chooses the build and loader, starts Xvfb when needed and makes the
    prefix. The caller owns the returned objects and must shut them down."""
    forced = os.environ.get("VIDSAVER_E2E_BITS", "")
    ok32, why = can_run_32bit()
    if forced == "64" or (forced != "32" and not ok32):
        bits, wine, sysdir_name = 64, str(WINE_DIR / "wine64"), "system32"
    else:
        bits, wine, sysdir_name = 32, str(WINE_DIR / "wine"), "syswow64"
    # lets a developer point the suite at another build of the same width
    build_dir = Path(os.environ.get("VIDSAVER_E2E_BUILD_DIR") or REPO / "build" / f"win{bits}")
    saver = build_dir / "vidsaver.scr"
    if not saver.exists():
        raise HarnessError(
            f"{saver} is not built (32-bit Wine: "
            f"{'runs' if ok32 else 'cannot run: ' + why}); build it with "
            f"cmake --preset win{bits} && cmake --build --preset win{bits} -j2")

    xvfb = None
    display = os.environ.get("DISPLAY", "")
    own = not display or os.environ.get("VIDSAVER_E2E_OWN_XVFB") == "1"
    if own:
        xvfb = Xvfb(workdir)
        display = xvfb.start()

    prefix = workdir / "prefix"
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    env.update(WINEPREFIX=str(prefix), DISPLAY=display, WINEDEBUG="-all",
               WINEARCH="win64")
    wenv = WineEnv(wine=wine, env=env, build_dir=build_dir, bits=bits, prefix=prefix,
                   windows_dir=prefix / "drive_c" / "windows",
                   system_dir=prefix / "drive_c" / "windows" / sysdir_name,
                   tools_dir=build_dir / "tests" / "win_tools", workdir=workdir,
                   display=display, own_xvfb=own,
                   why=("chosen by VIDSAVER_E2E_BITS" if forced in ("32", "64")
                        else "32-bit Wine runs" if ok32
                        else f"32-bit Wine cannot run: {why.splitlines()[-1] if why else '?'}"))
    wenv.saver_snapshot = snapshot(saver, workdir / "program" / saver.name)
    try:
        # wineboot always goes through the 64-bit loader: it builds a 64-bit
        # prefix, which also serves 32-bit programs through syswow64.
        boot = subprocess.run([str(WINE_DIR / "wine64"), "wineboot", "-i"],
                              env=wenv.make_env(), capture_output=True, timeout=300)
        if boot.returncode != 0:
            raise HarnessError(f"wineboot failed: {boot.stderr.decode(errors='replace')}")
        subprocess.run([str(WINESERVER), "-w"], env=env, timeout=300)
        reg = workdir / "settings.reg"
        reg.write_text(REG_SETTINGS.replace("\n", "\r\n"), encoding="utf-16")
        res = subprocess.run([str(WINE_DIR / "wine64"), "regedit", "/S", winpath(reg)],
                             env=wenv.make_env(), capture_output=True, timeout=120)
        if res.returncode != 0:
            raise HarnessError(f"regedit failed: {res.stderr.decode(errors='replace')}")
        # A persistent server keeps every later start quick.
        subprocess.run([str(WINESERVER), "-w"], env=env, timeout=300)
        subprocess.run([str(WINESERVER), "-p"], env=env, timeout=60)
        if not wenv.system_dir.is_dir():
            raise HarnessError(f"prefix has no {wenv.system_dir}")
    except BaseException:
        wenv.shutdown()
        if xvfb:
            xvfb.stop()
        raise
    return wenv, xvfb


# --------------------------------------------------------------------------
# One copy of the saver


class Saver:
    """A copy of the built saver under a chosen name, with its settings file
    in the Windows directory when one is given."""

    def __init__(self, wenv: WineEnv, directory: Path, name: str = "vidsaver.scr",
                 ini: bytes | None = None, ini_name: str | None = None):
        """ini_name puts the settings file under another name than the one
        the program derives, to show which name it looks for."""
        self.wenv = wenv
        self.name = name
        directory.mkdir(parents=True, exist_ok=True)
        self.exe = directory / name
        shutil.copyfile(wenv.saver_exe, self.exe)
        self.ini_path = wenv.windows_dir / (ini_name or ini_name_for(name))
        self._wrote_ini = False
        if ini is not None:
            self.write_ini(ini)
        self.proc: subprocess.Popen | None = None
        self._held: set[str] = set()
        self.out_path: Path | None = None
        self.err_path: Path | None = None

    def write_ini(self, content: bytes) -> None:
        self.ini_path.write_bytes(content)
        self._wrote_ini = True

    # ---- starting and ending

    def start(self, *args: str, extra_env: dict | None = None,
              dll_overrides: dict | None = None) -> "Saver":
        """Starts the copy the way the system does: loader, program, switch.
        Wine turns the arguments into a command line, quoting where needed."""
        return self._spawn([self.wenv.wine, str(self.exe), *args], extra_env, dll_overrides)

    def start_cmdline(self, tail: str, extra_env: dict | None = None,
                      dll_overrides: dict | None = None) -> "Saver":
        """Starts the copy with the exact command line '"<exe>" <tail>'; the
        launcher's exit code is the program's."""
        env = dict(extra_env or {})
        env["VIDSAVER_RUN_CMDLINE"] = f'"{winpath(self.exe)}" {tail}'
        return self._spawn([self.wenv.wine, str(self.wenv.tool("run_cmdline"))], env,
                           dll_overrides)

    def _spawn(self, argv, extra_env, dll_overrides) -> "Saver":
        assert self.proc is None, "one process per Saver"
        self.out_path, self.err_path = self.wenv.next_log(Path(self.name).stem or "saver")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.proc = subprocess.Popen(
                argv, env=self.wenv.make_env(extra_env, dll_overrides), stdout=out,
                stderr=err, stdin=subprocess.DEVNULL, cwd=self.exe.parent)
        return self

    def running(self) -> bool:
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout: float = DEADLINE) -> int:
        assert self.proc is not None, "not started"
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{self.name} still running after {timeout:.0f} s") from None

    def kill(self) -> None:
        if self.proc is not None and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGKILL)
            self.proc.wait(DEADLINE)

    def cleanup(self) -> None:
        # a key left down would reach the next test's windows
        for name in list(self._held):
            self.key_up(name)
        self.kill()
        if self._wrote_ini:
            self.ini_path.unlink(missing_ok=True)
            self._wrote_ini = False

    def stderr(self) -> str:
        return self.err_path.read_text(errors="replace") if self.err_path else ""

    # ---- waiting for windows

    def wait_window(self, cls: str, caption: str | None = None,
                    timeout: float = DEADLINE) -> None:
        """Waits until FindWindowA finds the window; fails early if the
        process ends first."""
        def found():
            if self.wenv.find_window(cls, caption):
                return True
            if self.proc is not None and self.proc.poll() is not None:
                raise HarnessError(
                    f"{self.name} ended with code {self.proc.returncode} before a "
                    f"window {cls!r}/{caption!r} appeared; stderr: {self.stderr()[-2000:]}")
            return False
        poll(found, timeout, what=f"window {cls!r} {caption!r}")

    def wait_saver_window(self, timeout: float = DEADLINE) -> None:
        self.wait_window(SAVER_CLASS, SAVER_CAPTION, timeout)

    def wait_x_window(self, name: str, timeout: float = DEADLINE) -> str:
        """Waits for a visible X window titled exactly name; returns its id."""
        def found():
            ids = self.wenv.x_windows_named(name)
            if ids:
                return ids[0]
            if self.proc is not None and self.proc.poll() is not None:
                raise HarnessError(
                    f"{self.name} ended with code {self.proc.returncode} before a "
                    f"window named {name!r} appeared")
            return None
        return poll(found, timeout, what=f"X window named {name!r}")

    # ---- input and screen

    def screenshot(self) -> Image.Image:
        return self.wenv.screenshot()

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        return self.screenshot().getpixel((x, y))

    def key(self, name: str, focus: str | None = None) -> None:
        """Presses and releases a key; with focus, first waits until the
        window of that title has the keyboard."""
        if focus is not None:
            self.wenv.wait_focus(focus)
        self.wenv.xdotool("key", "--clearmodifiers", name)

    def key_down(self, name: str) -> None:
        self.wenv.xdotool("keydown", name)
        self._held.add(name)

    def key_up(self, name: str) -> None:
        self._held.discard(name)
        self.wenv.xdotool("keyup", name)

    def move(self, x: int, y: int) -> None:
        self.wenv.xdotool("mousemove", str(x), str(y))

    def click(self, x: int, y: int, button: int = 1) -> None:
        self.wenv.xdotool("mousemove", str(x), str(y), "click", str(button))

    def post_key_up(self) -> int:
        return self.wenv.run_tool("post_key_up").returncode


def new_workdir() -> Path:
    return Path(tempfile.mkdtemp(prefix="vidsaver-e2e-"))


# --------------------------------------------------------------------------
# Reading screenshots

# Where the nothing-to-play message lies: left, top, right, bottom (exclusive).
LABEL_BOX = (68, 87, 68 + 469, 87 + 106)
WHITE = (255, 255, 255)


def grow(box, margin):
    left, top, right, bottom = box
    return (max(0, left - margin), max(0, top - margin), right + margin, bottom + margin)


def non_white_outside(img: Image.Image, box) -> int:
    """Number of pixels that are not pure white outside box."""
    left, top, right, bottom = box
    w, h = img.size
    regions = [(0, 0, w, top), (0, bottom, w, h), (0, top, left, bottom), (right, top, w, bottom)]
    count = 0
    for region in regions:
        if region[0] >= region[2] or region[1] >= region[3]:
            continue
        part = img.crop(region)
        colours = part.getcolors(maxcolors=part.width * part.height)
        count += sum(n for n, c in colours if c != WHITE)
    return count


def dark_pixels_in(img: Image.Image, box) -> int:
    """Number of clearly dark pixels (text) inside box."""
    gray = img.crop(box).convert("L")
    return sum(gray.histogram()[:128])


def dark_rows_in(img: Image.Image, box) -> list[int]:
    """Screen rows inside box that hold at least one dark pixel."""
    left, top, right, bottom = box
    gray = img.crop(box).convert("L")
    width = right - left
    data = list(gray.getdata())
    return [top + y for y in range(bottom - top)
            if min(data[y * width:(y + 1) * width]) < 128]


def dark_columns_in(img: Image.Image, box) -> list[int]:
    """Screen columns inside box that hold at least one dark pixel."""
    left, top, right, bottom = box
    # columns of the image are the rows of its transpose
    return dark_rows_in(img.transpose(Image.Transpose.TRANSPOSE), (top, left, bottom, right))


def save_screenshot(img: Image.Image, name: str) -> Path:
    OUT_DIR.mkdir(exist_ok=True)
    path = OUT_DIR / name
    img.save(path)
    return path
