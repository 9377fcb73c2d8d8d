"""The saver window: where it finds its settings file, the box for a missing
file, the white nothing-to-play screen, and ending it by key."""

from __future__ import annotations

import pytest

from harness import (LABEL_BOX, SAVER_CAPTION, SAVER_CLASS, HarnessError, dark_columns_in, dark_pixels_in,
                     dark_rows_in, grow, non_white_outside, poll, save_screenshot)
from test_startup import NO_VIDEOS_INI

INFO_TITLE = "Information"
MISSING_TEXT = ("The ini file is missing. Please reinstall this software or copy the "
                "included ini file into your windows directory.")
BOX_CLASS = "#32770"

# Text pixels may reach a little past the label's box (antialiasing, the
# font's overhang); nothing else on the screen may be anything but white.
TEXT_SLACK = 4


def nothing_to_play_shown(img) -> bool:
    return (non_white_outside(img, grow(LABEL_BOX, TEXT_SLACK)) == 0
            and dark_pixels_in(img, LABEL_BOX) > 200)


def wait_nothing_to_play(saver, shot_name: str):
    """Polls screenshots until the white screen with its message shows."""
    last = []

    def shown():
        img = saver.screenshot()
        last[:] = [img]
        if nothing_to_play_shown(img):
            return img
        if not saver.running():
            raise HarnessError(f"saver ended (code {saver.proc.returncode}) before the "
                               f"white screen showed")
        return None

    try:
        img = poll(shown, what="the white nothing-to-play screen")
    except HarnessError:
        if last:
            path = save_screenshot(last[0], shot_name)
            img = last[0]
            raise HarnessError(
                f"no white nothing-to-play screen; last screenshot {path}: "
                f"{non_white_outside(img, grow(LABEL_BOX, TEXT_SLACK))} non-white pixels "
                f"outside the label, {dark_pixels_in(img, LABEL_BOX)} dark inside") from None
        raise
    save_screenshot(img, shot_name)
    return img


def info_box_open(wine_env) -> bool:
    return wine_env.find_window(BOX_CLASS, INFO_TITLE)


@pytest.mark.parametrize("exe_name, ini_name, box_expected", [
    ("Blue.Sea.scr", "Blue.ini", False),
    ("SAVER", "SAVER.ini", False),
    ("vidsaver.scr", "vidsaver.ini", False),
    ("Blue.Sea.scr", "Blue.Sea.ini", True),   # the name is cut at the first "."
    ("Ocean.scr", "Ocean.scr.ini", True),
])
def test_settings_file_named_after_executable(make_saver, wine_env, exe_name, ini_name,
                                              box_expected):
    saver = make_saver(exe_name, ini=NO_VIDEOS_INI, ini_name=ini_name).start("/S")
    if box_expected:
        saver.wait_x_window(INFO_TITLE)
        assert info_box_open(wine_env)
    else:
        # The white screen comes only after creation, and an open box would
        # show on it: so no box was ever shown.
        wait_nothing_to_play(saver, f"location-{exe_name}.png")
        assert not info_box_open(wine_env)
        assert saver.running()


def test_missing_settings_box_text(make_saver, wine_env):
    saver = make_saver()
    assert not saver.ini_path.exists()
    saver.start("/S")
    saver.wait_x_window(INFO_TITLE)
    # the message and its single OK button, as the box's own child windows
    assert wine_env.window_rect(BOX_CLASS, INFO_TITLE, "Static", MISSING_TEXT) is not None
    assert wine_env.window_rect(BOX_CLASS, INFO_TITLE, "Button", "OK") is not None


@pytest.mark.parametrize("key", ["Return", "Escape"])
def test_missing_settings_box_closed_by_key_ends_saver(make_saver, wine_env, key):
    saver = make_saver()
    assert not saver.ini_path.exists()
    saver.start("/S")
    saver.wait_x_window(INFO_TITLE)
    wine_env.wait_focus(INFO_TITLE)

    saver.key_down(key)
    poll(lambda: not info_box_open(wine_env), what="the box to close on the key press")
    # The box took the press. Windows keeps the release queued for the saver;
    # X hands it to whichever window holds the keyboard at the moment of the
    # release, so the key stays down until the saver window has the keyboard.
    wine_env.wait_focus(SAVER_CAPTION)
    assert saver.running()
    saver.key_up(key)
    assert saver.wait_exit() == 0
    assert not wine_env.find_window(SAVER_CLASS)


def test_missing_settings_box_closed_with_click_leaves_saver_running(make_saver, wine_env):
    saver = make_saver()
    assert not saver.ini_path.exists()
    saver.start("/S")
    saver.wait_x_window(INFO_TITLE)
    ok = poll(lambda: wine_env.window_rect(BOX_CLASS, INFO_TITLE, "Button", "OK"),
              what="the box's OK button")
    left, top, right, bottom = ok
    saver.click((left + right) // 2, (top + bottom) // 2)

    poll(lambda: not info_box_open(wine_env), what="the box to close")
    # The message painted means the loop has taken every queued input
    # message before it: the saver is settled on its white screen.
    wait_nothing_to_play(saver, "missing-settings-after-click.png")
    assert saver.running()
    assert wine_env.find_window(SAVER_CLASS)


def test_nothing_to_play_screen(make_saver):
    saver = make_saver(ini=NO_VIDEOS_INI).start("/S")
    img = wait_nothing_to_play(saver, "nothing-to-play.png")

    # white everywhere but the message, which lies in the label's box
    assert non_white_outside(img, grow(LABEL_BOX, TEXT_SLACK)) == 0
    assert dark_pixels_in(img, LABEL_BOX) > 200
    # and word-wraps inside it: text starts at the label's left edge and
    # takes more than one line
    rows = dark_rows_in(img, LABEL_BOX)
    assert rows[0] < LABEL_BOX[1] + 20
    assert rows[-1] - rows[0] > 30
    cols = dark_columns_in(img, LABEL_BOX)
    assert cols[0] < LABEL_BOX[0] + 20


def screensaver_running(wine_env) -> bool:
    """The system's screensaver-running flag, as another program sees it."""
    return wine_env.run_tool("screensaver_running").returncode == 0


def test_key_press_ends_saver(make_saver, wine_env):
    saver = make_saver(ini=NO_VIDEOS_INI).start("/S")
    wait_nothing_to_play(saver, "before-key.png")
    assert screensaver_running(wine_env), "the running flag is set while the saver shows"

    saver.key("space", focus=SAVER_CAPTION)
    assert saver.wait_exit() == 0
    assert not wine_env.find_window(SAVER_CLASS)
    assert not screensaver_running(wine_env), "the running flag is cleared on the way out"


def test_lone_key_release_ends_saver(make_saver, wine_env):
    saver = make_saver(ini=NO_VIDEOS_INI).start("/S")
    wait_nothing_to_play(saver, "before-key-release.png")

    assert saver.post_key_up() == 0
    assert saver.wait_exit() == 0
    assert not wine_env.find_window(SAVER_CLASS)
