"""Ending the saver: any key and each mouse button end it, moving the mouse
or turning the wheel does not; on the playing saver and on the white
nothing-to-play screen."""

from __future__ import annotations

import pytest

from clips import settings
from harness import SAVER_CLASS, panel_on_background, steady
from test_startup import NO_VIDEOS

PANEL = (352, 264, 672, 504)  # a 320 x 240 clip at its own size, centred


def start_playing(vidsaver, clips):
    """A saver playing a clip at its own size on the cycling background."""
    vidsaver.write_settings(settings([clips.solid("red")], picdis=5, color=3))
    proc = vidsaver.start("/S")
    vidsaver.wait_screen(proc, steady(lambda img: panel_on_background(img) == PANEL
                                      or "no panel yet"),
                         "the clip's panel", "exit-playing.png")
    return proc


def start_white(vidsaver, clips):
    vidsaver.write_settings(NO_VIDEOS)
    proc = vidsaver.start("/S")
    vidsaver.wait_saver(proc)
    return proc


SCREENS = {"playing": start_playing, "nothing to play": start_white}

ENDING_INPUTS = {
    "space": lambda x: x.key("space"),
    "letter": lambda x: x.key("q"),
    "Escape": lambda x: x.key("Escape"),
    "Alt": lambda x: x.key("alt"),
    "Shift": lambda x: x.key("shift"),
    "left button": lambda x: x.click(100, 100, 1),
    "right button": lambda x: x.click(900, 700, 3),
    "middle button": lambda x: x.click(512, 384, 2),
}


@pytest.mark.parametrize("give", ENDING_INPUTS.values(), ids=ENDING_INPUTS.keys())
def test_key_or_button_ends_the_playing_saver(vidsaver, clips, give):
    proc = start_playing(vidsaver, clips)
    give(vidsaver.x)
    assert proc.wait_exit() == 0, proc.stderr()
    assert vidsaver.x.search(SAVER_CLASS) == []


@pytest.mark.parametrize("screen", SCREENS.keys())
def test_moving_the_mouse_and_the_wheel_do_not_end_it(vidsaver, clips, screen):
    proc = SCREENS[screen](vidsaver, clips)
    x = vidsaver.x
    for point in [(10, 10), (1000, 20), (500, 700), (30, 740), (512, 384), (700, 300)]:
        x.move(*point)
    x.press_button(4)   # wheel up
    x.press_button(5)   # wheel down
    vidsaver.stays_running(proc, 1.5)

    # and it still listens
    x.click(200, 200)
    assert proc.wait_exit() == 0, proc.stderr()


def test_key_ends_the_white_screen(vidsaver, clips):
    proc = start_white(vidsaver, clips)
    vidsaver.x.key("Return")
    assert proc.wait_exit() == 0
