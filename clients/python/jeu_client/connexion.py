"""What both clients share: the state of a connection, what each call sends
and which parser reads its reply. The sync and asyncio clients only move
bytes and keep the deadline."""

import ipaddress
import socket
import threading

from . import analyse
from .erreurs import ConnexionFermee, DelaiDepasse, ErreurConnexion, ModeFlux
from .lecture import Tampon
from .requetes import ACTIONS, Requete

LIGNES = {r: r.value for r in Requete}


def octets_trame(requetes) -> bytes:
    """The lines of `requetes`, joined for one write (made once for a given
    list of requests)."""
    return analyse.plan_trame(requetes).octets


def ligne_enregistrement(couleur: int) -> bytes:
    if not isinstance(couleur, int) or isinstance(couleur, bool):
        raise TypeError("couleur : un entier, pas %r" % (couleur,))
    if not analyse.INT64_MIN <= couleur <= analyse.INT64_MAX:
        raise ValueError("couleur hors des entiers signes de 64 bits : %d" % couleur)
    return b"PUT COULEUR VAISSEAU %d\r\n" % couleur


def verifie_action(a) -> bytes:
    if a not in ACTIONS:
        raise ValueError("pas une action : %r" % (a,))
    return LIGNES[a]


def resout_sync(hote: str, port: int, delai: float):
    """The addresses of `hote` (getaddrinfo), within `delai` seconds: the
    system's lookup cannot be interrupted, so it runs in a thread of its own
    that is left behind when it takes too long."""
    try:
        ipaddress.ip_address(hote)
        numerique = True
    except ValueError:
        numerique = False
    if numerique:
        return socket.getaddrinfo(hote, port, type=socket.SOCK_STREAM)
    resultat = []

    def cherche():
        try:
            resultat.append(socket.getaddrinfo(hote, port, type=socket.SOCK_STREAM))
        except OSError as e:
            resultat.append(e)

    fil = threading.Thread(target=cherche, name="jeu_client-nom", daemon=True)
    fil.start()
    fil.join(delai)
    if not resultat:
        raise DelaiDepasse(
            "connexion a %s:%d : delai de %d ms depasse (recherche du nom)"
            % (hote, port, delai * 1000)
        )
    if isinstance(resultat[0], OSError):
        raise ErreurConnexion("connexion a %s:%d : nom inconnu (%s)" % (hote, port, resultat[0]))
    return resultat[0]


class Etat:
    """One connection's parsing state, shared by both clients."""

    __slots__ = ("tampon", "delai", "ferme", "flux", "nom")

    def __init__(self, delai: float, nom: str):
        if not delai > 0:
            raise ValueError("delai : un nombre de secondes > 0")
        self.tampon = Tampon()
        self.delai = delai
        self.ferme = False
        self.flux = False
        self.nom = nom  # "127.0.0.1:12345", for messages

    def avant(self, en_flux: bool = False):
        """Before a call: refuses it on a closed or streaming connection."""
        if self.ferme:
            raise ConnexionFermee("connexion deja fermee")
        if self.flux and not en_flux:
            raise ModeFlux("connexion en flux (GET FLUX) : elle ne fait plus que lire des trames")
        self.tampon.compacte()

    def delai_message(self, demande) -> DelaiDepasse:
        """`demande`: a request's name, or the list of a frame's requests."""
        return DelaiDepasse(
            "pas de reponse complete : delai de %d ms depasse (reponse a %s)"
            % (round(self.delai * 1000), demande if isinstance(demande, str) else quoi(demande))
        )


def quoi(requetes) -> str:
    """The requests for a message: "GET VAISSEAUX" or "trame de 3 requetes"."""
    return requetes[0].nom if len(requetes) == 1 else "trame de %d requetes" % len(requetes)
