"""Playback seen on the screen: the order of the videos, where the panel lies
in each display mode, what happens with files that cannot be played, and
MPEG-1."""

from __future__ import annotations

import time

import pytest
from PIL import ImageChops

from harness import SCREEN_H, SCREEN_W, HarnessError, poll, save_screenshot
from media import (RGB, close_to, colour_name, error_box_has_text, error_boxes, library,
                   panel_samples, pixels, saver_ini, wait_screen)

CENTRE = (SCREEN_W // 2, SCREEN_H // 2)


@pytest.fixture(scope="module")
def media():
    return library()


def panel_colour(img, point=CENTRE):
    return colour_name(img.getpixel(point))


def wait_colour(saver, colour: str, shot: str, point=CENTRE):
    return wait_screen(saver, lambda img: panel_colour(img, point) == colour,
                       f"{colour} at {point}", shot)[0]


# --------------------------------------------------------------------------
# Order


def test_two_clips_play_in_listed_order(make_saver, media):
    # Two codecs, one each: MS Video 1 then Cinepak.
    red = media.solid("red", seconds=2.0)
    blue = media.solid("blue", seconds=2.0, codec="cinepak")
    saver = make_saver(ini=saver_ini([red, blue], picdis=3, picord=2)).start("/S")

    seen: list[str] = []

    def sequence(img):
        name = panel_colour(img)
        if name in ("red", "blue") and (not seen or seen[-1] != name):
            seen.append(name)
        return len(seen) >= 3 or f"colours so far {seen}"

    wait_screen(saver, sequence, "red, blue and red again in the panel", "order.png",
                timeout=40)
    # listed order from slot 1, and the list starts over after its end
    assert seen[:3] == ["red", "blue", "red"]


# --------------------------------------------------------------------------
# Geometry on the 1024 x 768 screen, black background


GEOMETRY = [
    # picdis, custom size, clip size, codec, panel left, top, width, height
    (1, None, (320, 240), "msvideo1", (0, 0, 1024, 768)),
    (2, None, (320, 240), "msvideo1", (256, 192, 512, 384)),
    (3, None, (320, 240), "msvideo1", (384, 288, 256, 192)),
    (4, (640, 480), (320, 240), "msvideo1", (192, 144, 640, 480)),
    (4, (335, 251), (320, 240), "msvideo1", (344, 258, 335, 251)),
    (4, (1200, 900), (320, 240), "msvideo1", (-88, -66, 1200, 900)),
    (5, None, (320, 240), "msvideo1", (352, 264, 320, 240)),
    (5, None, (321, 241), "rawvideo", (352, 264, 321, 241)),
    (5, None, (1280, 720), "msvideo1", (-128, 24, 1280, 720)),
]


@pytest.mark.parametrize("picdis, custom, clip_size, codec, panel", GEOMETRY, ids=[
    "large", "medium", "small", "custom-640x480", "custom-335x251", "custom-1200x900",
    "own-320x240", "own-321x241", "own-1280x720"])
def test_panel_geometry(make_saver, media, picdis, custom, clip_size, codec, panel):
    clip = media.solid("yellow", size=clip_size, seconds=2.0, codec=codec)
    # The custom size is in the file for every mode; only mode 4 may use it,
    # and mode 5 starts from it before the video's own size replaces it.
    width, height = custom or (500, 100)
    saver = make_saver(ini=saver_ini([clip], picdis=picdis, color=4, width=width,
                                     height=height)).start("/S")
    inside, outside = panel_samples(*panel)
    assert inside, "no part of the panel on the screen"

    def placed(img):
        got_in, got_out = pixels(img, inside), pixels(img, outside)
        wrong_in = {p: c for p, c in got_in.items() if not close_to(c, RGB["yellow"])}
        wrong_out = {p: c for p, c in got_out.items() if c != RGB["black"]}
        return (not wrong_in and not wrong_out) or \
            f"not yellow inside: {wrong_in}; not black outside: {wrong_out}"

    name = f"geometry-{picdis}-{'x'.join(map(str, custom or clip_size))}.png"
    wait_screen(saver, placed, f"the yellow panel at {panel}", name)


# --------------------------------------------------------------------------
# Files that cannot be played


def test_video_that_fails_at_a_change_shows_one_error_and_freezes(make_saver, wine_env,
                                                                  media):
    red = media.solid("red")
    bad = media.text_as_avi()
    # Small panel and a cycling background, so that a frozen screen shows.
    saver = make_saver(ini=saver_ini([red, bad], picdis=3, color=3)).start("/S")
    wait_colour(saver, "red", "error-before.png")

    poll(lambda: error_boxes(wine_env) >= 1 or not saver.running(),
         what="the video error box")
    assert saver.running()
    assert error_box_has_text(wine_env)

    # The failed file shows no picture: the panel (384..640 x 288..480 in the
    # small mode) turns black where the box does not cover it.
    poll(lambda: saver.screenshot().getpixel((400, 300))[:3] == (0, 0, 0),
         what="the panel cleared of the last picture")

    # Frozen: no tick runs, so neither the background nor the panel changes.
    first = saver.screenshot()
    save_screenshot(first, "error-frozen.png")
    end = time.monotonic() + 3.0  # fifteen ticks, had the timer kept running
    while time.monotonic() < end:
        assert error_boxes(wine_env) == 1
        img = saver.screenshot()
        diff = ImageChops.difference(first, img).getbbox()
        if diff is not None:
            save_screenshot(img, "error-not-frozen.png")
        assert diff is None, f"the screen changed within {diff}"
    assert saver.running()

    saver.key("space")
    assert saver.wait_exit() == 0
    assert error_boxes(wine_env) == 0


def test_first_video_that_fails_is_passed_over_in_silence(make_saver, wine_env, media):
    bad = media.zero_byte()
    blue = media.solid("blue", seconds=2.0)
    saver = make_saver(ini=saver_ini([bad, blue], picdis=3)).start("/S")

    def blue_without_box(img):
        if error_boxes(wine_env):
            raise HarnessError("an error box showed for the first video")
        return panel_colour(img) == "blue"

    wait_screen(saver, blue_without_box, "the second video to play", "first-fails.png")


def test_mpeg1_plays(make_saver, media):
    clip = media.mpeg1("yellow", seconds=4.0)
    saver = make_saver(ini=saver_ini([clip], picdis=3)).start("/S")
    # The panel is black without a picture; the picture is yellow.
    wait_screen(saver, lambda img: panel_colour(img) == "yellow",
                "an MPEG-1 picture in the panel", "mpeg1.png")


# --------------------------------------------------------------------------
# Bad inputs, each listed after one good clip


def _kept_and_refused(wine_env, saver):
    """The error box once, the saver alive behind it."""
    poll(lambda: error_boxes(wine_env) >= 1 or not saver.running(),
         what="the video error box")
    assert saver.running()
    assert error_box_has_text(wine_env)
    assert error_boxes(wine_env) == 1


def _skipped(wine_env, saver):
    """The good clip plays on by itself: no box through several changes of
    video (the clip is one second long)."""
    end = time.monotonic() + 3.5
    while time.monotonic() < end:
        assert error_boxes(wine_env) == 0
        assert saver.running()


def _plays(colour):
    def check(wine_env, saver):
        wait_colour(saver, colour, f"bad-input-plays-{colour}.png")
        assert error_boxes(wine_env) == 0
    return check


BAD_INPUTS = [
    ("zero-byte", lambda m: m.zero_byte(), _kept_and_refused),
    ("truncated", lambda m: m.truncated(), _kept_and_refused),
    ("text-as-avi", lambda m: m.text_as_avi(), _kept_and_refused),
    ("no-extension", lambda m: m.no_extension(), _kept_and_refused),
    ("directory", lambda m: m.directory(), _skipped),
    ("missing", lambda m: m.missing(), _skipped),
    # Longer than the 260 characters that the ANSI file functions take:
    # no file exists at that name for the program.
    ("path-300", lambda m: m.long_path(300), _skipped),
    ("path-with-spaces", lambda m: m.spaced("blue"), _plays("blue")),
]


@pytest.mark.parametrize("make_input, expect", [(m, e) for _, m, e in BAD_INPUTS],
                         ids=[n for n, _, _ in BAD_INPUTS])
def test_bad_input_after_a_good_clip(make_saver, wine_env, media, make_input, expect):
    red = media.solid("red")
    bad = make_input(media)
    saver = make_saver(ini=saver_ini([red, bad], picdis=3)).start("/S")
    wait_colour(saver, "red", "bad-input-good-first.png")

    expect(wine_env, saver)

    assert saver.running()
    saver.key("space")
    assert saver.wait_exit() == 0


def test_file_deleted_before_its_turn_takes_the_error_path(make_saver, wine_env, media,
                                                           tmp_path):
    # Existence is tested only at start: a file removed while the saver runs
    # is found missing when its turn comes and it fails to open.
    red = media.solid("red", seconds=4.0)
    victim = tmp_path / "victim.avi"
    victim.write_bytes(media.solid("blue").read_bytes())
    saver = make_saver(ini=saver_ini([red, victim], picdis=3)).start("/S")
    wait_colour(saver, "red", "deleted-before-turn.png")
    victim.unlink()

    _kept_and_refused(wine_env, saver)
    assert saver.running()
    saver.key("space")
    assert saver.wait_exit() == 0
