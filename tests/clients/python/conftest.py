"""The Python client's tests: jeu_client and its examples from the source
tree, and the real server (JEU_SERVEUR, or the normal build's)."""

import os
import subprocess
import sys

import pytest

RACINE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
CLIENT = os.path.join(RACINE, "clients", "python")
sys.path[:0] = [CLIENT, os.path.join(CLIENT, "exemples")]


def binaire_serveur() -> str:
    chemin = os.environ.get("JEU_SERVEUR") or os.path.join(
        RACINE, "build", "test-normal", "serveur_jeu")
    if not os.access(chemin, os.X_OK):
        pytest.fail("no server at %s: build it (scripts/run-tests does) or set JEU_SERVEUR"
                    % chemin)
    return chemin


class Serveur:
    """serveur_jeu on a free port of 127.0.0.1, killed at the end."""

    def __init__(self):
        self.processus = subprocess.Popen(
            [binaire_serveur(), "--adresse", "127.0.0.1", "0"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        ligne = self.processus.stderr.readline()
        if "en ecoute sur le port" not in ligne:
            self.arrete()
            pytest.fail("the server did not say its port: %r" % ligne)
        self.port = int(ligne.rsplit(" ", 1)[1])

    def en_vie(self) -> bool:
        return self.processus.poll() is None

    def arrete(self):
        self.processus.kill()
        self.processus.wait()
        self.processus.stderr.close()


@pytest.fixture(scope="module")
def serveur():
    s = Serveur()
    yield s
    s.arrete()
