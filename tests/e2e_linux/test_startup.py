"""Start-up: which first argument runs the saver, opens the settings dialog
or ends at once, the block while a saver runs, and a start without a
display."""

from __future__ import annotations

from pathlib import Path

import pytest

from clips import settings
from harness import BOX_CLASS, DIALOG_CLASS, SAVER_CLASS

# No video: the saver shows its white screen, without mpv and without a box.
NO_VIDEOS = settings(["Null"])


def no_program_windows(x) -> bool:
    return not (x.search(SAVER_CLASS) or x.search(DIALOG_CLASS) or x.search(BOX_CLASS))


@pytest.mark.parametrize("args", [("/S",), ("/s",), ("/s", "1234")],
                         ids=["/S", "/s", "/s and a window id"])
def test_run_switch_shows_the_saver(vidsaver, args):
    vidsaver.write_settings(NO_VIDEOS)
    proc = vidsaver.start(*args)
    vidsaver.wait_saver(proc)
    assert proc.running()
    assert vidsaver.x.search(DIALOG_CLASS) == []


@pytest.mark.parametrize("args", [("/C",), ("/c",), ("/c1234",), ("/C:1234",), ("/CONFIG",),
                                  ("/c", "1234")],
                         ids=["/C", "/c", "/c1234", "/C:1234", "/CONFIG", "/c and a window id"])
def test_settings_switch_opens_the_dialog(vidsaver, args):
    vidsaver.write_settings(NO_VIDEOS)
    proc = vidsaver.start(*args)
    vidsaver.wait_dialog(proc)
    assert proc.running()
    assert vidsaver.x.search(SAVER_CLASS) == []


@pytest.mark.parametrize("args", [
    (),
    ("/A",),
    ("/a",),
    ("/a", "1234"),
    ("/P", "1234"),
    ("/S:1234",),
    ("/SX",),
    ("-s",),
    ("/",),
    ("S",),
    ("",),
    ("/X",),
], ids=["no argument", "/A", "/a", "/a and a window id", "/P and a window id", "/S:1234",
        "/SX", "-s", "slash", "S", "empty", "/X"])
def test_other_starts_end_at_once_and_show_nothing(vidsaver, args):
    vidsaver.write_settings(NO_VIDEOS)
    proc = vidsaver.start(*args)
    assert proc.wait_exit() == 0
    assert no_program_windows(vidsaver.x)
    assert vidsaver.settings_path.read_bytes() == NO_VIDEOS


@pytest.mark.parametrize("second", ["/S", "/C", "/c1234", "/A"])
def test_running_saver_turns_every_start_away(vidsaver, second):
    vidsaver.write_settings(NO_VIDEOS)
    first = vidsaver.start("/S")
    vidsaver.wait_saver(first)

    other = vidsaver.start(second)
    assert other.wait_exit() == 0
    assert len(vidsaver.x.search(SAVER_CLASS)) == 1
    assert vidsaver.x.search(DIALOG_CLASS) == []
    assert vidsaver.x.search(BOX_CLASS) == []
    assert first.running()


def test_open_dialog_does_not_keep_the_saver_from_starting(vidsaver):
    vidsaver.write_settings(NO_VIDEOS)
    dialog = vidsaver.start("/C")
    vidsaver.wait_dialog(dialog)

    saver = vidsaver.start("/S")
    vidsaver.wait_saver(saver)
    assert dialog.running() and saver.running()


def unused_display() -> str:
    for n in range(400, 500):
        if not (Path(f"/tmp/.X11-unix/X{n}").exists() or Path(f"/tmp/.X{n}-lock").exists()):
            return f":{n}"
    raise AssertionError("no unused display number")


@pytest.mark.parametrize("switch", ["/S", "/C"])
@pytest.mark.parametrize("display", [None, "", "unused"], ids=["unset", "empty", "unreachable"])
def test_without_a_display_it_says_why_and_fails(vidsaver, switch, display):
    vidsaver.write_settings(NO_VIDEOS)
    if display == "unused":
        display = unused_display()
    proc = vidsaver.start(switch, env={"DISPLAY": display})
    code = proc.wait_exit()
    # a plain failure, not an abort or a crash (those end with a signal)
    assert code > 0, f"exit code {code}; stderr: {proc.stderr()}"
    err = proc.stderr()
    assert (display or "DISPLAY") in err, err
    assert not list(vidsaver.workdir.glob("core*"))
    assert vidsaver.settings_path.read_bytes() == NO_VIDEOS
