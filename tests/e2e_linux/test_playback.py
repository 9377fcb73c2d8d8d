"""Playback seen on the screen: where the panel lies in each display mode,
which video comes first and in what order the list plays, the containers
and codecs that open, and the clip's picture in the panel.

Most checks look at the black panel on a colour-cycling background (scheme
3 has no black), so that they see the panel whether or not a picture is
drawn in it; in the default display mode the panel takes the clip's own
size, which shows which clip is open."""

from __future__ import annotations

import time

import pytest

from clips import RGB, settings
from harness import (DEADLINE, SCHEME3, SCREEN_H, SCREEN_W, HarnessError, background_mask, count_set,
                     panel_on_background, poll, save_screenshot, solid_box, steady)


def centred(width: int, height: int) -> tuple[int, int, int, int]:
    """The visible part of a panel of that size centred on the screen; the
    centring rounds halves to the even neighbour."""
    left, top = round((SCREEN_W - width) / 2), round((SCREEN_H - height) / 2)
    return (max(left, 0), max(top, 0), min(left + width, SCREEN_W), min(top + height, SCREEN_H))


BIG = centred(320, 240)      # (352, 264, 672, 504)
LITTLE = centred(160, 120)   # (432, 324, 592, 444)


def wait_panel(vidsaver, proc, what: str, shot: str, boxes=None):
    """The panel's rectangle once it stands still; with boxes, once it is
    one of them."""
    def check(img):
        box = panel_on_background(img)
        if boxes is not None and not isinstance(box, str) and box not in boxes:
            return f"the panel is at {box}"
        return box
    return vidsaver.wait_screen(proc, steady(check), what, shot)[1]


# --------------------------------------------------------------------------
# Geometry on the 1024 x 768 screen: the visible part of the panel as
# (left, top, right, bottom), right and bottom exclusive.

GEOMETRY = {
    "medium": (2, (320, 240), 320, 240, (256, 192, 768, 576)),
    "small": (3, (320, 240), 320, 240, (384, 288, 640, 480)),
    "custom 640x480": (4, (320, 240), 640, 480, (192, 144, 832, 624)),
    # 344.5 and 258.5 go to the even neighbour
    "custom 335x251": (4, (320, 240), 335, 251, (344, 258, 679, 509)),
    # larger than the screen: cut off at the edges, not clamped
    "custom 1100x700": (4, (320, 240), 1100, 700, (0, 34, 1024, 734)),
    # the custom size gives way to the clip's own
    "default 320x240": (5, (320, 240), 640, 480, (352, 264, 672, 504)),
    # 351.5 and 263.5 go to the even neighbour
    "default 321x241": (5, (321, 241), 640, 480, (352, 264, 673, 505)),
    # wider than the screen: left -128, cut off at both sides
    "default 1280x720": (5, (1280, 720), 640, 480, (0, 24, 1024, 744)),
    # a code the saver does not know plays each clip at its own size
    "unknown code 9": (9, (320, 240), 640, 480, (352, 264, 672, 504)),
}


@pytest.mark.parametrize("mode", GEOMETRY.keys())
def test_panel_geometry(vidsaver, clips, mode):
    picdis, size, width, height, expected = GEOMETRY[mode]
    # odd sizes need a lossless RGB clip
    clip = clips.solid("red", "mkv-ffv1" if size[0] % 2 else "mp4-h264", size)
    vidsaver.write_settings(settings([clip], picdis=picdis, width=width, height=height,
                                     color=3))
    proc = vidsaver.start("/S")
    assert wait_panel(vidsaver, proc, f"the {mode} panel", f"geometry-{mode}.png") == expected


def test_large_panel_covers_the_whole_background(vidsaver, clips):
    vidsaver.write_settings(settings([clips.solid("red")], picdis=1, color=3))
    proc = vidsaver.start("/S")
    vidsaver.wait_saver(proc)
    # The colours change every 600 ms under the panel: for more than two of
    # them none may show anywhere.
    end = time.monotonic() + 1.5
    while time.monotonic() < end:
        img = vidsaver.x.screenshot()
        shown = count_set(background_mask(img))
        if shown:
            path = save_screenshot(img, "geometry-large.png")
            pytest.fail(f"{shown} pixels of background beside a full-screen panel; {path}")
    assert proc.running(), proc.why_ended()


# --------------------------------------------------------------------------
# Order


def first_entry_cases(clips, tmp_path):
    big = clips.solid("red", seconds=3)                           # 320 x 240
    little = clips.solid("blue", "webm-vp9", (160, 120), seconds=3)
    folder = tmp_path / "a folder.mp4"
    folder.mkdir()
    head = (b"[Options]\r\nSound=0\r\nRepeat=0\r\nColor=3\r\nPicdis=5\r\nPicord=2\r\n"
            b"[VidConfig]\r\n")
    return {
        "as listed": (settings([big, little], picdis=5, color=3), BIG),
        "swapped": (settings([little, big], picdis=5, color=3), LITTLE),
        # Name0 is never read; gaps, Null, missing files, a folder and a
        # "null" that is only a name close up
        "gaps close up": (head + (f"Name0={big}\r\nName1=Null\r\nName3=/nonexistent/x.mp4\r\n"
                                  f"Name4={folder}\r\nName5=null\r\nName6={little}\r\n"
                                  f"Name7={big}\r\n").encode(), LITTLE),
        "blanks in the path": (settings([clips.spaced(little), big], picdis=5, color=3),
                               LITTLE),
    }


@pytest.mark.parametrize("case", ["as listed", "swapped", "gaps close up", "blanks in the path"])
def test_listed_order_starts_with_the_first_usable_entry(vidsaver, clips, tmp_path, case):
    content, first = first_entry_cases(clips, tmp_path)[case]
    vidsaver.write_settings(content)
    proc = vidsaver.start("/S")
    box = wait_panel(vidsaver, proc, "the first clip's panel", f"first-{case}.png",
                     boxes=(BIG, LITTLE))
    assert box == first


def watch_clips(vidsaver, proc, runs_wanted: int, timeout: float = DEADLINE) -> list[str]:
    """Which clip is open, by the size of its panel, a run of one counted
    once, until there are runs_wanted runs. Two pixels at a time, cheap
    enough to catch every clip: one in the corner shows that the background
    cycles, one lies in the big panel but not in the little one."""
    runs: list[str] = []
    only_big = (BIG[2] - 12, BIG[1] + 6)

    def background(rgb):
        return any(all(abs(a - b) <= 40 for a, b in zip(rgb, c)) for c in SCHEME3)

    while len(runs) < runs_wanted:
        def next_run():
            if not proc.running():
                raise HarnessError(f"after the clips {runs}: {proc.why_ended()}")
            if not background(vidsaver.x.pixel(4, 4)):
                return None
            name = "little" if background(vidsaver.x.pixel(*only_big)) else "big"
            return name if not runs or runs[-1] != name else None
        try:
            runs.append(poll(next_run, timeout=timeout, what="the next clip"))
        except HarnessError as exc:
            path = save_screenshot(vidsaver.x.screenshot(), "order-stuck.png")
            raise HarnessError(f"{exc}; clips so far: {runs}; screenshot {path}") from None
    return runs


def two_clips(clips, seconds: float = 2):
    return [clips.solid("red", seconds=seconds),
            clips.solid("blue", "webm-vp9", (160, 120), seconds=seconds)]


def test_listed_order_plays_the_list_from_its_start_again(vidsaver, clips):
    vidsaver.write_settings(settings(two_clips(clips), picdis=5, picord=2, color=3))
    proc = vidsaver.start("/S")
    assert watch_clips(vidsaver, proc, 5) == ["big", "little", "big", "little", "big"]


def test_random_order_plays_both_clips(vidsaver, clips):
    vidsaver.write_settings(settings(two_clips(clips, 1), picdis=5, picord=1, color=3))
    proc = vidsaver.start("/S")
    # A pick has no memory: either clip may come first, and again and again.
    # Each pick reseeds the generator from the clock, and picks a whole
    # number of ticks apart draw alike for a while: the other clip may take
    # a dozen picks to come.
    assert set(watch_clips(vidsaver, proc, 2, timeout=60)) == {"big", "little"}


def test_saver_plays_on_through_many_clips(vidsaver, clips):
    # One-second clips one after another for a while, not watched: the saver
    # is still there, and still ends on a key.
    vidsaver.write_settings(settings([clips.pattern(seconds=1),
                                      clips.solid("blue", "webm-vp9", seconds=1)], picdis=2))
    proc = vidsaver.start("/S")
    vidsaver.wait_saver(proc)
    vidsaver.stays_running(proc, 15)
    vidsaver.x.key("space")
    assert proc.wait_exit() == 0


def test_default_size_follows_each_clip(vidsaver, clips):
    # The panel, with the picture in it, takes each clip's own size in turn,
    # and nothing of the previous panel stays behind.
    vidsaver.write_settings(settings(two_clips(clips), picdis=5, picord=2, color=3))
    proc = vidsaver.start("/S")
    for n, (colour, box) in enumerate([("red", BIG), ("blue", LITTLE), ("red", BIG)]):
        def alone(img, colour=colour, box=box):
            panel = panel_on_background(img)
            return (panel == box and solid_box(img, RGB[colour]) == box) or \
                f"the screen shows {panel}"
        vidsaver.wait_screen(proc, steady(alone), f"the {colour} clip alone in its panel",
                             f"follow-{n}-{colour}.png")


# --------------------------------------------------------------------------
# Containers and codecs

FORMATS = ["mp4-h264", "webm-vp9", "mkv-vp9", "mov-hevc", "mkv-av1", "avi-mpeg4", "mpg-mpeg1"]


@pytest.mark.parametrize("fmt", FORMATS)
def test_container_and_codec_play(vidsaver, clips, fmt):
    # A first clip that does not open is passed over in silence and leaves
    # the panel at the custom size; one that opens gives it its own size.
    little = clips.solid("blue", "webm-vp9", (160, 120), seconds=3)
    vidsaver.write_settings(settings([clips.solid("red", fmt), little], picdis=5, width=200,
                                     height=100, color=3))
    proc = vidsaver.start("/S")
    assert wait_panel(vidsaver, proc, f"the {fmt} panel", f"format-{fmt}.png",
                      boxes=(BIG, centred(200, 100), LITTLE)) == BIG

    # Its picture fills the panel while it plays, before the little clip.
    def picture(img):
        if panel_on_background(img) == LITTLE:
            raise HarnessError(f"the {fmt} clip ended without its picture in the panel")
        return solid_box(img, RGB["red"]) == BIG or "no red picture filling the panel"
    vidsaver.wait_screen(proc, picture, f"the {fmt} picture", f"format-{fmt}-picture.png")
