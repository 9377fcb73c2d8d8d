"""Video clips and bad inputs for the playback tests, made with ffmpeg from
its test sources, plus the settings files and screen readings that go with
them.

Clips are made on first use and kept for the rest of the session in one
temporary folder. Solid-colour clips are the easiest to recognise on the
screen: a panel playing one is that colour edge to edge, whatever the
stretching.
"""

from __future__ import annotations

import atexit
import shutil
import struct
import subprocess
import tempfile
import threading
from pathlib import Path

from PIL import Image

from harness import (SCREEN_H, SCREEN_W, HarnessError, poll, save_screenshot, winpath)

# Colours the clips are made of, as the screen shows them (red, green, blue).
# All are exact in the 5-bit channels of MS Video 1.
RGB = {
    "red": (255, 0, 0),
    "blue": (0, 0, 255),
    "yellow": (255, 255, 0),
    "lime": (0, 255, 0),
    "magenta": (255, 0, 255),
    "cyan": (0, 255, 255),
    "black": (0, 0, 0),
}

# Codecs whose pictures only come in multiples of 4 pixels; odd sizes are
# made as uncompressed video instead.
BLOCK_CODECS = {"msvideo1", "cinepak"}

# Colour tolerance per channel: Cinepak works in a YUV-like space.
TOLERANCE = 48


def close_to(rgb, ref, tol: int = TOLERANCE) -> bool:
    return all(abs(a - b) <= tol for a, b in zip(rgb, ref))


def colour_name(rgb, palette: dict | None = None, tol: int = TOLERANCE) -> str | None:
    """The name of the palette colour that rgb is close to, or None."""
    for name, ref in (palette or RGB).items():
        if close_to(rgb, ref, tol):
            return name
    return None


def _ffmpeg(args: list[str], out: Path) -> None:
    tmp = out.with_name(out.name + ".part" + out.suffix)
    cmd = ["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", *args, str(tmp)]
    r = subprocess.run(cmd, capture_output=True, text=True, timeout=120)
    if r.returncode != 0:
        raise HarnessError(f"ffmpeg failed for {out.name}: {r.stderr.strip()[-1500:]}")
    tmp.replace(out)


def _bottom_up(path: Path) -> None:
    """ffmpeg stores raw RGB frames top-down, with a negative picture height
    in the AVI header, which some players report as the picture's height.
    The frames were flipped when made; make the header say bottom-up."""
    data = bytearray(path.read_bytes())
    at = data.find(b"strf")
    if at < 0:
        raise HarnessError(f"{path} has no stream format chunk")
    height_at = at + 8 + 8  # chunk header, then biSize and biWidth
    (height,) = struct.unpack_from("<i", data, height_at)
    struct.pack_into("<i", data, height_at, abs(height))
    path.write_bytes(bytes(data))


class Media:
    """Makes and caches clips and bad inputs under one folder."""

    def __init__(self, root: Path):
        self.root = root
        self._lock = threading.Lock()

    def _cached(self, name: str, make) -> Path:
        path = self.root / name
        with self._lock:
            if not path.exists():
                path.parent.mkdir(parents=True, exist_ok=True)
                make(path)
        return path

    # ---- good clips

    def solid(self, colour: str, size: tuple[int, int] = (320, 240), seconds: float = 1.0,
              codec: str = "msvideo1") -> Path:
        """An AVI of one colour throughout. MS Video 1 and Cinepak need sizes
        in multiples of 4; other sizes need codec="rawvideo"."""
        w, h = size
        if codec in BLOCK_CODECS and (w % 4 or h % 4):
            raise ValueError(f"{codec} cannot make a {w}x{h} picture; use rawvideo")
        name = f"solid-{colour}-{w}x{h}-{seconds:g}s-{codec}.avi"

        def make(path: Path) -> None:
            r, g, b = RGB[colour]
            # The RGB source keeps odd sizes (a YUV one would round them).
            src = f"color=c=0x{r:02X}{g:02X}{b:02X}:s={w}x{h}:r=15:d={seconds:g}"
            if codec == "rawvideo":
                # 32 bits a pixel keeps every row a multiple of 4 bytes long.
                _ffmpeg(["-f", "lavfi", "-i", src + ",format=bgra,vflip",
                         "-c:v", "rawvideo"], path)
                _bottom_up(path)
            else:
                _ffmpeg(["-f", "lavfi", "-i", src + ",format=bgr24", "-c:v", codec], path)
        return self._cached(name, make)

    def colour_steps(self, colours: list[str], seconds_each: float = 1.0,
                     size: tuple[int, int] = (320, 240), codec: str = "msvideo1") -> Path:
        """An AVI whose colour changes with time: each colour in turn."""
        w, h = size
        name = f"steps-{'-'.join(colours)}-{w}x{h}-{seconds_each:g}s-{codec}.avi"

        def make(path: Path) -> None:
            parts, labels = [], []
            for i, colour in enumerate(colours):
                r, g, b = RGB[colour]
                parts.append(f"color=c=0x{r:02X}{g:02X}{b:02X}:s={w}x{h}:r=15:"
                             f"d={seconds_each:g},format=bgr24[c{i}]")
                labels.append(f"[c{i}]")
            graph = ";".join(parts) + ";" + "".join(labels) + \
                f"concat=n={len(colours)}:v=1:a=0[out]"
            _ffmpeg(["-filter_complex", graph, "-map", "[out]", "-c:v", codec], path)
        return self._cached(name, make)

    def mpeg1(self, colour: str, size: tuple[int, int] = (320, 240),
              seconds: float = 3.0) -> Path:
        """An MPEG-1 system stream (.mpg) of one colour."""
        w, h = size
        name = f"solid-{colour}-{w}x{h}-{seconds:g}s.mpg"

        def make(path: Path) -> None:
            r, g, b = RGB[colour]
            # MPEG-1 allows only the standard frame rates.
            src = f"color=c=0x{r:02X}{g:02X}{b:02X}:s={w}x{h}:r=25:d={seconds:g}"
            _ffmpeg(["-f", "lavfi", "-i", src, "-c:v", "mpeg1video", "-q:v", "2",
                     "-f", "mpeg"], path)
        return self._cached(name, make)

    def spaced(self, colour: str = "blue") -> Path:
        """A good clip whose folder and file names hold blanks."""
        src = self.solid(colour)
        return self._cached(f"folder with spaces/{colour} clip {src.stem}.avi",
                            lambda p: shutil.copyfile(src, p))

    # ---- bad inputs

    def zero_byte(self) -> Path:
        return self._cached("bad/empty.avi", lambda p: p.write_bytes(b""))

    def truncated(self) -> Path:
        """The headers of a real AVI and the start of its frames, cut short
        before the frame data and the index."""
        src = self.solid("red", seconds=2.0)
        return self._cached("bad/truncated.avi",
                            lambda p: p.write_bytes(src.read_bytes()[:3000]))

    def text_as_avi(self) -> Path:
        return self._cached("bad/notes.avi",
                            lambda p: p.write_text("These are notes, not a video.\r\n"))

    def no_extension(self) -> Path:
        """A good AVI under a name without an extension: nothing tells the
        media layer which device to use."""
        src = self.solid("red")
        return self._cached("bad/clip", lambda p: shutil.copyfile(src, p))

    def directory(self) -> Path:
        return self._cached("bad/folder.avi", lambda p: p.mkdir())

    def missing(self) -> Path:
        path = self.root / "bad" / "gone.avi"
        path.parent.mkdir(parents=True, exist_ok=True)
        return path

    def long_path(self, length: int = 300) -> Path:
        """A good clip whose Windows path (Z:\\...) is exactly length characters."""
        src = self.solid("red")
        base = self.root / "long"
        # "Z:" + the Unix path; each folder name is kept well under 255 bytes.
        prefix = len(winpath(base)) + 1
        remaining = length - prefix
        parts = []
        while remaining > 130:
            parts.append("d" * 100)
            remaining -= 101
        stem_len = remaining - len(".avi")
        if stem_len < 1:
            raise HarnessError("temporary folder too deep for a long-path clip")
        path = base.joinpath(*parts, "f" * stem_len + ".avi")
        assert len(winpath(path)) == length, winpath(path)
        return self._cached(str(path.relative_to(self.root)),
                            lambda p: shutil.copyfile(src, p))


_media: Media | None = None


def library() -> Media:
    """The session's clip library, made on first use."""
    global _media
    if _media is None:
        root = Path(tempfile.mkdtemp(prefix="vidsaver-clips-"))
        atexit.register(shutil.rmtree, root, True)
        _media = Media(root)
    return _media


# --------------------------------------------------------------------------
# Settings files


def saver_ini(videos: list[Path | str], *, picdis: int = 1, color: int = 4,
              picord: int = 2, width: int = 320, height: int = 240) -> bytes:
    """A settings file that plays the given files (Unix paths are turned into
    Windows ones) with the given options; the sound track is off."""
    lines = ["[Options]", "Sound=0", "Repeat=0", f"Color={color}", f"Picdis={picdis}",
             f"Picord={picord}", f"Height={height}", f"Width={width}", "Status=0", "",
             "[VidConfig]"]
    for n, video in enumerate(videos, start=1):
        lines.append(f"Name{n}={video if isinstance(video, str) else winpath(video)}")
    return ("\r\n".join(lines) + "\r\n").encode("latin-1")


# --------------------------------------------------------------------------
# Reading the screen

ERROR_TITLE = "Error"
VIDEO_ERROR_TEXT = ("An error occurred trying to play the video file. The video file "
                    "appears to be corrupt. Please verify that your video files are "
                    "viewable.")
BOX_CLASS = "#32770"


def error_boxes(wenv) -> int:
    """How many of the saver's video error boxes are open."""
    return wenv.count_windows(BOX_CLASS, ERROR_TITLE)


def error_box_has_text(wenv) -> bool:
    return wenv.window_rect(BOX_CLASS, ERROR_TITLE, "Static", VIDEO_ERROR_TEXT) is not None


def wait_screen(saver, check, what: str, shot_name: str, timeout: float | None = None):
    """Polls screenshots until check(img) is truthy; returns (img, result).
    check may return a string instead to explain why it is not yet
    satisfied; the last explanation and screenshot go into the failure."""
    last: dict = {}

    def probe():
        img = saver.screenshot()
        result = check(img)
        last["img"], last["why"] = img, result
        if result and not isinstance(result, str):
            return img, result
        if not saver.running():
            raise HarnessError(f"saver ended (code {saver.proc.returncode}) while waiting "
                               f"for {what}; stderr: {saver.stderr()[-2000:]}")
        return None

    kwargs = {} if timeout is None else {"timeout": timeout}
    try:
        img, result = poll(probe, what=what, **kwargs)
    except HarnessError as exc:
        if "img" in last:
            path = save_screenshot(last["img"], shot_name)
            why = last["why"] if isinstance(last["why"], str) else ""
            raise HarnessError(f"{exc}; last screenshot {path} {why}") from None
        raise
    save_screenshot(img, shot_name)
    return img, result


def on_screen(x: int, y: int) -> bool:
    return 0 <= x < SCREEN_W and 0 <= y < SCREEN_H


def panel_samples(left: int, top: int, width: int, height: int):
    """Points just inside and just outside each edge of a panel, and inside
    its corners, limited to the screen: (inside, outside) lists of (x, y)."""
    right, bottom = left + width - 1, top + height - 1
    # Along each edge: near both ends and in the middle, clipped to the screen.
    xs = sorted({min(max(v, max(left, 0)), min(right, SCREEN_W - 1))
                 for v in (left + 2, left + width // 2, right - 2)})
    ys = sorted({min(max(v, max(top, 0)), min(bottom, SCREEN_H - 1))
                 for v in (top + 2, top + height // 2, bottom - 2)})
    inside, outside = [], []
    for y in ys:
        inside += [(left, y), (right, y)]
        outside += [(left - 1, y), (right + 1, y)]
    for x in xs:
        inside += [(x, top), (x, bottom)]
        outside += [(x, top - 1), (x, bottom + 1)]
    inside += [(left, top), (right, top), (left, bottom), (right, bottom)]
    # The corners and the centre of the part that the screen shows, which
    # is all there is of a panel larger than the screen.
    vl, vt = max(left, 0), max(top, 0)
    vr, vb = min(right, SCREEN_W - 1), min(bottom, SCREEN_H - 1)
    if vl <= vr and vt <= vb:
        inside += [(vl, vt), (vr, vt), (vl, vb), (vr, vb), ((vl + vr) // 2, (vt + vb) // 2)]
    outside += [(left - 1, top - 1), (right + 1, top - 1), (left - 1, bottom + 1),
                (right + 1, bottom + 1)]
    return ([p for p in inside if on_screen(*p)], [p for p in outside if on_screen(*p)])


def pixels(img: Image.Image, points) -> dict:
    return {p: img.getpixel(p) for p in points}
