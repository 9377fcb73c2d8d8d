"""Test clips made with ffmpeg from its lavfi sources, once per session, in
one temporary folder. Solid colours are the easiest to find on the screen:
a panel playing one is that colour edge to edge, however it is stretched."""

from __future__ import annotations

import shutil
import subprocess
import threading
from pathlib import Path

from harness import HarnessError

RGB = {
    "red": (255, 0, 0),
    "blue": (0, 0, 255),
    "lime": (0, 255, 0),
    "yellow": (255, 255, 0),
    "magenta": (255, 0, 255),
    "cyan": (0, 255, 255),
}

# How each container and codec is made: file extension, ffmpeg output options.
FORMATS = {
    "mp4-h264": ("mp4", ["-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"]),
    "webm-vp9": ("webm", ["-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8"]),
    "mkv-vp9": ("mkv", ["-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8"]),
    "mov-hevc": ("mov", ["-c:v", "libx265", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
                         "-tag:v", "hvc1", "-x265-params", "log-level=error"]),
    "mkv-av1": ("mkv", ["-c:v", "libaom-av1", "-cpu-used", "8", "-pix_fmt", "yuv420p"]),
    "avi-mpeg4": ("avi", ["-c:v", "mpeg4", "-q:v", "2"]),
    "mpg-mpeg1": ("mpg", ["-c:v", "mpeg1video", "-q:v", "2", "-f", "mpeg"]),
    # lossless RGB keeps odd picture sizes exactly
    "mkv-ffv1": ("mkv", ["-c:v", "ffv1", "-pix_fmt", "bgr0"]),
}


class Clips:
    def __init__(self, root: Path):
        self.root = root
        self._lock = threading.Lock()

    def _make(self, name: str, source: str, fmt: str) -> Path:
        ext, options = FORMATS[fmt]
        path = self.root / f"{name}.{ext}"
        with self._lock:
            if path.exists():
                return path
            self.root.mkdir(parents=True, exist_ok=True)
            part = path.with_name(f"{path.stem}.part.{ext}")
            cmd = ["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                   "-f", "lavfi", "-i", source, *options, str(part)]
            r = subprocess.run(cmd, capture_output=True, text=True, timeout=120,
                               stdin=subprocess.DEVNULL)
            if r.returncode != 0:
                raise HarnessError(f"ffmpeg could not make {path.name}: {r.stderr[-1500:]}")
            part.replace(path)
        return path

    def solid(self, colour: str, fmt: str = "mp4-h264", size: tuple[int, int] = (320, 240),
              seconds: float = 3.0) -> Path:
        """A clip of one colour throughout."""
        w, h = size
        r, g, b = RGB[colour]
        source = f"color=c=0x{r:02X}{g:02X}{b:02X}:s={w}x{h}:r=25:d={seconds:g}"
        if fmt == "mkv-ffv1":
            source += ",format=bgr0"   # a YUV source would round odd sizes down
        return self._make(f"{colour}-{w}x{h}-{seconds:g}s-{fmt}", source, fmt)

    def spaced(self, clip: Path) -> Path:
        """A copy of a clip in a folder and under a name with blanks."""
        path = self.root / "folder with blanks" / f"{clip.stem} copy{clip.suffix}"
        with self._lock:
            if not path.exists():
                path.parent.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(clip, path)
        return path

    def pattern(self, fmt: str = "mkv-vp9", size: tuple[int, int] = (320, 240),
                seconds: float = 3.0) -> Path:
        """ffmpeg's moving test picture."""
        w, h = size
        return self._make(f"testsrc2-{w}x{h}-{seconds:g}s-{fmt}",
                          f"testsrc2=s={w}x{h}:r=25:d={seconds:g}", fmt)


def settings(videos: list[Path | str], *, picdis: int | str = 3, picord: int = 2,
             width: int = 320, height: int = 240, color: int = 4) -> bytes:
    """A settings file as the installer writes it (CRLF lines) that plays
    these files with these options, the sound track off."""
    lines = ["[Options]", "Sound=0", "Repeat=0", f"Color={color}", f"Picdis={picdis}",
             f"Picord={picord}", f"Height={height}", f"Width={width}", "Status=0", "",
             "[VidConfig]"]
    lines += [f"Name{n}={v}" for n, v in enumerate(videos, start=1)]
    return ("\r\n".join(lines) + "\r\n").encode()
