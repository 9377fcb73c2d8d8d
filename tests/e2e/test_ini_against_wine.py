"""The settings file engine against the system's own private-profile
functions: ini_compare reads a table of tricky INI files with both
GetPrivateProfileStringA and vidsaver's reader, applies the dialog's writes
with both WritePrivateProfileStringA and vidsaver's writer, and reports
every disagreement."""

from __future__ import annotations

import subprocess

TIMEOUT = 120


def test_reader_and_writer_agree_with_wine(wine_env, tmp_path):
    tool = wine_env.build_dir / "tests" / "win_tools" / "ini_compare" / "ini_compare.exe"
    assert tool.exists(), f"{tool} is not built"
    work = tmp_path / "ini"
    work.mkdir()
    windows_dir = "Z:" + str(work).replace("/", "\\")

    # Output goes to files, not pipes: the wineserver that Wine may start
    # inherits them and would hold a pipe open after the tool has ended.
    out_path, err_path = tmp_path / "ini_compare.out", tmp_path / "ini_compare.err"
    with open(out_path, "wb") as out_file, open(err_path, "wb") as err_file:
        proc = subprocess.Popen([wine_env.wine, str(tool), windows_dir], env=wine_env.env,
                                stdout=out_file, stderr=err_file, stdin=subprocess.DEVNULL)
        try:
            returncode = proc.wait(TIMEOUT)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
    out = out_path.read_text(errors="replace")

    assert "MISMATCH" not in out, out
    assert returncode == 0, f"exit code {returncode}\n{out}\n" + err_path.read_text(
        errors="replace")
    assert " 0 mismatches" in out, out
    # Every file the tool wrote is gone again.
    assert list(work.iterdir()) == []
