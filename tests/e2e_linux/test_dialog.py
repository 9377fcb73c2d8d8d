"""The settings dialog ("/C"): what a user's clicks and keys write to the
settings file, a missing file, and the website button."""

from __future__ import annotations

import os
import stat

import pytest

from harness import (BOX_CLASS, DIALOG_CLASS, SCREEN_H, SCREEN_W, HarnessError, pixels_not, poll,
                     save_screenshot)

BACKGROUND = (184, 187, 199)  # the form's colour 0xC7BBB8
CLIENT_W, CLIENT_H = 479, 228

# Controls as the form describes them: parent, left, top, width, height
# inside the parent.
LAYOUT = {
    "GroupBox6": ("", 6, 7, 253, 213),
    "radpicl": ("GroupBox6", 14, 15, 211, 17),
    "radpicm": ("GroupBox6", 14, 32, 113, 17),
    "radpics": ("GroupBox6", 14, 48, 203, 17),
    "Raddefault": ("GroupBox6", 14, 72, 197, 17),
    "Radpicc": ("GroupBox6", 14, 96, 227, 17),
    "Groupcust": ("GroupBox6", 10, 120, 231, 81),
    "ScrollBar1": ("Groupcust", 10, 35, 74, 13),
    "ScrollBar2": ("Groupcust", 108, 35, 74, 13),
    "GroupBox5": ("", 265, 7, 208, 65),
    "RadioButton1": ("GroupBox5", 13, 21, 113, 17),
    "RadioButton2": ("GroupBox5", 13, 41, 148, 17),
    "Cmdwebsite": ("", 310, 164, 166, 24),
    "CmdClose": ("", 311, 196, 166, 24),
}


def box(name: str) -> tuple[int, int, int, int]:
    """left, top, width, height of a control inside the dialog's client area."""
    parent, left, top, width, height = LAYOUT[name]
    while parent:
        parent, parent_left, parent_top, _, _ = LAYOUT[parent]
        left, top = left + parent_left, top + parent_top
    return left, top, width, height


class Dialog:
    """The dialog of one process, seen and driven from outside."""

    def __init__(self, vidsaver, proc):
        self.vidsaver, self.x, self.proc = vidsaver, vidsaver.x, proc
        self.wid = vidsaver.wait_dialog(proc)
        g = self.x.geometry(self.wid)
        self.left, self.top = g.left, g.top
        self.size = (g.width, g.height)

    def click(self, name: str, where: str = "middle") -> None:
        """Clicks a control: its caption side, or the left or right arrow of
        a bar."""
        left, top, width, height = box(name)
        if where == "left":
            x = left + height // 2
        elif where == "right":
            x = left + width - 1 - height // 2
        else:
            x = left + min(width // 2, 30)
        self.x.click(self.left + x, self.top + top + height // 2)

    def focus(self) -> None:
        self.x.wait_focus(self.wid, "dialog")

    def activate(self) -> None:
        """Clicks a bare stretch of the form, which gives the dialog the
        keyboard; there is no window manager to give it back after a box."""
        self.x.click(self.left + 400, self.top + 120)
        self.focus()

    def keys(self, *names: str) -> None:
        self.focus()
        for name in names:
            self.x.key(name)

    def region(self, name: str) -> tuple[int, int, int, int]:
        left, top, width, height = box(name)
        return (self.left + left, self.top + top, self.left + left + width,
                self.top + top + height)

    def wait_error_box(self) -> int:
        return self.vidsaver.wait_box(self.proc, "Error")

    def dismiss_box(self, wid: int) -> None:
        self.x.wait_focus(wid, "error box")
        self.x.key("Return")
        poll(lambda: not self.x.shown(BOX_CLASS), what="the box to close")


def open_dialog(vidsaver, ini: bytes | None, env: dict | None = None) -> Dialog:
    if ini is not None:
        vidsaver.write_settings(ini)
    return Dialog(vidsaver, vidsaver.start("/C", env=env))


INI = (b"; settings of the saver\r\n"
       b"[Options]\r\n"
       b"Sound=0\r\n"
       b"Repeat=0\r\n"
       b"Color=4\r\n"
       b"Picdis=4\r\n"
       b"Picord=1\r\n"
       b"Height=100\r\n"
       b"Width=100\r\n"
       b"Status=0\r\n"
       b"Extra=kept\r\n"
       b"\r\n"
       b"[VidConfig]\r\n"
       b"Name1=/videos/surf.mp4\r\n"
       b"Name2=Null\r\n"
       b"\r\n"
       b"[Link]\r\n"
       b"Button=Visit our website\r\n"
       b"Site=http://example.com/\r\n")


def with_options(**changes) -> bytes:
    out = INI
    for key, value in changes.items():
        old = next(line for line in INI.split(b"\r\n") if line.startswith(key.encode() + b"="))
        out = out.replace(old + b"\r\n", f"{key}={value}\r\n".encode(), 1)
    return out


def test_dialog_stands_in_the_middle_of_the_screen(vidsaver):
    dialog = open_dialog(vidsaver, INI)
    assert dialog.size == (CLIENT_W, CLIENT_H)
    assert (dialog.left, dialog.top) == ((SCREEN_W - CLIENT_W) // 2, (SCREEN_H - CLIENT_H) // 2)
    assert dialog.x.wm_class(dialog.wid)[1] == DIALOG_CLASS


def test_clicks_and_enter_write_only_the_changed_lines(vidsaver):
    dialog = open_dialog(vidsaver, INI)
    dialog.click("radpicm")
    dialog.click("RadioButton2")
    for _ in range(3):
        dialog.click("ScrollBar1", "right")
    for _ in range(2):
        dialog.click("ScrollBar2", "left")
    # Escape presses nothing: the dialog is still there to take Enter.
    dialog.keys("Escape")
    save_screenshot(dialog.x.screenshot(), "dialog-changed.png")
    assert dialog.proc.running()
    assert vidsaver.settings_path.read_bytes() == INI, "nothing is written before OK"

    dialog.keys("Return")
    assert dialog.proc.wait_exit() == 0
    assert vidsaver.settings_path.read_bytes() == with_options(
        Picdis=2, Picord=2, Height=98, Width=103)
    assert dialog.x.search(DIALOG_CLASS) == []


def test_keys_alone_write_the_choices(vidsaver):
    # The first tab stop is the width bar: "Customize..." is the chosen
    # display mode, and the bars come before it in the tab order.
    dialog = open_dialog(vidsaver, INI)
    dialog.keys("Right", "Right", "Right",   # width 103
                "Tab", "Left",              # height 99
                "Tab", "Down",              # "Customize..." -> "Default Video Size"
                "Tab", "Tab", "Down",       # website button, then "Randomly" -> "In The Order"
                "Return")
    assert dialog.proc.wait_exit() == 0
    assert vidsaver.settings_path.read_bytes() == with_options(
        Picdis=5, Picord=2, Height=99, Width=103)


def test_ok_writes_every_option_back_normalised(vidsaver):
    ini = (b"[options]\r\nsound=5\r\nColor=9\r\nPicdis=0\r\nHeight=2000\r\nWidth=10\r\n"
           b"[VidConfig]\r\nName1=Null\r\n")
    dialog = open_dialog(vidsaver, ini)
    dialog.click("CmdClose")
    assert dialog.proc.wait_exit() == 0
    # sizes limited to 25 and the screen (1024 x 768); missing keys added
    # to their section in the order of writing
    assert vidsaver.settings_path.read_bytes() == (
        b"[options]\r\nsound=1\r\nColor=4\r\nPicdis=1\r\nHeight=768\r\nWidth=25\r\n"
        b"Repeat=1\r\nPicord=2\r\nStatus=0\r\n"
        b"[VidConfig]\r\nName1=Null\r\n")


def test_missing_file_box_then_conversion_error_until_both_bars_move(vidsaver):
    proc = vidsaver.start("/C")
    box = vidsaver.wait_box(proc, "Error")
    assert vidsaver.x.shown(DIALOG_CLASS) == [], "the box comes before the dialog"
    save_screenshot(vidsaver.x.screenshot(), "dialog-missing-file.png")
    vidsaver.x.wait_focus(box, "box")
    vidsaver.x.key("Return")
    dialog = Dialog(vidsaver, proc)
    assert not vidsaver.settings_path.exists()

    # Nothing was loaded: the size labels hold no number, so OK stops at
    # the height with an error; the keys before it are written.
    dialog.click("CmdClose")
    error = dialog.wait_error_box()
    five = b"[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=1\r\nPicord=2\r\n"
    assert vidsaver.settings_path.read_bytes() == five
    dialog.dismiss_box(error)
    assert proc.running()

    # Both bars stood at 25; moved, they give numbers and OK saves.
    dialog.click("ScrollBar1", "right")
    dialog.click("ScrollBar2", "right")
    dialog.activate()
    dialog.keys("Return")
    assert proc.wait_exit() == 0
    assert vidsaver.settings_path.read_bytes() == five + b"Height=26\r\nWidth=26\r\nStatus=0\r\n"


def test_read_only_file_gives_an_error_and_stays_unchanged(vidsaver):
    vidsaver.write_settings(INI)
    os.chmod(vidsaver.settings_path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
    dialog = open_dialog(vidsaver, None)
    dialog.click("radpics")
    dialog.click("CmdClose")
    error = dialog.wait_error_box()
    assert vidsaver.settings_path.read_bytes() == INI
    dialog.dismiss_box(error)
    assert dialog.proc.running()

    # writable again: the same dialog saves and closes
    os.chmod(vidsaver.settings_path, 0o644)
    dialog.activate()
    dialog.keys("Return")
    assert dialog.proc.wait_exit() == 0
    assert vidsaver.settings_path.read_bytes() == with_options(Picdis=3)


# --------------------------------------------------------------------------
# The website button

FAKE_OPENER = """#!/bin/sh
# Stands in for the desktop's opener: records how many arguments it got and
# each of them, NUL-terminated.
printf '%s\\0' "$#" "$@" > "$VIDSAVER_OPENER_LOG.part"
exec /bin/mv "$VIDSAVER_OPENER_LOG.part" "$VIDSAVER_OPENER_LOG"
"""


@pytest.fixture
def opener(tmp_path):
    """A fake xdg-open first on PATH; returns (env, log path)."""
    folder = tmp_path / "bin"
    folder.mkdir()
    script = folder / "xdg-open"
    script.write_text(FAKE_OPENER)
    script.chmod(0o755)
    log = tmp_path / "opener.log"
    env = {"PATH": f"{folder}:{os.environ.get('PATH', '/usr/bin:/bin')}",
           "VIDSAVER_OPENER_LOG": str(log)}
    return env, log


def link(button: str | None, site: str | None) -> bytes:
    lines = [b"[Options]", b"Picdis=2", b"[Link]"]
    if button is not None:
        lines.append(b"Button=" + button.encode())
    if site is not None:
        lines.append(b"Site=" + site.encode())
    return b"\r\n".join(lines) + b"\r\n"


@pytest.mark.parametrize("site", [
    "http://example.com/",
    "http://example.com/a b;echo hi $(touch {marker}) `touch {marker}` 'q' \"dq\" & | > <",
    "",
], ids=["plain", "blanks and shell characters", "empty"])
def test_website_button_hands_the_address_over_whole(vidsaver, opener, tmp_path, site):
    env, log = opener
    marker = tmp_path / "marker"
    site = site.format(marker=marker)
    dialog = open_dialog(vidsaver, link("Visit", site if site else None), env=env)
    dialog.click("Cmdwebsite")
    poll(log.exists, what="the opener to be started")
    fields = log.read_bytes().split(b"\0")[:-1]
    assert fields == [b"1", site.encode()]
    assert not marker.exists(), "a shell ran the address"
    # the dialog stays, without a message
    assert dialog.proc.running()
    assert dialog.x.shown(BOX_CLASS) == []


def test_website_without_an_opener_shows_an_error_and_the_dialog_stays(vidsaver, tmp_path):
    empty = tmp_path / "nothing-here"
    empty.mkdir()
    dialog = open_dialog(vidsaver, link("Visit", "http://example.com/"),
                         env={"PATH": str(empty)})
    dialog.click("Cmdwebsite")
    error = dialog.wait_error_box()
    save_screenshot(dialog.x.screenshot(), "dialog-no-opener.png")
    dialog.dismiss_box(error)
    assert dialog.proc.running()
    dialog.click("CmdClose")
    assert dialog.proc.wait_exit() == 0


@pytest.mark.parametrize("button, shown", [
    ("Visit our website", True),
    ("   ", False),
    (None, False),
], ids=["caption", "blanks", "missing"])
def test_website_button_shows_only_with_a_caption(vidsaver, button, shown):
    dialog = open_dialog(vidsaver, link(button, "http://example.com/"))
    region = dialog.region("Cmdwebsite")

    def drawn(img):
        # the OK button's caption shows that the dialog has been painted
        return pixels_not(img, BACKGROUND, dialog.region("CmdClose")) > 100
    img = poll(lambda: (lambda i: i if drawn(i) else None)(dialog.x.screenshot()),
               what="the dialog to be painted")
    save_screenshot(img, f"dialog-website-{button is not None and button.strip()}.png")
    assert (pixels_not(img, BACKGROUND, region) > 100) == shown


# Enter reaches the default button through the form's own key handler: an
# error of the save is shown in a box, as for a click on OK, and the dialog
# goes on.
@pytest.mark.parametrize("case", ["read-only file", "missing file"])
def test_enter_with_a_failing_save_keeps_the_dialog(vidsaver, case):
    if case == "read-only file":
        vidsaver.write_settings(INI)
        os.chmod(vidsaver.settings_path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        proc = vidsaver.start("/C")
    else:
        proc = vidsaver.start("/C")
        box = vidsaver.wait_box(proc, "Error")
        vidsaver.x.wait_focus(box, "box")
        vidsaver.x.key("Return")
    dialog = Dialog(vidsaver, proc)
    dialog.keys("Return")
    dialog.dismiss_box(dialog.wait_error_box())
    try:
        vidsaver.stays_running(proc, 1.0)
    except AssertionError as exc:
        raise HarnessError(f"the dialog went with the error box: {exc}") from None
    assert vidsaver.x.shown(DIALOG_CLASS) == [dialog.wid]
