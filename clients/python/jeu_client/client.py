"""The synchronous client. One Client per TCP connection, not shared between
threads. No call waits longer than the connection's delay for the server
(a few milliseconds more at most)."""

import socket
import struct
import time

from . import analyse
from .connexion import (
    Etat,
    LIGNES,
    ligne_enregistrement,
    octets_trame,
    resout_sync,
    verifie_action,
)
from .lecture import Incomplet
from .erreurs import (
    ConnexionFermee,
    CouleurUtilisee,
    DelaiDepasse,
    ErreurConnexion,
    ErreurJeu,
    ErreurSyntaxe,
)
from .requetes import Requete

_TAILLE_LECTURE = 65536


def _fixe(sock: socket.socket, option: int, secondes: float):
    """SO_RCVTIMEO or SO_SNDTIMEO (a struct timeval; 0 would mean never)."""
    micro = max(1, round(secondes * 1e6))
    sock.setsockopt(socket.SOL_SOCKET, option, struct.pack("@ll", micro // 1000000, micro % 1000000))


class Client:
    """A connection to serveur_jeu. Every failure raises an ErreurJeu. A
    refusal (ErreurSyntaxe, CouleurUtilisee) leaves the connection usable;
    after any other error it is closed and later calls raise ConnexionFermee."""

    def __init__(self, sock: socket.socket, delai: float, nom: str = ""):
        """Takes a connected socket; most programs call Client.connecte."""
        self._etat = Etat(delai, nom)
        self._sock = sock
        # Blocking, with the kernel's timeouts: one system call per read (a
        # Python timeout polls before every read).
        sock.settimeout(None)
        self._timeout = -1.0
        self._fixe_timeout(delai)
        _fixe(sock, socket.SO_SNDTIMEO, delai)

    @classmethod
    def connecte(cls, hote: str = "127.0.0.1", port: int = 12345, delai: float = 5.0) -> "Client":
        """Connects to `hote` (a name or an address) on `port`, the name lookup
        and the connection within `delai` seconds, which then bounds every
        later call. Raises ErreurConnexion or DelaiDepasse."""
        echeance = time.monotonic() + delai
        nom = "%s:%d" % (hote, port)
        derniere = None
        for famille, sorte, proto, _, adresse in resout_sync(hote, port, delai):
            reste = echeance - time.monotonic()
            if reste <= 0:
                break
            sock = socket.socket(famille, sorte, proto)
            try:
                sock.settimeout(reste)
                sock.connect(adresse)
                sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                return cls(sock, delai, nom)
            except socket.timeout:
                sock.close()
                derniere = None
                break
            except OSError as e:
                sock.close()
                derniere = e
        if derniere is None:
            raise DelaiDepasse("connexion a %s : delai de %d ms depasse" % (nom, delai * 1000))
        raise ErreurConnexion("connexion a %s impossible : %s" % (nom, derniere))

    def _fixe_timeout(self, secondes: float):
        _fixe(self._sock, socket.SO_RCVTIMEO, secondes)
        self._timeout = secondes

    # The two halves of every call.
    def _envoie(self, octets: bytes):
        try:
            self._sock.sendall(octets)
        except (socket.timeout, BlockingIOError):
            self.ferme()
            raise DelaiDepasse(
                "envoi : delai de %d ms depasse (le serveur ne lit plus)" % (self._etat.delai * 1000)
            ) from None
        except OSError as e:
            self.ferme()
            raise ConnexionFermee("envoi impossible : %s" % e) from None

    def _lit(self, analyse_fn, arg, demande: str):
        """analyse_fn(tampon, arg): the reply, parsed once its bytes have come,
        within the delay."""
        etat = self._etat
        t = etat.tampon
        sock = self._sock
        echeance = time.monotonic() + etat.delai
        debut = t.pos
        manque = 1 if debut == len(t.octets) else 0  # nothing yet: read first
        try:
            while True:
                if manque <= 0:
                    try:
                        return analyse_fn(t, arg)
                    except Incomplet as i:
                        t.pos = debut
                        if t.fin_flux:
                            raise t.fin() from None
                        manque = i.manque
                reste = echeance - time.monotonic()
                if reste <= 0:
                    raise socket.timeout
                if reste < self._timeout - 0.005:
                    self._fixe_timeout(reste)
                donnees = sock.recv(_TAILLE_LECTURE)
                if donnees:
                    manque -= t.ajoute(donnees)
                else:
                    t.fin_flux = True
                    manque = 0
        except (ErreurSyntaxe, CouleurUtilisee):
            raise
        except ErreurJeu:
            self.ferme()
            raise
        except (socket.timeout, BlockingIOError):
            self.ferme()
            raise etat.delai_message(demande) from None
        except OSError as e:
            self.ferme()
            raise ConnexionFermee("lecture impossible : %s" % e) from None
        finally:
            if self._timeout != etat.delai and not etat.ferme:
                self._fixe_timeout(etat.delai)

    def _requete(self, r: Requete):
        self._etat.avant()
        self._envoie(LIGNES[r])
        return self._lit(analyse.reponse, r, r.nom)

    def _accord(self, ligne: bytes, sorte):
        self._etat.avant()
        self._envoie(ligne)
        self._lit(analyse.accord, sorte, sorte[0])

    # Joining.
    def enregistre(self, couleur: int) -> None:
        """Registers a ship of colour `couleur` ("PUT COULEUR VAISSEAU").
        Raises CouleurUtilisee (colour taken or arena full) or ErreurSyntaxe
        (already registered, a spectator...): the connection stays usable."""
        self._accord(ligne_enregistrement(couleur), analyse.ENREGISTREMENT)

    def devient_spectateur(self) -> None:
        """"PUT SPECTATEUR": no ship; the GET requests, stats, scores, events
        and the stream. Raises ErreurSyntaxe once registered as a player."""
        self._accord(b"PUT SPECTATEUR\r\n", analyse.SPECTATEUR)

    # A frame.
    def trame(self, requetes) -> list:
        """Every request of `requetes` (Requete values) in one write, then
        their replies, parsed, in order (see analyse.reponse for the types).
        A refused request raises ErreurSyntaxe once the frame's replies are
        all read, so the connection stays usable."""
        self._etat.avant()
        plan = analyse.plan_trame(requetes)
        self._envoie(plan.octets)
        return self._lit(analyse.lit_trame, plan, requetes)

    def envoie(self, requetes) -> None:
        """The first half of trame, for a program driving many connections:
        send every connection's frame, then read each one's replies with
        recoit, given the same requests."""
        self._etat.avant()
        self._envoie(octets_trame(requetes))

    def recoit(self, requetes) -> list:
        """The second half of trame: the replies to the requests of envoie."""
        self._etat.avant()
        return self._lit(analyse.reponses, requetes, requetes)

    # One request, one round trip each.
    def vaisseaux(self):
        """"GET VAISSEAUX": list[Vaisseau], newest ship first."""
        return self._requete(Requete.VAISSEAUX)

    def balles(self):
        """"GET BALLES": list[Balle], newest first."""
        return self._requete(Requete.BALLES)

    def cubes(self):
        """"GET CUBES": list[Cube] (200, never changing)."""
        return self._requete(Requete.CUBES)

    def statut(self):
        """"GET STATUT": Statut.VIVANT, MORT or SPECTATEUR."""
        return self._requete(Requete.STATUT)

    def taille(self):
        """"GET TAILLE PLATEAU": TaillePlateau."""
        return self._requete(Requete.TAILLE_PLATEAU)

    def rayon_vaisseau(self) -> int:
        return self._requete(Requete.RAYON_VAISSEAU)

    def rayon_balle(self) -> int:
        return self._requete(Requete.RAYON_BALLE)

    def max_pt_vie(self) -> int:
        return self._requete(Requete.MAX_PT_VIE)

    def stats(self):
        """"GET STATS" (spectators): Stats."""
        return self._requete(Requete.STATS)

    def scores(self):
        """"GET SCORES" (spectators): list[Score], best first."""
        return self._requete(Requete.SCORES)

    def evenements(self):
        """"GET EVENEMENTS" (spectators): Evenements since the previous call."""
        return self._requete(Requete.EVENEMENTS)

    def action(self, a: Requete) -> None:
        """One action (ACCELERE, DECELERE, GAUCHE, DROITE, TIRE); ValueError
        for another request."""
        ligne = verifie_action(a)
        self._etat.avant()
        self._envoie(ligne)
        self._lit(analyse.reponse, a, a.nom)

    def accelere(self) -> None:
        self.action(Requete.ACCELERE)

    def decelere(self) -> None:
        self.action(Requete.DECELERE)

    def gauche(self) -> None:
        self.action(Requete.GAUCHE)

    def droite(self) -> None:
        self.action(Requete.DROITE)

    def tire(self) -> None:
        self.action(Requete.TIRE)

    def flux(self):
        """"GET FLUX" (spectators): an iterator of TrameFlux, one per tick,
        each waited for within the delay. The connection then only streams."""
        self._accord(b"GET FLUX\r\n", analyse.FLUX)
        self._etat.flux = True
        return self._trames()

    def _trames(self):
        while True:
            self._etat.avant(en_flux=True)
            yield self._lit(analyse.trame_flux, None, "GET FLUX")

    # Ending.
    def quitte(self) -> None:
        """"PUT ACTION QUITTE": removes the ship, waits for "OK", closes."""
        self._accord(b"PUT ACTION QUITTE\r\n", analyse.DEPART)
        self.ferme()

    def ferme(self) -> None:
        """Closes the socket (without "PUT ACTION QUITTE"); the server then
        removes the ship. Later calls raise ConnexionFermee."""
        if not self._etat.ferme:
            self._etat.ferme = True
            self._sock.close()

    def est_ferme(self) -> bool:
        return self._etat.ferme

    def fileno(self) -> int:
        """The socket, for select or selectors; -1 once closed."""
        return -1 if self._etat.ferme else self._sock.fileno()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.ferme()
