"""One settings file full of bad input, with good clips among it: the saver
must read past every fault, play the good clips in their places and sizes,
stop with its error box at the one file that cannot be played, and end on
a key press."""

from __future__ import annotations

import random
import shutil
from dataclasses import dataclass
from pathlib import Path

import pytest

from harness import SCREEN_H, SCREEN_W, poll, winpath
from media import (RGB, close_to, colour_name, error_box_has_text, error_boxes, library,
                   panel_samples, pixels, wait_screen)

CRLF = "\r\n"
BOM = "\ufeff"

# The two good clips, each at its own size (the display mode falls back to
# that), and the colour of clips that must never play.
SIZES = {"red": (320, 240), "blue": (160, 120)}
NEVER = "yellow"
CLIP_SECONDS = 2.0


def centred(size):
    w, h = size
    # halves round to even; these sizes leave none
    return ((SCREEN_W - w) // 2, (SCREEN_H - h) // 2, w, h)


@dataclass
class Files:
    """The Windows paths that the table's lines name."""
    red: str
    blue: str
    yellow: str
    odd_name: str       # the blue clip under a name full of odd characters
    empty: str
    noise: str
    folder: str
    missing: str
    long_path: str


def make_files(tmp: Path) -> Files:
    media = library()
    red = media.solid("red", size=SIZES["red"], seconds=CLIP_SECONDS)
    blue = media.solid("blue", size=SIZES["blue"], seconds=CLIP_SECONDS)
    yellow = media.solid(NEVER, seconds=CLIP_SECONDS)

    odd = tmp / "odd & [chars] (1) #2 %3 ;4 =5 ,'!~ é" / "clip é;=#.avi"
    odd.parent.mkdir()
    shutil.copyfile(blue, odd)
    empty = tmp / "empty.avi"
    empty.write_bytes(b"")
    noise = tmp / "noise.avi"
    noise.write_bytes(random.Random(8).randbytes(64 * 1024))
    folder = tmp / "folder.avi"
    folder.mkdir()
    return Files(red=winpath(red), blue=winpath(blue), yellow=winpath(yellow),
                 odd_name=winpath(odd), empty=winpath(empty), noise=winpath(noise),
                 folder=winpath(folder), missing=winpath(tmp / "gone.avi"),
                 # a real clip, but beyond the 260 characters of the ANSI file calls
                 long_path=winpath(media.long_path(300)))


# What each line does to the playlist: nothing, plays a clip of that colour,
# or names an existing file that the player cannot open.
NONE, RED, BLUE, BAD = None, "red", "blue", "bad"

# (what the line is, its text with its line break, what it adds to the list).
# The lines are written in this order as one UTF-8 file.
CASES = [
    ("byte-order mark before the first header", lambda f: BOM + "[Options]" + CRLF, NONE),
    ("boolean as a word", lambda f: "Sound=yes" + CRLF, NONE),
    ("boolean out of range", lambda f: "Repeat=-7" + CRLF, NONE),
    ("colour as a word: black only", lambda f: "Color=purple" + CRLF, NONE),
    ("colour given twice: the first counts", lambda f: "Color=3" + CRLF, NONE),
    ("display mode beyond 32 bits: each clip at its own size",
     lambda f: "Picdis=99999999999" + CRLF, NONE),
    ("play order out of range: as listed", lambda f: "Picord=3" + CRLF, NONE),
    ("height at the 32-bit maximum, in hex", lambda f: "Height=0x7FFFFFFF" + CRLF, NONE),
    ("width at the 32-bit minimum", lambda f: "Width=-2147483648" + CRLF, NONE),
    ("LF-only line break", lambda f: "Status=0\n", NONE),
    ("blank line with a CR only", lambda f: "\r", NONE),
    ("video section header", lambda f: "[VidConfig]" + CRLF, NONE),
    ("slot 0 is never read", lambda f: f"Name0={f.yellow}" + CRLF, NONE),
    ("an empty file first: passed over without a word", lambda f: f"Name1={f.empty}" + CRLF,
     BAD),
    ("Null slot", lambda f: "Name2=Null" + CRLF, NONE),
    # Name3 is a gap
    ("good clip", lambda f: f"Name4={f.red}" + CRLF, RED),
    ("missing file", lambda f: f"Name5={f.missing}" + CRLF, NONE),
    ("directory named like a video", lambda f: f"Name6={f.folder}" + CRLF, NONE),
    ("null in small letters is a path, and no file has it",
     lambda f: "Name7=null" + CRLF, NONE),
    ("odd characters in the folder and file names", lambda f: f"Name8={f.odd_name}" + CRLF,
     BLUE),
    ("path of 300 characters", lambda f: f"Name9={f.long_path}" + CRLF, NONE),
    ("value of 3000 characters", lambda f: "Name10=" + "Z:\\" + "x" * 2997 + CRLF, NONE),
    ("blanks around name and value, quotes around the value",
     lambda f: f'  Name11 =  "{f.red}"  ' + CRLF, RED),
    ("LF-only line break", lambda f: f"Name12={f.blue}\n", BLUE),
    ("the same key again: the first counts", lambda f: f"Name12={f.yellow}" + CRLF, NONE),
    ("CR-only line break", lambda f: f"Name13={f.red}\r", RED),
    ("CR-only line break", lambda f: f"Name14={f.blue}\r", BLUE),
    ("comment line", lambda f: f"; Name15={f.yellow}" + CRLF, NONE),
    ("not a video: the saver stops here with its error box",
     lambda f: f"Name150={f.noise}" + CRLF, BAD),
    ("after the error no video starts", lambda f: f"Name200={f.yellow}" + CRLF, NONE),
    ("slot 201 is never read", lambda f: f"Name201={f.yellow}" + CRLF, NONE),
    ("options again: only the first section counts",
     lambda f: "[options]" + CRLF + "Picdis=1" + CRLF + "Color=2" + CRLF, NONE),
    ("video section again: only the first counts",
     lambda f: "[VIDCONFIG]" + CRLF + f"Name3={f.yellow}" + CRLF, NONE),
]


def settings_file(files: Files) -> bytes:
    return "".join(make(files) for _, make, _ in CASES).encode("utf-8")


def expected_order() -> list[str]:
    effects = [effect for _, _, effect in CASES if effect is not NONE]
    # The first entry fails in silence and the last one halts the saver;
    # the good clips play once each, in their order, in between.
    assert effects[0] == BAD and effects[-1] == BAD and BAD not in effects[1:-1]
    return effects[1:-1]


def panel_shows(img, colour: str) -> str | None:
    """None when the clip of that colour fills its centred panel and the
    background around it is black; otherwise what is wrong."""
    inside, outside = panel_samples(*centred(SIZES[colour]))
    wrong_in = {p: c for p, c in pixels(img, inside).items() if not close_to(c, RGB[colour])}
    wrong_out = {p: c for p, c in pixels(img, outside).items() if c != RGB["black"]}
    if wrong_in or wrong_out:
        return f"{colour}: not {colour} inside {wrong_in}; not black outside {wrong_out}"
    return None


def test_bad_input_among_good_clips(make_saver, wine_env, tmp_path):
    files = make_files(tmp_path)
    expected = expected_order()
    saver = make_saver(ini=settings_file(files)).start("/S")

    seen: list[str] = []        # colours at the centre, each change once
    placed: set[str] = set()    # colours seen filling their own panel
    misplaced = [""]            # why the last look at a panel failed

    def watch(img):
        name = colour_name(img.getpixel((SCREEN_W // 2, SCREEN_H // 2)))
        if name in (RED, BLUE, NEVER) and (not seen or seen[-1] != name):
            seen.append(name)
        if name in SIZES:
            wrong = panel_shows(img, name)
            if wrong is None:
                placed.add(name)
            else:
                misplaced[0] = wrong
        if NEVER in seen or seen[:len(expected)] != expected[:len(seen)]:
            raise AssertionError(f"clips played {seen}, expected {expected}")
        return (len(seen) == len(expected) and placed == set(SIZES)) or \
            f"clips so far {seen}, placed {sorted(placed)}; {misplaced[0]}"

    wait_screen(saver, watch, "every good clip in turn", "bad-input-playing.png",
                timeout=30 + 5 * CLIP_SECONDS * len(expected))

    poll(lambda: error_boxes(wine_env) >= 1 or not saver.running(),
         what="the video error box")
    assert saver.running()
    assert error_box_has_text(wine_env)
    assert error_boxes(wine_env) == 1
    # Halted: nothing after the failed file plays.
    img = saver.screenshot()
    assert colour_name(img.getpixel((SCREEN_W // 2, SCREEN_H // 2))) != NEVER

    saver.key("space")
    assert saver.wait_exit() == 0
    assert error_boxes(wine_env) == 0
