"""One robot on its own connection, paced to the game's 40 ticks a second:
each frame sends the last frame's actions with GET VAISSEAUX in one write."""

import argparse

from jeu_client import Cadence, Client, ErreurJeu, Requete

from comportement import decide, moi_dans, vitesse_apres


def joue(sorte: str, hote: str, port: int, couleur: int, trames: int = 0) -> int:
    """Plays until the ship is destroyed (or `trames` frames, when not 0);
    returns the frames played."""
    with Client.connecte(hote, port) as c:
        c.enregistre(couleur)
        cubes = c.cubes()
        cadence = Cadence()
        actions, vitesse, n = [], 0.0, 0
        while trames == 0 or n < trames:
            *_, vaisseaux = c.trame(actions + [Requete.VAISSEAUX])
            for a in actions:
                vitesse = vitesse_apres(vitesse, a)
            n += 1
            moi = moi_dans(vaisseaux, couleur)
            if moi is None:
                break
            actions = decide(sorte, moi, vitesse, vaisseaux, cubes)
            cadence.attend()
        if not c.est_ferme():
            c.quitte()
    return n


def main(sorte: str):
    p = argparse.ArgumentParser(description="A %s robot for serveur_jeu." % sorte)
    p.add_argument("hote", nargs="?", default="127.0.0.1")
    p.add_argument("port", nargs="?", type=int, default=12345)
    p.add_argument("--couleur", type=lambda s: int(s, 0), default=0x00FF00)
    p.add_argument("--trames", type=int, default=0, help="stop after this many frames (0: never)")
    o = p.parse_args()
    try:
        n = joue(sorte, o.hote, o.port, o.couleur, o.trames)
        print("%s : %d trames" % (sorte, n))
    except ErreurJeu as e:
        raise SystemExit("%s : %s" % (sorte, e))
