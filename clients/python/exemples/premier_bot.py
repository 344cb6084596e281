#!/usr/bin/env python3
"""A first bot: turns toward the nearest ship and fires, 40 frames a second,
until its ship is destroyed. Usage: premier_bot.py [host [port]]"""
import math
import sys

from jeu_client import Cadence, Client, Requete

hote = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
port = int(sys.argv[2]) if len(sys.argv) > 2 else 12345
moi_couleur = 0x00FF00

with Client.connecte(hote, port) as c:
    c.enregistre(moi_couleur)
    cadence = Cadence()  # the server moves the world 40 times a second
    actions = []
    while True:
        # The last frame's actions and GET VAISSEAUX: one write, one round trip.
        *_, vaisseaux = c.trame(actions + [Requete.VAISSEAUX])
        moi = next((v for v in vaisseaux if v.couleur == moi_couleur), None)
        if moi is None:
            print("detruit")
            break
        autres = [v for v in vaisseaux if v is not moi]
        actions = []
        if autres:
            cible = min(autres, key=lambda v: math.hypot(v.x - moi.x, v.y - moi.y))
            ecart = math.remainder(math.atan2(cible.y - moi.y, cible.x - moi.x) - moi.angle,
                                   2 * math.pi)
            actions = [Requete.GAUCHE if ecart > 0 else Requete.DROITE]
            if abs(ecart) < 0.1:
                actions.append(Requete.TIRE)
        cadence.attend()
