#!/usr/bin/env python3
"""The CPU time of one frame without the network: the raw loops and
Client.trame of trames_par_seconde.py over a socket stub that returns the
same reply (20 ships, 2 bullets, OK) at once. Best of 300 runs of 100 frames.

    python3 clients/python/mesures/sans_reseau.py
"""

import os
import sys
import timeit

ICI = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(ICI, ".."), ICI]
from jeu_client import Client  # noqa: E402
import trames_par_seconde as m  # noqa: E402

REPONSE = (b"PUT VAISSEAUX 20\r\n"
           + b"".join(b"%d %d %.12g 5 %d\r\n" % (100 + i, 200 + i, 1.5 + i / 7, 0x100000 + i)
                      for i in range(20))
           + b"PUT BALLES 2\r\n1 2 3\r\n4 5 6\r\nOK\r\n")


class Bouchon:
    """A connected socket whose every read returns REPONSE."""

    def sendall(self, octets):
        pass

    def recv(self, n):
        return REPONSE

    def settimeout(self, t):
        pass

    def setsockopt(self, *a):
        pass

    def close(self):
        pass


def main():
    bouchon = Bouchon()
    client = Client(bouchon, 5.0)
    boucles = {
        "raw socket, replies delimited": lambda: m.lit_brut(bouchon),
        "raw socket, numbers read": lambda: m.lit_nombres(bouchon),
        "jeu_client Client.trame": lambda: client.trame(m.TRAME),
    }
    for nom, boucle in boucles.items():
        meilleur = min(timeit.repeat(boucle, number=100, repeat=300)) / 100
        print("  %-32s %5.1f us a frame" % (nom, meilleur * 1e6))


if __name__ == "__main__":
    main()
