"""Fixtures of the end-to-end suite: one Wine prefix (and Xvfb when needed)
per session, and per test the saver copies, helper libraries and logs."""

from __future__ import annotations

import shutil
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import DIALOG_CLASS, SAVER_CLASS, Saver, poll, winpath  # noqa: E402


@pytest.fixture(scope="session")
def wine_env(request):
    workdir = harness.new_workdir()
    try:
        wenv, xvfb = harness.create_wine_env(workdir)
    except BaseException:
        shutil.rmtree(workdir, ignore_errors=True)
        raise
    line = f"vidsaver e2e: {wenv.describe()}"
    reporter = request.config.pluginmanager.get_plugin("terminalreporter")
    capman = request.config.pluginmanager.get_plugin("capturemanager")
    if reporter is not None and capman is not None:
        # output capture is on while fixtures are set up
        with capman.global_and_fixture_disabled():
            reporter.write_line("")
            reporter.write_line(line)
    else:
        print(line, file=sys.stderr)
    try:
        yield wenv
    finally:
        wenv.shutdown()
        if xvfb is not None:
            xvfb.stop()
        shutil.rmtree(workdir, ignore_errors=True)


@pytest.fixture
def make_saver(wine_env, tmp_path):
    """make_saver(name="vidsaver.scr", ini=None, ini_name=None) -> Saver. Every saver made
    here is killed and its settings file removed after the test, and the test
    does not end while a window of the program is left on the desktop."""
    made: list[Saver] = []

    def make(name: str = "vidsaver.scr", ini: bytes | None = None,
             ini_name: str | None = None) -> Saver:
        saver = Saver(wine_env, tmp_path / f"copy{len(made)}", name, ini, ini_name)
        made.append(saver)
        return saver

    yield make
    for saver in made:
        saver.cleanup()
    poll(lambda: (wine_env.count_windows(SAVER_CLASS) == 0
                  and wine_env.count_windows(DIALOG_CLASS) == 0),
         what="the program's windows to go after the test")


class TestLog:
    """The file that the test libraries append their calls to."""

    def __init__(self, path: Path):
        self.path = path

    @property
    def env(self) -> dict:
        return {"VIDSAVER_TEST_LOG": winpath(self.path)}

    def lines(self) -> list[str]:
        if not self.path.exists():
            return []
        return self.path.read_text().splitlines()


@pytest.fixture
def test_log(tmp_path):
    return TestLog(tmp_path / "calls.log")


@pytest.fixture
def system_dll(wine_env):
    """system_dll(tool_folder, file_name): puts a built test library into the
    program's system directory for this test, then puts Wine's file back."""
    saved: list[tuple[Path, bytes | None]] = []

    def install(tool_folder: str, file_name: str) -> Path:
        src = wine_env.tools_dir / tool_folder / file_name
        if not src.exists():
            raise harness.HarnessError(f"test library {src} is not built")
        dest = wine_env.system_dir / file_name
        # Wine's own files may be named in another case: replace whichever is there.
        for existing in wine_env.system_dir.iterdir():
            if existing.name.lower() == file_name.lower():
                saved.append((existing, existing.read_bytes()))
                existing.unlink()
                break
        else:
            saved.append((dest, None))
        shutil.copyfile(src, dest)
        return dest

    yield install
    for dest, content in reversed(saved):
        for existing in wine_env.system_dir.iterdir():
            if existing.name.lower() == dest.name.lower():
                existing.unlink()
        if content is not None:
            dest.write_bytes(content)
