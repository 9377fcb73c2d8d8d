"""Ending the playing saver: keys and mouse buttons end it, moving the mouse
does not, and on Windows 98 with the screensaver password on, the system's
password check decides."""

from __future__ import annotations

import time

import pytest

from harness import SAVER_CLASS, HarnessError, poll, winpath
from media import colour_name, library, saver_ini, wait_screen

CENTRE = (512, 384)
# Wine answers GetVersionExA with the 9x platform for a program so named.
WIN98_EXE = "pwsaver.scr"
CHECK_TITLE = "Password check"   # the test PASSWORD.CPL's own box
DESKTOP_KEY = r"HKCU\Control Panel\desktop"
PASSWORD_VALUE = "ScreenSaveUsePassword"


def start_playing(make_saver, name: str = "vidsaver.scr", extra_env: dict | None = None):
    """A saver playing a red clip in a small panel, its picture on screen."""
    clip = library().solid("red", seconds=2.0)
    saver = make_saver(name, ini=saver_ini([clip], picdis=3)).start("/S", extra_env=extra_env)
    wait_screen(saver, lambda img: colour_name(img.getpixel(CENTRE)) == "red",
                "the red clip to play", f"exit-playing-{name}.png")
    return saver


def stays_running(saver, wine_env, seconds: float = 2.5) -> None:
    """The saver is still there throughout a fixed observation window."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        assert saver.running(), f"the saver ended (code {saver.proc.returncode})"
        time.sleep(0.1)
    assert wine_env.saver_window_exists()


# --------------------------------------------------------------------------
# Input without a password


ENDING_INPUTS = {
    "key": lambda s: s.key("space"),
    "alt": lambda s: s.key("alt"),            # a system key
    "left-click": lambda s: s.click(100, 100, 1),
    "right-click": lambda s: s.click(100, 100, 3),
    "middle-click": lambda s: s.click(100, 100, 2),
    "lone-key-release": lambda s: s.post_key_up() == 0 or pytest.fail("post_key_up failed"),
}


@pytest.mark.parametrize("give", ENDING_INPUTS.values(), ids=ENDING_INPUTS.keys())
def test_input_ends_playing_saver(make_saver, wine_env, give):
    saver = start_playing(make_saver)
    give(saver)
    assert saver.wait_exit() == 0
    assert not wine_env.find_window(SAVER_CLASS)


def test_mouse_movement_and_wheel_do_not_end_saver(make_saver, wine_env):
    saver = start_playing(make_saver)
    for x, y in [(10, 10), (1000, 20), (500, 700), (30, 740), (512, 384), (700, 300)]:
        saver.move(x, y)
    saver.wenv.xdotool("click", "4")  # wheel up
    saver.wenv.xdotool("click", "5")  # wheel down
    stays_running(saver, wine_env)

    # and it still listens
    saver.key("space")
    assert saver.wait_exit() == 0


# --------------------------------------------------------------------------
# The password check of Windows 95 and 98


class Registry:
    """Changes to the prefix's registry that are undone after the test."""

    def __init__(self, wenv):
        self.wenv = wenv
        self.undo: list[list[str]] = []

    def reg(self, *args: str):
        return self.wenv.run(["reg", *args])

    def must(self, *args: str) -> None:
        res = self.reg(*args)
        if res.returncode != 0:
            raise HarnessError(f"reg {' '.join(args)} failed: {res.stdout} {res.stderr}")

    def pretend_win98(self, exe_name: str) -> None:
        key = rf"HKCU\Software\Wine\AppDefaults\{exe_name}"
        if self.reg("query", key).returncode == 0:
            raise HarnessError(f"{key} exists already; refusing to touch it")
        self.undo.append(["delete", key, "/f"])
        self.must("add", key, "/v", "Version", "/d", "win98", "/f")

    def set_password_setting(self, value: int | None) -> None:
        """value None removes it for the test."""
        before = self.reg("query", DESKTOP_KEY, "/v", PASSWORD_VALUE)
        existed = before.returncode == 0
        if value is None and not existed:
            return
        if existed:
            # "    ScreenSaveUsePassword    REG_DWORD    0x1"
            fields = next(l for l in before.stdout.splitlines() if PASSWORD_VALUE in l).split()
            kind, data = fields[1], (fields[2] if len(fields) > 2 else "")
            if kind == "REG_DWORD":
                data = str(int(data, 16))
            self.undo.append(["add", DESKTOP_KEY, "/v", PASSWORD_VALUE, "/t", kind,
                              "/d", data, "/f"])
        else:
            self.undo.append(["delete", DESKTOP_KEY, "/v", PASSWORD_VALUE, "/f"])
        if value is None:
            self.must("delete", DESKTOP_KEY, "/v", PASSWORD_VALUE, "/f")
        else:
            self.must("add", DESKTOP_KEY, "/v", PASSWORD_VALUE, "/t", "REG_DWORD",
                      "/d", str(value), "/f")

    def restore(self) -> None:
        failed = []
        while self.undo:
            args = self.undo.pop()
            if self.reg(*args).returncode != 0:
                failed.append(args)
        if failed:
            raise HarnessError(f"registry changes not undone: {failed}")


@pytest.fixture
def registry(wine_env):
    reg = Registry(wine_env)
    yield reg
    reg.restore()


@pytest.fixture
def answer_file(tmp_path):
    """The test PASSWORD.CPL's answer: write "1" to accept, "0" to refuse."""
    path = tmp_path / "password-answer.txt"
    path.write_text("1")
    return path


def checker_env(test_log, answer_file) -> dict:
    return {**test_log.env, "VIDSAVER_TEST_PWD_ANSWER": winpath(answer_file)}


def check_box_open(wine_env) -> bool:
    return wine_env.find_window("#32770", CHECK_TITLE)


@pytest.mark.parametrize("win98, password, checker, expected_log", [
    (False, 1, True, []),               # NT: no registry, no dialog
    (True, 0, True, []),                # password off
    (True, None, True, []),             # setting absent
    (True, 1, False, []),               # no PASSWORD.CPL: ends without a check
    (True, 1, True, ["verify|1"]),      # accepted
], ids=["nt-password-on", "win98-password-off", "win98-setting-absent",
        "win98-no-checker", "win98-accepted"])
def test_first_ending_input_ends_saver(make_saver, wine_env, registry, system_dll, test_log,
                                       answer_file, win98, password, checker, expected_log):
    if win98:
        registry.pretend_win98(WIN98_EXE)
    registry.set_password_setting(password)
    if checker:
        system_dll("test_password_cpl", "PASSWORD.CPL")
    else:
        assert not any(f.name.lower() == "password.cpl" for f in wine_env.system_dir.iterdir())
    saver = start_playing(make_saver, WIN98_EXE, checker_env(test_log, answer_file))

    # A button press: its release is no ending message, so it makes exactly
    # one check where one is made.
    saver.click(100, 100, 1)
    assert saver.wait_exit() == 0
    assert test_log.lines() == expected_log
    assert not wine_env.find_window(SAVER_CLASS)


def test_refused_password_keeps_playing_and_key_release_checks_again(
        make_saver, wine_env, registry, system_dll, test_log, answer_file):
    registry.pretend_win98(WIN98_EXE)
    registry.set_password_setting(1)
    system_dll("test_password_cpl", "PASSWORD.CPL")
    answer_file.write_text("0")
    saver = start_playing(make_saver, WIN98_EXE, checker_env(test_log, answer_file))

    def check_done(count: int):
        poll(lambda: len(test_log.lines()) >= count, what=f"password check {count}")
        poll(lambda: not check_box_open(wine_env), what="the check's box to close")

    try:
        # The press starts a check; the key is held until it is over.
        saver.wenv.xdotool("keydown", "space")
        check_done(1)
        assert test_log.lines() == ["verify|1"]
        assert saver.running()
    finally:
        # The release comes after the refused check: a new ending message.
        saver.wenv.xdotool("keyup", "space")
    check_done(2)
    assert test_log.lines() == ["verify|1", "verify|1"]

    # Refused twice: still playing.
    wait_screen(saver, lambda img: colour_name(img.getpixel(CENTRE)) == "red",
                "the clip to go on playing", "exit-refused.png")
    stays_running(saver, wine_env, 1.0)

    answer_file.write_text("1")
    saver.click(100, 100, 1)
    assert saver.wait_exit() == 0
    assert test_log.lines() == ["verify|1"] * 3
