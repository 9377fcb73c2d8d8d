"""Fixtures of the Linux end-to-end suite: one X server, one copy of the
program and one clip folder per session; per test a fresh settings folder
and the processes started in it, all ended afterwards."""

from __future__ import annotations

import os
import shutil
import sys
import tempfile
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from clips import Clips  # noqa: E402
from harness import HarnessError, Launcher, XDisplay, Xvfb, poll, snapshot  # noqa: E402


def _say(request, line: str) -> None:
    reporter = request.config.pluginmanager.get_plugin("terminalreporter")
    capman = request.config.pluginmanager.get_plugin("capturemanager")
    if reporter is not None and capman is not None:
        with capman.global_and_fixture_disabled():
            reporter.write_line("")
            reporter.write_line(line)
    else:
        print(line, file=sys.stderr)


@pytest.fixture(scope="session")
def session_dir():
    path = Path(tempfile.mkdtemp(prefix="vidsaver-e2e-linux-"))
    yield path
    shutil.rmtree(path, ignore_errors=True)


@pytest.fixture(scope="session")
def x(request, session_dir):
    display = os.environ.get("DISPLAY", "")
    xvfb = None
    if os.environ.get("VIDSAVER_E2E_OWN_XVFB") == "0" and display:
        how = f"display {display} (given)"
    else:
        xvfb = Xvfb(session_dir / "xvfb.log")
        display = xvfb.start()
        how = f"own Xvfb on {display}"
    try:
        xd = XDisplay(display)
        poll(xd.ready, what=f"the X server on {display}")
        if xd.size() != (harness.SCREEN_W, harness.SCREEN_H):
            raise HarnessError(f"the tests need a screen of {harness.SCREEN_W}x"
                               f"{harness.SCREEN_H}; {display} has {xd.size()}")
        if xvfb is not None:
            # a held key sends one press and one release
            xd.auto_repeat_off()
        _say(request, f"vidsaver e2e (Linux): {how}")
        yield xd
    finally:
        if xvfb is not None:
            xvfb.stop()


@pytest.fixture(scope="session")
def program(session_dir):
    """The session's own copy of the built program, taken at the start:
    other developers rebuild the build tree while the suite runs. The copy
    keeps the name the settings file is named after."""
    build_dir = Path(os.environ.get("VIDSAVER_E2E_LINUX_BUILD_DIR")
                     or harness.REPO / "build" / "linux")
    built = build_dir / "vidsaver"
    if not built.exists():
        raise HarnessError(f"{built} is not built; build it with "
                           f"cmake --preset linux && cmake --build --preset linux -j2")
    return snapshot(built, session_dir / "bin" / "vidsaver")


@pytest.fixture(scope="session")
def clips(session_dir):
    return Clips(session_dir / "clips")


@pytest.fixture(scope="session")
def session_home(session_dir):
    home = session_dir / "home"
    home.mkdir()
    return home


@pytest.fixture(scope="session")
def runtime_dir(session_dir):
    path = session_dir / "runtime"
    path.mkdir(mode=0o700)
    return path


@pytest.fixture
def vidsaver(x, program, session_home, runtime_dir, tmp_path):
    """Starts the program with a settings folder ($XDG_CONFIG_HOME) of this
    test's own; every process it started is killed afterwards, and the test
    does not end while a window of the program is left on the screen."""
    launcher = Launcher(x, program, tmp_path, session_home, runtime_dir)
    yield launcher
    launcher.cleanup()
