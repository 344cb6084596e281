#!/usr/bin/env python3
"""Watches a game as a spectator and records it: once a second, one JSON
line with the server's stats, the scores and the events since the previous
line. Usage: enregistreur.py [host [port]] [--fichier partie.jsonl] [--secondes N]"""

import argparse
import dataclasses
import enum
import json
import sys
import time

from jeu_client import Cadence, Client, ErreurJeu, Requete


def en_json(valeur):
    """Dataclasses and enums as JSON values."""
    if dataclasses.is_dataclass(valeur):
        d = {"sorte": type(valeur).__name__}
        d.update({f.name: en_json(getattr(valeur, f.name)) for f in dataclasses.fields(valeur)})
        return d
    if isinstance(valeur, enum.Enum):
        return valeur.value
    if isinstance(valeur, list):
        return [en_json(v) for v in valeur]
    return valeur


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("hote", nargs="?", default="127.0.0.1")
    p.add_argument("port", nargs="?", type=int, default=12345)
    p.add_argument("--fichier", default="-", help="where to write (-: standard output)")
    p.add_argument("--secondes", type=int, default=0, help="stop after N lines (0: never)")
    o = p.parse_args()
    sortie = sys.stdout if o.fichier == "-" else open(o.fichier, "a", encoding="utf-8")
    try:
        with Client.connecte(o.hote, o.port) as c:
            c.devient_spectateur()
            cadence, n = Cadence(1.0), 0
            while o.secondes == 0 or n < o.secondes:
                stats, scores, evenements = c.trame(
                    [Requete.STATS, Requete.SCORES, Requete.EVENEMENTS])
                ligne = {"temps": round(time.time(), 3), "stats": stats.champs,
                         "scores": en_json(scores), "evenements": en_json(evenements)}
                print(json.dumps(ligne), file=sortie, flush=True)
                n += 1
                cadence.attend()
    except ErreurJeu as e:
        raise SystemExit("enregistreur : %s" % e)
    finally:
        if sortie is not sys.stdout:
            sortie.close()


if __name__ == "__main__":
    main()
