"""pip installs the package without the network, in a throwaway virtual
environment that sees Debian's setuptools, and a robot runs from it."""

import os
import shutil
import subprocess

from conftest import CLIENT


def test_pip_installs_offline_and_an_example_plays(tmp_path, serveur):
    source = tmp_path / "python"
    shutil.copytree(CLIENT, source, ignore=shutil.ignore_patterns(
        "build", "*.egg-info", "__pycache__"))
    venv = tmp_path / "venv"
    subprocess.run(["/usr/bin/python3", "-m", "venv", "--system-site-packages", str(venv)],
                   check=True)
    python = str(venv / "bin" / "python")
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "PIP_INDEX_URL")}
    subprocess.run([python, "-m", "pip", "install", "-q", "--no-build-isolation", "--no-index",
                    str(source)], check=True, env=env, cwd=tmp_path)
    ou = subprocess.run([python, "-c", "import jeu_client; print(jeu_client.__file__)"],
                        check=True, env=env, cwd=tmp_path, capture_output=True, text=True)
    assert ou.stdout.startswith(str(venv))
    # The example from the copy, with the installed package only.
    robot = subprocess.run(
        [python, str(source / "exemples" / "tourelle.py"), "127.0.0.1", str(serveur.port),
         "--couleur", "0x777777", "--trames", "20"],
        env=env, cwd=tmp_path, capture_output=True, text=True, timeout=60)
    assert robot.returncode == 0, robot.stderr
    assert robot.stdout == "tourelle : 20 trames\n"
