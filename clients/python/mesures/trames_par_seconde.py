#!/usr/bin/env python3
"""Frames per second of one jeu_client connection (GET VAISSEAUX, GET BALLES
and an action in one write, the replies parsed), beside the same loop on a
raw socket that only finds where the replies end. Both run in turns against
one server holding 20 ships (the two measured, and idle ones).

    python3 clients/python/mesures/trames_par_seconde.py --serveur build/release/serveur_jeu
"""

import argparse
import asyncio
import os
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from jeu_client import Client, ClientAsync, Requete  # noqa: E402

TRAME = [Requete.VAISSEAUX, Requete.BALLES, Requete.GAUCHE]
OCTETS = b"GET VAISSEAUX\r\nGET BALLES\r\nPUT ACTION GAUCHE\r\n"


def lit_brut(s: socket.socket):
    """The replies to OCTETS on a plain socket, as lines, once all came."""
    tampon = b""
    while True:
        tampon += s.recv(65536)
        lignes = tampon.split(b"\r\n")
        if len(lignes) < 2:
            continue
        nv = int(lignes[0].split(b" ")[2])
        if len(lignes) < nv + 3:
            continue
        nb = int(lignes[nv + 1].split(b" ")[2])
        if len(lignes) < nv + nb + 4:
            continue
        assert lignes[nv + nb + 2] == b"OK"
        return lignes, nv, nb


def boucle_brute_nombres(s: socket.socket, duree: float) -> int:
    """The same frame on a plain socket, as a bot written without the library
    would: the ships and bullets read into tuples of numbers, no checks."""
    n = 0
    fin = time.perf_counter() + duree
    while time.perf_counter() < fin:
        s.sendall(OCTETS)
        lit_nombres(s)
        n += 1
    return n


def lit_nombres(s: socket.socket):
    """The replies' ships and bullets as tuples of numbers."""
    lignes, nv, nb = lit_brut(s)
    vaisseaux = [(int(x), int(y), float(a), int(v), int(c))
                 for x, y, a, v, c in (l.split(b" ") for l in lignes[1 : nv + 1])]
    balles = [tuple(map(int, l.split(b" "))) for l in lignes[nv + 2 : nv + nb + 2]]
    assert len(vaisseaux) == nv and len(balles) == nb
    return vaisseaux, balles


def boucle_brute(s: socket.socket, duree: float) -> int:
    """The frame on a plain socket: one write, then reads until the three
    replies are whole (the two counts read, nothing else parsed)."""
    n = 0
    fin = time.perf_counter() + duree
    while time.perf_counter() < fin:
        s.sendall(OCTETS)
        tampon = b""
        while True:
            tampon += s.recv(65536)
            lignes = tampon.split(b"\r\n")
            if len(lignes) < 2:
                continue
            nv = int(lignes[0].split(b" ")[2])
            if len(lignes) < nv + 3:
                continue
            nb = int(lignes[nv + 1].split(b" ")[2])
            if len(lignes) < nv + nb + 4:
                continue
            assert lignes[nv + nb + 2] == b"OK"
            break
        n += 1
    return n


def boucle_client(c: Client, duree: float) -> int:
    n = 0
    fin = time.perf_counter() + duree
    trame = c.trame
    while time.perf_counter() < fin:
        trame(TRAME)
        n += 1
    return n


async def boucle_async(port: int, couleur: int, duree: float) -> int:
    c = await ClientAsync.connecte("127.0.0.1", port)
    await c.enregistre(couleur)
    n = 0
    fin = time.monotonic() + duree
    while time.monotonic() < fin:
        await c.trame(TRAME)
        n += 1
    await c.quitte()
    return n


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--serveur", help="serveur_jeu to start on a free port")
    p.add_argument("--port", type=int, help="or a server already running on 127.0.0.1")
    p.add_argument("--duree", type=float, default=5.0, help="seconds of each loop per measure, in 0.25 s turns (5)")
    p.add_argument("--tours", type=int, default=3, help="measures (3)")
    p.add_argument("--vaisseaux", type=int, default=20, help="ships in the arena (20)")
    o = p.parse_args()
    serveur = None
    port = o.port
    if o.serveur:
        serveur = subprocess.Popen([o.serveur, "0"], stderr=subprocess.PIPE, text=True)
        port = int(serveur.stderr.readline().rsplit(" ", 1)[1])
    if not port:
        p.error("--serveur or --port")
    try:
        inactifs = []
        for i in range(o.vaisseaux - 2):
            c = Client.connecte("127.0.0.1", port)
            c.enregistre(0x100000 + i)
            inactifs.append(c)
        client = Client.connecte("127.0.0.1", port)
        client.enregistre(0xFF0000)
        brut = socket.create_connection(("127.0.0.1", port))
        brut.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        brut.sendall(b"PUT COULEUR VAISSEAU 255\r\n")
        assert brut.recv(100) == b"VAISSEAU ENREGISTRE\r\n"
        print("ships: %d, bullets: %d" % (len(client.vaisseaux()), len(client.balles())))
        # Short turns taken in alternation, so that what else the machine
        # does weighs on all loops alike.
        tranche = 0.25
        boucles = {
            "raw socket, replies only delimited": lambda: boucle_brute(brut, tranche),
            "raw socket, numbers read": lambda: boucle_brute_nombres(brut, tranche),
            "jeu_client Client.trame": lambda: boucle_client(client, tranche),
        }
        for tour in range(o.tours):
            trames = dict.fromkeys(boucles, 0)
            temps = dict.fromkeys(boucles, 0.0)
            cpu = dict.fromkeys(boucles, 0.0)
            fin = time.perf_counter() + o.duree * len(boucles)
            while time.perf_counter() < fin:
                for nom, boucle in boucles.items():
                    t0, c0 = time.perf_counter(), time.process_time()
                    trames[nom] += boucle()
                    temps[nom] += time.perf_counter() - t0
                    cpu[nom] += time.process_time() - c0
            print("measure %d (%.0f s each):" % (tour + 1, o.duree))
            taux = {nom: trames[nom] / temps[nom] for nom in boucles}
            taux_client = taux["jeu_client Client.trame"]
            for nom in boucles:
                print("  %-36s %6.0f frames/s  %5.1f us CPU a frame  jeu_client: %.2f of it"
                      % (nom, taux[nom], cpu[nom] / trames[nom] * 1e6, taux_client / taux[nom]),
                      flush=True)
        brut.close()
        client.quitte()
        taux_async = asyncio.run(boucle_async(port, 0xFF0000, o.duree)) / o.duree
        print("ClientAsync, alone: %.0f frames/s" % taux_async)
        for i in inactifs:
            i.ferme()
    finally:
        if serveur:
            serveur.kill()
            serveur.wait()


if __name__ == "__main__":
    main()
