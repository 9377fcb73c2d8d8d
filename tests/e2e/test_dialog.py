"""The settings dialog ("/C"): where its controls stand on the screen, what a
user's clicks and Enter write to the settings file, a file that may not be
written, a missing file, and the dialog beside other starts."""

from __future__ import annotations

import os
from dataclasses import dataclass

from harness import (DIALOG_CLASS, SAVER_CLASS, SCREEN_H, SCREEN_W, HarnessError,
                     dark_pixels_in, poll, save_screenshot)
from test_startup import NO_VIDEOS_INI

BOX_CLASS = "#32770"
ERROR_TITLE = "Error"
BACKGROUND = (184, 187, 199)  # the form's colour 0xC7BBB8
CLIENT_W, CLIENT_H = 479, 228

E45_TEXT = ("E45 - An error has occured, the ini file is missing. Please reinstall the "
            "screensaver.")

# Controls of the dialog as the form describes them: parent, left, top,
# width, height inside the parent.
LAYOUT = {
    "GroupBox6": ("", 6, 7, 253, 213),
    "radpicl": ("GroupBox6", 14, 15, 211, 17),
    "radpicm": ("GroupBox6", 14, 32, 113, 17),
    "radpics": ("GroupBox6", 14, 48, 203, 17),
    "Raddefault": ("GroupBox6", 14, 72, 197, 17),
    "Radpicc": ("GroupBox6", 14, 96, 227, 17),
    "Groupcust": ("GroupBox6", 10, 120, 231, 81),
    "Label2": ("Groupcust", 10, 16, 58, 13),
    "Label1": ("Groupcust", 108, 16, 61, 13),
    "ScrollBar1": ("Groupcust", 10, 35, 74, 13),
    "ScrollBar2": ("Groupcust", 108, 35, 74, 13),
    "Lblwidth": ("Groupcust", 10, 58, 39, 13),
    "Lblheight": ("Groupcust", 106, 58, 43, 13),
    "GroupBox5": ("", 265, 7, 208, 65),
    "RadioButton1": ("GroupBox5", 13, 21, 113, 17),
    "RadioButton2": ("GroupBox5", 13, 41, 148, 17),
    "Cmdwebsite": ("", 310, 164, 166, 24),
    "CmdClose": ("", 311, 196, 166, 24),
    "cmdhelp": ("", 248, 167, 139, 21),
    "Button1": ("", 336, 106, 76, 25),
}

# Window class and text of each shown control, to find it among the
# dialog's child windows.
SHOWN = {
    "GroupBox6": ("Button", "Video Displays"),
    "radpicl": ("Button", "Large (Full Screen)"),
    "radpicm": ("Button", "Medium"),
    "radpics": ("Button", "Small"),
    "Raddefault": ("Button", "Default Video Size (Clearest Image)"),
    "Radpicc": ("Button", "Customize Video Window Below"),
    "Groupcust": ("Button", "Customize Video Display"),
    "Label2": ("Static", "Video Width"),
    "Label1": ("Static", "Video Height"),
    "GroupBox5": ("Button", "Play Videos:"),
    "RadioButton1": ("Button", "Randomly"),
    "RadioButton2": ("Button", "In The Order Listed"),
    "CmdClose": ("Button", "OK"),
}


def box(name: str) -> tuple[int, int, int, int]:
    """left, top, width, height of a control inside the dialog's client area."""
    parent, left, top, width, height = LAYOUT[name]
    while parent:
        parent, parent_left, parent_top, _, _ = LAYOUT[parent]
        left, top = left + parent_left, top + parent_top
    return left, top, width, height


@dataclass
class Child:
    cls: str
    left: int
    top: int
    width: int
    height: int
    visible: bool
    checked: bool
    text: str


class Dialog:
    """The dialog of one process, seen and driven from outside."""

    def __init__(self, saver):
        self.saver = saver
        self.wenv = saver.wenv

    def clients(self) -> list[tuple[int, ...]]:
        """(client left, top, width, height, window left, top, right, bottom)
        of every visible dialog, topmost first."""
        res = self.wenv.run_tool("window_info", "client", DIALOG_CLASS)
        return [tuple(int(v) for v in line.split()[1:]) for line in res.stdout.splitlines()
                if line.strip()]

    def wait_shown(self) -> tuple[int, ...]:
        def shown():
            if not self.saver.running():
                raise HarnessError(f"{self.saver.name} ended before its dialog showed")
            found = self.clients()
            return found[0] if found else None
        self.geometry = poll(shown, what="the settings dialog on the screen")
        return self.geometry

    def children(self, cls: str = DIALOG_CLASS, caption: str | None = None) -> list[Child]:
        args = ["children", cls] + ([] if caption is None else [caption])
        res = self.wenv.run_tool("window_info", *args)
        if res.returncode != 0:
            return []
        out = []
        for line in res.stdout.splitlines():
            parts = line.split("\t")
            if len(parts) != 8:
                continue
            out.append(Child(parts[0], int(parts[1]), int(parts[2]), int(parts[3]),
                             int(parts[4]), parts[5] == "1", parts[6] == "1", parts[7]))
        return out

    def at(self, name: str) -> Child | None:
        """The child window standing where the description puts a control."""
        left, top, _, _ = box(name)
        for c in self.children():
            if (c.left, c.top) == (left, top) and c.visible:
                return c
        return None

    def labels(self) -> tuple[str, str]:
        """The texts of the width and the height label."""
        w, h = self.at("Lblwidth"), self.at("Lblheight")
        return (w.text if w else None, h.text if h else None)

    def checked(self) -> set[str]:
        return {c.text for c in self.children() if c.checked and c.visible}

    def click(self, name: str, where: str = "middle") -> None:
        """Clicks a control: its middle, or the left or right arrow of a bar."""
        cx, cy = self.geometry[0], self.geometry[1]
        left, top, width, height = box(name)
        if where == "left":
            x = left + height // 2
        elif where == "right":
            x = left + width - 1 - height // 2
        else:
            x = left + min(width // 2, 30)  # on the button's circle or caption
        self.saver.click(cx + x, cy + top + height // 2)

    def activate(self) -> None:
        """Clicks a bare stretch of the form: the dialog in front there takes
        the keyboard."""
        self.saver.click(self.geometry[0] + 400, self.geometry[1] + 120)

    def error_box_text(self) -> str:
        """The message of the open error box of this program."""
        self.saver.wait_window(BOX_CLASS, ERROR_TITLE)
        statics = [c.text for c in self.children(BOX_CLASS, ERROR_TITLE)
                   if c.cls.lower() == "static" and c.text]
        return statics[0] if statics else ""

    def dismiss_error_box(self) -> None:
        self.saver.key("Return")
        poll(lambda: not self.wenv.find_window(BOX_CLASS, ERROR_TITLE),
             what="the error box to close")


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
       b"Name1=C:\\VIDEOS\\SURF.AVI\r\n"
       b"Name2=Null\r\n"
       b"\r\n"
       b"[Link]\r\n"
       b"Button=Visit our website\r\n"
       b"Site=http://example.com/\r\n")


def open_dialog(make_saver, ini: bytes | None = INI) -> Dialog:
    saver = make_saver(ini=ini).start("/C")
    dialog = Dialog(saver)
    dialog.wait_shown()
    return dialog


def background_pixels(img, region) -> int:
    part = img.crop(region)
    return sum(n for n, c in part.getcolors(maxcolors=part.width * part.height)
               if c == BACKGROUND)


def area(region) -> int:
    return (region[2] - region[0]) * (region[3] - region[1])


def box_region(rel, name):
    """The screen region of a control, through rel (client to screen)."""
    left, top, width, height = box(name)
    return rel(left, top, left + width, top + height)


def test_dialog_is_centred_with_its_controls_in_place(make_saver):
    dialog = open_dialog(make_saver)
    cx, cy, cw, ch, wl, wt, wr, wb = dialog.geometry
    assert (cw, ch) == (CLIENT_W, CLIENT_H)
    assert abs((wl + wr) - SCREEN_W) <= 1 and abs((wt + wb) - SCREEN_H) <= 1, dialog.geometry

    # Every shown control stands where the description puts it; the
    # website button shows the file's caption.
    children = dialog.children()
    for name, (cls, text) in SHOWN.items():
        left, top, width, height = box(name)
        matches = [c for c in children if c.cls.lower() == cls.lower() and c.text == text]
        assert len(matches) == 1, (name, matches)
        c = matches[0]
        assert (c.left, c.top, c.width, c.height, c.visible) == (left, top, width, height, True), name
    web = dialog.at("Cmdwebsite")
    assert web is not None and web.text == "Visit our website"
    assert dialog.labels() == ("100", "100")
    assert dialog.checked() == {"Customize Video Window Below", "Randomly"}

    def rel(left, top, right, bottom):
        return (cx + left, cy + top, cx + right, cy + bottom)

    # Empty stretches of the form show its colour; the hidden "create file"
    # and "About" buttons lie in two of them.
    plain = [rel(270, 80, 470, 155), box_region(rel, "Button1"), rel(262, 168, 308, 188)]
    group_captions = [rel(14, 7, 100, 20), rel(273, 7, 340, 20)]

    def drawn():
        img = dialog.saver.screenshot()
        if all(background_pixels(img, r) == area(r) for r in plain) and \
                all(dark_pixels_in(img, r) > 20 for r in group_captions):
            return img
        return None

    try:
        img = poll(drawn, what="the dialog to be drawn")
    except HarnessError:
        path = save_screenshot(dialog.saver.screenshot(), "dialog-layout-failed.png")
        raise HarnessError(f"dialog not drawn as described; screenshot {path}") from None
    save_screenshot(img, "dialog-layout.png")

    # Group-box frames run along the boxes' edges, not across the plain form.
    for name in ("GroupBox6", "GroupBox5", "Groupcust"):
        left, top, width, height = box(name)
        mid_y = top + height // 2
        left_edge = rel(left, mid_y - 5, left + 2, mid_y + 5)
        right_edge = rel(left + width - 2, mid_y - 5, left + width, mid_y + 5)
        bottom_edge = rel(left + width // 2 - 5, top + height - 2, left + width // 2 + 5,
                          top + height)
        inside = rel(left + 3, mid_y - 5, left + 5, mid_y + 5)
        for edge in (left_edge, right_edge, bottom_edge):
            assert background_pixels(img, edge) < area(edge), (name, edge)
        if name != "GroupBox6":  # the big box holds choices near its left edge
            assert background_pixels(img, inside) == area(inside), (name, inside)
    # Buttons carry their captions.
    for name in ("Cmdwebsite", "CmdClose"):
        assert dark_pixels_in(img, box_region(rel, name)) > 20, name



def test_clicks_and_enter_write_the_choices(make_saver):
    dialog = open_dialog(make_saver)
    saver = dialog.saver

    dialog.click("radpicm")
    dialog.click("RadioButton2")
    for _ in range(3):
        dialog.click("ScrollBar1", "right")
    for _ in range(2):
        dialog.click("ScrollBar2", "left")
    poll(lambda: dialog.labels() == ("103", "98"),
         what=f"the labels to follow the bars (they show {dialog.labels()})")
    assert dialog.checked() == {"Medium", "In The Order Listed"}
    assert saver.ini_path.read_bytes() == INI, "nothing is written before OK"

    # Escape presses nothing: the dialog is still there to take Enter.
    saver.key("Escape")
    saver.key("Return")
    assert saver.wait_exit() == 0
    expected = INI.replace(b"Picdis=4", b"Picdis=2").replace(b"Picord=1", b"Picord=2") \
        .replace(b"Height=100", b"Height=98").replace(b"Width=100", b"Width=103")
    assert saver.ini_path.read_bytes() == expected
    assert not dialog.clients()


def test_ok_normalises_every_option(make_saver):
    ini = (b"[options]\r\nsound=5\r\nColor=9\r\nPicdis=0\r\nHeight=2000\r\nWidth=10\r\n"
           b"[VidConfig]\r\nName1=Null\r\n")
    dialog = open_dialog(make_saver, ini)
    assert dialog.labels() == ("25", "768")
    dialog.click("CmdClose")
    assert dialog.saver.wait_exit() == 0
    assert dialog.saver.ini_path.read_bytes() == (
        b"[options]\r\nsound=1\r\nColor=4\r\nPicdis=1\r\nHeight=768\r\nWidth=25\r\n"
        b"Repeat=1\r\nPicord=2\r\nStatus=0\r\n"
        b"[VidConfig]\r\nName1=Null\r\n")


def test_read_only_file_gives_the_write_error_and_stays_open(make_saver):
    saver = make_saver(ini=INI)
    os.chmod(saver.ini_path, 0o444)
    try:
        saver.start("/C")
        dialog = Dialog(saver)
        dialog.wait_shown()
        dialog.click("radpics")
        poll(lambda: "Small" in dialog.checked(), what="Small to be chosen")
        saver.key("Return")
        assert dialog.error_box_text() == "Unable to write to C:\\windows\\vidsaver.ini"
        save_screenshot(saver.screenshot(), "dialog-read-only.png")
        assert saver.ini_path.read_bytes() == INI
        dialog.dismiss_error_box()
        assert saver.running() and len(dialog.clients()) == 1
        assert saver.ini_path.read_bytes() == INI

        # Writable again: the same dialog saves and closes.
        os.chmod(saver.ini_path, 0o644)
        saver.key("Return")
        assert saver.wait_exit() == 0
        assert saver.ini_path.read_bytes() == INI.replace(b"Picdis=4", b"Picdis=3")
    finally:
        os.chmod(saver.ini_path, 0o644)


def test_missing_file_box_then_conversion_error_until_both_bars_move(make_saver):
    saver = make_saver()
    assert not saver.ini_path.exists()
    try:
        saver.start("/C")
        dialog = Dialog(saver)
        assert dialog.error_box_text() == E45_TEXT
        assert not dialog.clients(), "the box comes before the dialog"
        dialog.dismiss_error_box()
        dialog.wait_shown()
        assert dialog.labels() == ("Lblwidth", "Lblheight")
        assert dialog.checked() == set()
        assert dialog.at("Cmdwebsite") is None
        assert not saver.ini_path.exists()

        saver.key("Return")
        assert dialog.error_box_text() == "'Lblheight' is not a valid integer value"
        five = b"[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=1\r\nPicord=2\r\n"
        assert saver.ini_path.read_bytes() == five
        dialog.dismiss_error_box()
        assert saver.running() and len(dialog.clients()) == 1

        dialog.click("ScrollBar1", "right")
        dialog.click("ScrollBar2", "right")
        poll(lambda: dialog.labels() == ("26", "26"),
             what=f"both labels to show 26 (they show {dialog.labels()})")
        saver.key("Return")
        assert saver.wait_exit() == 0
        assert saver.ini_path.read_bytes() == five + b"Height=26\r\nWidth=26\r\nStatus=0\r\n"
    finally:
        saver.ini_path.unlink(missing_ok=True)


def test_arrow_keys_move_through_every_display_choice(make_saver):
    # The first tab stop is the chosen "Small"; the bars stand between it and
    # "Customize..." in the tab order, yet the arrows go on through the group.
    dialog = open_dialog(make_saver, INI.replace(b"Picdis=4", b"Picdis=3"))
    saver = dialog.saver
    assert dialog.checked() == {"Small", "Randomly"}
    saver.key("Down")
    poll(lambda: "Customize Video Window Below" in dialog.checked(),
         what=f"Down to choose the next display mode (chosen: {dialog.checked()})")
    saver.key("Down")
    poll(lambda: "Default Video Size (Clearest Image)" in dialog.checked(),
         what=f"Down to choose the default size (chosen: {dialog.checked()})")
    assert dialog.checked() == {"Default Video Size (Clearest Image)", "Randomly"}
    saver.key("Return")
    assert saver.wait_exit() == 0
    assert saver.ini_path.read_bytes() == INI.replace(b"Picdis=4", b"Picdis=5")


def test_second_dialog_opens_and_each_saves_on_its_own(make_saver, wine_env):
    first = open_dialog(make_saver)
    second = make_saver(ini=INI).start("/C")
    poll(lambda: len(first.clients()) == 2, what="a second dialog")
    assert first.saver.running() and second.running()

    # Enter goes to the dialog in front; the other stays.
    first.activate()
    first.saver.key("Return")
    poll(lambda: first.saver.running() != second.running(), what="one dialog to close")
    assert len(first.clients()) == 1
    remaining = first.saver if first.saver.running() else second
    first.activate()
    remaining.key("Return")
    assert remaining.wait_exit() == 0
    assert wine_env.count_windows(DIALOG_CLASS) == 0
    assert first.saver.ini_path.read_bytes() == INI


def test_no_dialog_while_a_saver_runs(make_saver, wine_env):
    saver = make_saver(ini=NO_VIDEOS_INI).start("/S")
    saver.wait_saver_window()

    other = make_saver(ini=INI).start("/C")
    assert other.wait_exit() == 0
    assert wine_env.count_windows(DIALOG_CLASS) == 0
    assert not wine_env.find_window(BOX_CLASS, ERROR_TITLE)
    assert other.ini_path.read_bytes() == INI
    assert saver.running() and wine_env.count_windows(SAVER_CLASS) == 1
