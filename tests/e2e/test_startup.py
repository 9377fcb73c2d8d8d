"""Start-up: which first argument runs the saver, opens the settings dialog,
changes the password or does nothing, and the block while a saver runs."""

from __future__ import annotations

import pytest

from harness import DIALOG_CLASS, SAVER_CAPTION, SAVER_CLASS, poll

# A settings file with no video: the saver starts without the information box.
NO_VIDEOS_INI = (b"[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=1\r\nPicord=2\r\n"
                 b"Height=240\r\nWidth=320\r\nStatus=0\r\n\r\n[VidConfig]\r\nName1=Null\r\n")

MPR_OVERRIDE = {"mpr": "n,b"}


def start(saver, how, **kwargs):
    """how is a tuple of Unix arguments, or a str: the exact command line tail."""
    if isinstance(how, str):
        return saver.start_cmdline(how, **kwargs)
    return saver.start(*how, **kwargs)


@pytest.mark.parametrize("how", [
    ("/S",),
    ("/s",),
    '"/s"',              # quotes on the command line itself
    '"/S" 1234',
    ("/s", "1234"),      # arguments after the first are not read
], ids=["/S", "/s", "quoted /s", "quoted /S and handle", "/s and handle"])
def test_run_switch_starts_saver(make_saver, wine_env, how):
    saver = start(make_saver(ini=NO_VIDEOS_INI), how)
    saver.wait_saver_window()
    assert saver.running()
    assert wine_env.count_windows(SAVER_CLASS, SAVER_CAPTION) == 1
    assert wine_env.count_windows(DIALOG_CLASS) == 0


@pytest.mark.parametrize("how", [
    ("/S:1234",),
    ("/SX",),
    ("/P", "1234"),
    (),
    ("-s",),
    ("/",),
    ("S",),
    '""',                # an empty first argument
], ids=["/S:1234", "/SX", "/P handle", "no argument", "-s", "slash", "S", "empty quoted"])
def test_other_starts_do_nothing(make_saver, wine_env, test_log, system_dll, how):
    # Everything a wrong path could reach is in place, so that taking one
    # would show: the settings file, and a password library that logs.
    system_dll("test_mpr", "MPR.DLL")
    saver = start(make_saver(ini=NO_VIDEOS_INI), how, extra_env=test_log.env,
                  dll_overrides=MPR_OVERRIDE)
    assert saver.wait_exit() == 0
    assert not wine_env.find_window(SAVER_CLASS)
    assert not wine_env.find_window(DIALOG_CLASS)
    assert test_log.lines() == []


@pytest.mark.parametrize("how", [
    ("/C",),
    ("/c",),
    ("/C:1234",),
    ("/CONFIG",),
    ("/c", "1234"),
    '"/c"',
], ids=["/C", "/c", "/C:1234", "/CONFIG", "/c and handle", "quoted /c"])
def test_settings_switch_opens_dialog(make_saver, wine_env, how):
    saver = start(make_saver(ini=NO_VIDEOS_INI), how)
    saver.wait_window(DIALOG_CLASS)
    assert saver.running()
    assert not wine_env.find_window(SAVER_CLASS)


@pytest.mark.parametrize("how", [
    ("/A",),
    ("/a",),
    ("/a:1234",),
    ("/a", "5678"),
    ("/ACCOUNT",),
], ids=["/A", "/a", "/a:1234", "/a and handle", "/ACCOUNT"])
def test_password_switch_calls_password_change(make_saver, wine_env, test_log, system_dll,
                                               how):
    system_dll("test_mpr", "MPR.DLL")
    saver = start(make_saver(ini=NO_VIDEOS_INI), how, extra_env=test_log.env,
                  dll_overrides=MPR_OVERRIDE)
    assert saver.wait_exit() == 0
    # one call, with a null parent window even when a handle was passed
    assert test_log.lines() == ["SCRSAVE|0|0|0"]
    assert not wine_env.find_window(SAVER_CLASS)
    assert not wine_env.find_window(DIALOG_CLASS)


def test_password_switch_without_the_export_just_ends(make_saver, test_log, system_dll):
    system_dll("test_mpr_noexport", "MPR.DLL")
    saver = make_saver(ini=NO_VIDEOS_INI).start("/A", extra_env=test_log.env,
                                                dll_overrides=MPR_OVERRIDE)
    assert saver.wait_exit() == 0
    assert test_log.lines() == []


@pytest.mark.parametrize("second", ["/S", "/C", "/A"])
def test_running_saver_blocks_every_start(make_saver, wine_env, test_log, system_dll,
                                          second):
    system_dll("test_mpr", "MPR.DLL")
    first = make_saver(ini=NO_VIDEOS_INI).start("/S")
    first.wait_saver_window()

    other = make_saver(ini=NO_VIDEOS_INI).start(second, extra_env=test_log.env,
                                                 dll_overrides=MPR_OVERRIDE)
    assert other.wait_exit() == 0
    assert wine_env.count_windows(SAVER_CLASS) == 1
    assert wine_env.count_windows(DIALOG_CLASS) == 0
    assert test_log.lines() == []
    assert first.running()


def test_open_dialog_does_not_block_the_saver(make_saver, wine_env):
    dialog = make_saver(ini=NO_VIDEOS_INI).start("/C")
    dialog.wait_window(DIALOG_CLASS)

    saver = make_saver(ini=NO_VIDEOS_INI).start("/S")
    saver.wait_saver_window()
    assert dialog.running() and saver.running()


def test_second_dialog_opens_beside_the_first(make_saver, wine_env):
    first = make_saver(ini=NO_VIDEOS_INI).start("/C")
    first.wait_window(DIALOG_CLASS)

    second = make_saver(ini=NO_VIDEOS_INI).start("/C")
    poll(lambda: wine_env.count_windows(DIALOG_CLASS) == 2, what="a second dialog")
    assert first.running() and second.running()
