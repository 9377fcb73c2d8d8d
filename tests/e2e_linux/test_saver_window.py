"""The saver window: how it sits on the screen, where it finds its settings
file, the box for a missing file, and the white nothing-to-play screen."""

from __future__ import annotations

import pytest

from clips import settings
from harness import (BOX_CLASS, SAVER_CLASS, SAVER_TITLE, SCREEN_H, SCREEN_W, dark_pixels,
                     pixels_not, poll, save_screenshot)
from test_startup import NO_VIDEOS

WHITE = (255, 255, 255)
# Where the nothing-to-play message lies (left, top, right, bottom), grown a
# little for the font's overhang and antialiasing.
LABEL_BOX = (68, 87, 68 + 469, 87 + 106)
SLACK = 4
TEXT_AREA = (LABEL_BOX[0] - SLACK, LABEL_BOX[1] - SLACK, LABEL_BOX[2] + SLACK,
             LABEL_BOX[3] + SLACK)
INFO_TITLE = "Information"


def white_screen_with_message(img):
    outside = pixels_not(img, WHITE) - pixels_not(img, WHITE, TEXT_AREA)
    text = dark_pixels(img, LABEL_BOX)
    return (outside == 0 and text > 200) or \
        f"{outside} pixels outside the message are not white, {text} dark in it"


def wait_white_screen(vidsaver, proc, shot: str):
    return vidsaver.wait_screen(proc, white_screen_with_message,
                                "the white nothing-to-play screen", shot)[0]


def box_ok_button(x, wid) -> tuple[int, int]:
    """The middle of a message box's button: the dark outline and caption in
    the box's lower right quarter."""
    g = x.geometry(wid)
    img = x.screenshot().crop((g.left, g.top, g.left + g.width, g.top + g.height))
    quarter = (g.width // 2, g.height // 2, g.width, g.height)
    marks = img.crop(quarter).convert("L").point(lambda v: 255 if v < 200 else 0).getbbox()
    assert marks is not None, "no button in the box's lower right quarter"
    return (g.left + quarter[0] + (marks[0] + marks[2]) // 2,
            g.top + quarter[1] + (marks[1] + marks[3]) // 2)


def test_saver_window_covers_the_screen_above_all_and_takes_the_input(vidsaver):
    vidsaver.write_settings(NO_VIDEOS)
    proc = vidsaver.start("/S")
    wid = vidsaver.wait_saver(proc)
    x = vidsaver.x

    assert x.wm_class(wid)[1] == SAVER_CLASS
    assert x.title(wid) == SAVER_TITLE
    g = x.geometry(wid)
    assert (g.left, g.top, g.width, g.height) == (0, 0, SCREEN_W, SCREEN_H)
    state = x.prop(wid, "_NET_WM_STATE") or ""
    assert "_NET_WM_STATE_FULLSCREEN" in state and "_NET_WM_STATE_ABOVE" in state, state
    # Motif hints: flags, functions, decorations; the decorations flag is
    # set and no decoration is asked for.
    hints = [int(v, 16) for v in (x.prop(wid, "_MOTIF_WM_HINTS") or "").split(", ") if v]
    assert len(hints) >= 3 and hints[0] & 2 and hints[2] == 0, hints
    # Keys and clicks go to the saver wherever the pointer is: nobody else
    # can take the keyboard or the pointer.
    poll(lambda: x.grabs_taken() == (True, True),
         what=f"the saver to hold keyboard and pointer (held: {x.grabs_taken()})")
    x.wait_focus(wid, "saver window")


def test_saver_without_a_settings_file_shows_the_box_before_its_window(vidsaver):
    proc = vidsaver.start("/S")
    box = vidsaver.wait_box(proc, INFO_TITLE)
    x = vidsaver.x
    save_screenshot(x.screenshot(), "missing-settings-box.png")
    # The window exists but is not on the screen while the box is up.
    assert [x.geometry(w).mapped for w in x.search(SAVER_CLASS)] == [False]
    assert x.wm_class(box)[1] == BOX_CLASS

    # Enter works the box and closes it; the saver goes on to its white
    # screen, and the release of that same key then ends it.
    x.wait_focus(box, "box")
    vidsaver.key_down("Return")
    wait_white_screen(vidsaver, proc, "missing-settings-then-white.png")
    assert x.shown(BOX_CLASS) == []
    assert proc.running()
    vidsaver.key_up("Return")
    assert proc.wait_exit() == 0
    assert not vidsaver.settings_path.exists()


def test_box_closed_by_a_click_leaves_the_saver_running(vidsaver):
    proc = vidsaver.start("/S")
    box = vidsaver.wait_box(proc, INFO_TITLE)
    x = vidsaver.x
    x.click(*box_ok_button(x, box))
    wait_white_screen(vidsaver, proc, "missing-settings-clicked.png")
    assert x.shown(BOX_CLASS) == []
    vidsaver.stays_running(proc)

    x.key("space")
    assert proc.wait_exit() == 0


NO_USABLE_ENTRY = {
    "only Null": settings(["Null", "Null"]),
    "missing files, a folder, lower-case null": (
        b"[Options]\r\nPicdis=1\r\n[VidConfig]\r\nName1=/nonexistent/clip.mp4\r\n"
        b"Name2=/tmp\r\nName3=null\r\nName4=NULL\r\nName5= \r\n"),
    "empty video section": b"[Options]\r\nPicdis=1\r\n[VidConfig]\r\n",
    "no video section": b"[Options]\r\nPicdis=1\r\nPicord=2\r\n",
    "empty file": b"",
}


@pytest.mark.parametrize("content", NO_USABLE_ENTRY.values(), ids=NO_USABLE_ENTRY.keys())
def test_nothing_to_play_shows_the_white_screen_without_a_box(vidsaver, content):
    vidsaver.write_settings(content)
    proc = vidsaver.start("/S")
    vidsaver.wait_saver(proc)
    # The box would come before the window and stay in front of it.
    wait_white_screen(vidsaver, proc, "nothing-to-play.png")
    assert vidsaver.x.shown(BOX_CLASS) == []
    vidsaver.stays_running(proc, 1.0)


@pytest.mark.parametrize("xdg, file_in, box_expected", [
    ("config", "config", False),
    (None, "home", False),            # unset: ~/.config
    ("", "home", False),
    ("relative/dir", "home", False),  # not an absolute path: ignored
    ("config", "home", True),         # set: ~/.config is not looked at
], ids=["XDG_CONFIG_HOME", "unset", "empty", "relative", "set, file in ~/.config"])
def test_settings_file_location(vidsaver, tmp_path, xdg, file_in, box_expected):
    home = tmp_path / "home"
    folders = {"config": tmp_path / "elsewhere", "home": home / ".config"}
    folders[file_in].mkdir(parents=True)
    (folders[file_in] / "vidsaver.ini").write_bytes(NO_VIDEOS)
    xdg_value = str(folders["config"]) if xdg == "config" else xdg
    proc = vidsaver.start("/S", env={"HOME": str(home), "XDG_CONFIG_HOME": xdg_value})
    if box_expected:
        vidsaver.wait_box(proc, INFO_TITLE)
    else:
        wait_white_screen(vidsaver, proc, f"location-{xdg}-{file_in}.png")
        assert vidsaver.x.shown(BOX_CLASS) == []
