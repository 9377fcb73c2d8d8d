"""The background around a centred video panel steps through the chosen
colour scheme; scheme 4 stays black."""

from __future__ import annotations

import time

import pytest

from harness import HarnessError, save_screenshot
from media import colour_name, library, saver_ini, wait_screen

CENTRE = (512, 384)
# Picdis 3 puts a 256 x 192 panel in the middle: the corners are background.
CORNERS = [(4, 4), (1019, 763)]

SCHEMES = {
    1: [("black", (0, 0, 0)), ("gray", (128, 128, 128)), ("silver", (192, 192, 192)),
        ("white", (255, 255, 255))],
    2: [("navy", (0, 0, 128)), ("black", (0, 0, 0)), ("purple", (128, 0, 128)),
        ("maroon", (128, 0, 0))],
    3: [("green", (0, 128, 0)), ("aqua", (0, 255, 255)), ("fuchsia", (255, 0, 255)),
        ("yellow", (255, 255, 0))],
}

# A whole cycle takes 2.4 s; watch for two and a half.
WATCH_SECONDS = 6.0


def start_playing(make_saver, color: int):
    clip = library().solid("red", seconds=2.0)
    saver = make_saver(ini=saver_ini([clip], picdis=3, color=color)).start("/S")
    wait_screen(saver, lambda img: colour_name(img.getpixel(CENTRE)) == "red",
                "the red clip to play", f"colours-{color}-playing.png")
    return saver


def background(img) -> tuple[int, int, int]:
    colours = {img.getpixel(p) for p in CORNERS}
    # the corners can straddle a repaint; take the first then
    return img.getpixel(CORNERS[0]) if len(colours) > 1 else colours.pop()


def watch_background(saver, seconds: float):
    """(time, colour) of the background, as fast as screenshots come."""
    samples = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        img = saver.screenshot()
        samples.append((time.monotonic(), background(img)))
        if not saver.running():
            raise HarnessError("the saver ended while its background was watched")
    return samples, img


@pytest.mark.parametrize("scheme", [1, 2, 3])
def test_background_steps_through_scheme(make_saver, scheme):
    names = [n for n, _ in SCHEMES[scheme]]
    palette = dict(SCHEMES[scheme])
    saver = start_playing(make_saver, scheme)
    samples, last = watch_background(saver, WATCH_SECONDS)
    save_screenshot(last, f"colours-{scheme}-last.png")

    observed = []
    for t, rgb in samples:
        name = colour_name(rgb, palette, tol=8)
        if name is None:
            raise HarnessError(f"scheme {scheme}: background {rgb} is none of {names}")
        if not observed or observed[-1] != name:
            observed.append(name)
    # Before the first tick the background is the black of creation.
    if names[0] != "black":
        while observed and observed[0] == "black":
            observed.pop(0)

    # Each change goes one phase on, or two when a screenshot missed one.
    for a, b in zip(observed, observed[1:]):
        step = (names.index(b) - names.index(a)) % 4
        assert step in (1, 2), f"scheme {scheme}: {a} -> {b} is out of order in {observed}"
    assert len(set(observed)) >= 3, f"scheme {scheme}: only {observed} seen"


def test_scheme_4_stays_black(make_saver):
    saver = start_playing(make_saver, 4)
    samples, last = watch_background(saver, 3.0)
    save_screenshot(last, "colours-4-last.png")
    assert {rgb for _, rgb in samples} == {(0, 0, 0)}
