"""Both clients against the real server: a session, the refusals, a
spectator, and a match of 20 Python robots after which the server still
serves."""

import asyncio
import json
import os
import subprocess
import sys
import time

import pytest

from comportement import decide, moi_dans, vitesse_apres
from conftest import CLIENT
from jeu_client import (
    Arrive,
    Client,
    ClientAsync,
    ConnexionFermee,
    CouleurUtilisee,
    ErreurSyntaxe,
    Part,
    Raison,
    Requete as R,
    Statut,
)
from jeu_client.cadence import Cadence


def test_a_session(serveur):
    with Client.connecte("localhost", serveur.port) as c:
        c.enregistre(0xFF0000)
        taille, rv, rb, vie, statut, vaisseaux = c.trame(
            [R.TAILLE_PLATEAU, R.RAYON_VAISSEAU, R.RAYON_BALLE, R.MAX_PT_VIE, R.STATUT, R.VAISSEAUX])
        assert (taille.largeur, taille.hauteur, rv, rb, vie) == (990, 990, 9, 4, 5)
        assert statut is Statut.VIVANT
        moi = moi_dans(vaisseaux, 0xFF0000)
        assert moi is not None and moi.pt_vie == 5
        cubes = c.cubes()
        assert len(cubes) == 200 and all(q.x2 - q.x1 == 22 for q in cubes)

        # Ten turns in one frame turn the ship by 1.5 rad before the next tick.
        *_, apres = c.trame([R.GAUCHE] * 10 + [R.VAISSEAUX])
        assert moi_dans(apres, 0xFF0000).angle == pytest.approx(moi.angle + 1.5)
        c.tire()
        assert any(b.couleur == 0xFF0000 for b in c.balles())

        # Refusals leave the connection usable.
        with Client.connecte("127.0.0.1", serveur.port) as autre:
            with pytest.raises(CouleurUtilisee):
                autre.enregistre(0xFF0000)
            autre.enregistre(0xFF0001)
        with pytest.raises(ErreurSyntaxe):
            c.enregistre(0x0000FF)
        with pytest.raises(ErreurSyntaxe):
            c.stats()
        with pytest.raises(ErreurSyntaxe):
            c.trame([R.GAUCHE, R.SCORES, R.STATUT])
        assert c.statut() is Statut.VIVANT
        c.quitte()
        with pytest.raises(ConnexionFermee):
            c.statut()


def test_a_spectator(serveur):
    with Client.connecte("127.0.0.1", serveur.port) as s:
        s.devient_spectateur()
        assert s.statut() is Statut.SPECTATEUR
        st = s.stats()
        assert st.spectateurs >= 1 and "requetes_s" in st.champs
        with pytest.raises(ErreurSyntaxe):
            s.tire()
        with pytest.raises(ErreurSyntaxe):
            s.enregistre(5)
        assert len(s.cubes()) == 200


def attend(condition, delai=10.0):
    """Calls condition() until it returns something true, within `delai`."""
    fin = time.monotonic() + delai
    while True:
        resultat = condition()
        if resultat or time.monotonic() > fin:
            return resultat
        time.sleep(0.02)


def test_scores_and_events_of_a_short_life(serveur):
    couleur = 0x5C0BE5
    with Client.connecte("127.0.0.1", serveur.port) as s:
        s.devient_spectateur()
        s.evenements()  # what happened before is not this test's
        with Client.connecte("127.0.0.1", serveur.port) as c:
            c.enregistre(couleur)
            c.trame([R.TIRE, R.TIRE, R.TIRE])
            c.quitte()
        vus = []

        def partie():
            vus.extend(e for e in s.evenements().liste if getattr(e, "couleur", None) == couleur)
            return any(isinstance(e, Part) for e in vus)

        assert attend(partie)
        assert [type(e) for e in vus] == [Arrive, Part]
        assert vus[1].raison is Raison.QUITTE and vus[0].tick <= vus[1].tick
        score = attend(lambda: next((l for l in s.scores() if l.couleur == couleur), None))
        assert (score.tirs, score.vies, score.morts, score.tues, score.vivant) == (3, 1, 0, 0, False)
        assert score.precision == 0.0


def test_an_asyncio_session(serveur):
    async def session():
        async with await ClientAsync.connecte("127.0.0.1", serveur.port) as c:
            await c.enregistre(0x123456)
            with pytest.raises(CouleurUtilisee):
                autre = await ClientAsync.connecte("127.0.0.1", serveur.port)
                try:
                    await autre.enregistre(0x123456)
                finally:
                    autre.ferme()
            _, statut, vaisseaux = await c.trame([R.ACCELERE, R.STATUT, R.VAISSEAUX])
            assert statut is Statut.VIVANT and moi_dans(vaisseaux, 0x123456)
            await c.quitte()
            return c.est_ferme()

    assert asyncio.run(session())


def test_twenty_python_robots_then_the_server_still_serves(serveur):
    """Ten turrets and ten chasers, each on its own connection in one asyncio
    program, 120 frames at the game's pace (or until destroyed)."""
    couleurs = [0x400000 + i for i in range(20)]

    async def robot(couleur: int, sorte: str) -> int:
        c = await ClientAsync.connecte("127.0.0.1", serveur.port)
        await c.enregistre(couleur)
        cubes = await c.cubes()
        cadence, actions, vitesse, trames = Cadence(), [], 0.0, 0
        while trames < 120:
            *_, vaisseaux = await c.trame(actions + [R.VAISSEAUX])
            for a in actions:
                vitesse = vitesse_apres(vitesse, a)
            trames += 1
            moi = moi_dans(vaisseaux, couleur)
            if moi is None:
                break
            actions = decide(sorte, moi, vitesse, vaisseaux, cubes)
            await cadence.attend_async()
        await c.quitte()
        return trames

    async def match():
        return await asyncio.gather(*(robot(c, "tourelle" if i % 2 else "chasseur")
                                      for i, c in enumerate(couleurs)))

    trames = asyncio.run(match())
    assert all(t >= 1 for t in trames)
    assert serveur.en_vie()
    with Client.connecte("127.0.0.1", serveur.port) as s:
        s.devient_spectateur()
        assert not [v for v in s.vaisseaux() if v.couleur in couleurs]
        # The robots played: each registered once, and the turrets fired.
        scores = [l for l in s.scores() if l.couleur in couleurs]
        assert sorted(l.couleur for l in scores) == couleurs
        assert all(l.vies == 1 and not l.vivant for l in scores)
        assert sum(l.tirs for l in scores) > 0
    with Client.connecte("127.0.0.1", serveur.port) as c:
        c.enregistre(couleurs[0])
        assert c.statut() is Statut.VIVANT


def test_the_recorder_writes_one_json_line_a_second(serveur, tmp_path):
    fichier = tmp_path / "partie.jsonl"
    with Client.connecte("127.0.0.1", serveur.port) as joueur:
        joueur.enregistre(0x0BEEF0)
        enregistreur = subprocess.run(
            [sys.executable, os.path.join(CLIENT, "exemples", "enregistreur.py"), "127.0.0.1",
             str(serveur.port), "--fichier", str(fichier), "--secondes", "2"],
            env=dict(os.environ, PYTHONPATH=CLIENT), capture_output=True, text=True, timeout=60)
    assert enregistreur.returncode == 0, enregistreur.stderr
    lignes = [json.loads(l) for l in fichier.read_text().splitlines()]
    assert len(lignes) == 2
    assert all("ticks_s" in l["stats"] and l["evenements"]["sorte"] == "Evenements"
               for l in lignes)
    assert any(s["couleur"] == 0x0BEEF0 and s["vivant"] for s in lignes[0]["scores"])
