"""The asyncio client: the same calls as Client, as coroutines. One
ClientAsync per connection, used by one task at a time. No call waits longer
than the connection's delay for the server."""

import asyncio
import socket

from . import analyse
from .connexion import Etat, LIGNES, ligne_enregistrement, octets_trame, verifie_action
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


class ClientAsync:
    """A connection to serveur_jeu, for asyncio programs. Errors as Client's."""

    def __init__(self, lecteur: asyncio.StreamReader, ecrivain: asyncio.StreamWriter,
                 delai: float, nom: str = ""):
        """Takes an open stream pair; most programs call ClientAsync.connecte."""
        self._etat = Etat(delai, nom)
        self._lecteur = lecteur
        self._ecrivain = ecrivain

    @classmethod
    async def connecte(cls, hote: str = "127.0.0.1", port: int = 12345,
                       delai: float = 5.0) -> "ClientAsync":
        """Connects to `hote` on `port`, the name lookup and the connection
        within `delai` seconds, which then bounds every later call. Raises
        ErreurConnexion or DelaiDepasse."""
        nom = "%s:%d" % (hote, port)
        try:
            async with asyncio.timeout(delai):
                lecteur, ecrivain = await asyncio.open_connection(hote, port, limit=_TAILLE_LECTURE)
        except TimeoutError:
            raise DelaiDepasse(
                "connexion a %s : delai de %d ms depasse" % (nom, delai * 1000)
            ) from None
        except socket.gaierror as e:
            raise ErreurConnexion("connexion a %s : nom inconnu (%s)" % (nom, e)) from None
        except OSError as e:
            raise ErreurConnexion("connexion a %s impossible : %s" % (nom, e)) from None
        sock = ecrivain.get_extra_info("socket")
        if sock is not None and sock.family in (socket.AF_INET, socket.AF_INET6):
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        return cls(lecteur, ecrivain, delai, nom)

    async def _fait(self, octets: bytes, analyse_fn, arg, demande):
        """Sends `octets` (if any), then parses the reply with
        analyse_fn(tampon, arg) once its bytes have come, within the delay."""
        etat = self._etat
        t = etat.tampon
        debut = t.pos
        manque = 1 if debut == len(t.octets) else 0
        try:
            async with asyncio.timeout(etat.delai):
                if octets:
                    self._ecrivain.write(octets)
                    await self._ecrivain.drain()
                while True:
                    if manque <= 0:
                        try:
                            return analyse_fn(t, arg)
                        except Incomplet as i:
                            t.pos = debut
                            if t.fin_flux:
                                raise t.fin() from None
                            manque = i.manque
                    donnees = await self._lecteur.read(_TAILLE_LECTURE)
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
        except TimeoutError:
            self.ferme()
            raise etat.delai_message(demande) from None
        except OSError as e:
            self.ferme()
            raise ConnexionFermee("connexion perdue : %s" % e) from None

    async def _requete(self, r: Requete):
        self._etat.avant()
        return await self._fait(LIGNES[r], analyse.reponse, r, r.nom)

    async def _accord(self, ligne: bytes, sorte):
        self._etat.avant()
        await self._fait(ligne, analyse.accord, sorte, sorte[0])

    async def enregistre(self, couleur: int) -> None:
        """As Client.enregistre."""
        await self._accord(ligne_enregistrement(couleur), analyse.ENREGISTREMENT)

    async def devient_spectateur(self) -> None:
        await self._accord(b"PUT SPECTATEUR\r\n", analyse.SPECTATEUR)

    async def trame(self, requetes) -> list:
        """As Client.trame: one write, the replies in order."""
        self._etat.avant()
        return await self._fait(octets_trame(requetes), analyse.reponses, requetes, requetes)

    async def envoie(self, requetes) -> None:
        """As Client.envoie: the first half of trame."""
        self._etat.avant()
        try:
            async with asyncio.timeout(self._etat.delai):
                self._ecrivain.write(octets_trame(requetes))
                await self._ecrivain.drain()
        except TimeoutError:
            self.ferme()
            raise DelaiDepasse("envoi : delai de %d ms depasse (le serveur ne lit plus)"
                               % (self._etat.delai * 1000)) from None
        except OSError as e:
            self.ferme()
            raise ConnexionFermee("envoi impossible : %s" % e) from None

    async def recoit(self, requetes) -> list:
        """As Client.recoit: the replies to the requests of envoie."""
        self._etat.avant()
        return await self._fait(b"", analyse.reponses, requetes, requetes)

    async def vaisseaux(self):
        return await self._requete(Requete.VAISSEAUX)

    async def balles(self):
        return await self._requete(Requete.BALLES)

    async def cubes(self):
        return await self._requete(Requete.CUBES)

    async def statut(self):
        return await self._requete(Requete.STATUT)

    async def taille(self):
        return await self._requete(Requete.TAILLE_PLATEAU)

    async def rayon_vaisseau(self) -> int:
        return await self._requete(Requete.RAYON_VAISSEAU)

    async def rayon_balle(self) -> int:
        return await self._requete(Requete.RAYON_BALLE)

    async def max_pt_vie(self) -> int:
        return await self._requete(Requete.MAX_PT_VIE)

    async def stats(self):
        return await self._requete(Requete.STATS)

    async def scores(self):
        return await self._requete(Requete.SCORES)

    async def evenements(self):
        return await self._requete(Requete.EVENEMENTS)

    async def action(self, a: Requete) -> None:
        ligne = verifie_action(a)
        self._etat.avant()
        await self._fait(ligne, analyse.reponse, a, a.nom)

    async def accelere(self) -> None:
        await self.action(Requete.ACCELERE)

    async def decelere(self) -> None:
        await self.action(Requete.DECELERE)

    async def gauche(self) -> None:
        await self.action(Requete.GAUCHE)

    async def droite(self) -> None:
        await self.action(Requete.DROITE)

    async def tire(self) -> None:
        await self.action(Requete.TIRE)

    async def flux(self):
        """"GET FLUX" (spectators): an async iterator of TrameFlux, one per
        tick, each waited for within the delay."""
        await self._accord(b"GET FLUX\r\n", analyse.FLUX)
        self._etat.flux = True
        return self._trames()

    async def _trames(self):
        while True:
            self._etat.avant(en_flux=True)
            yield await self._fait(b"", analyse.trame_flux, None, "GET FLUX")

    async def quitte(self) -> None:
        """"PUT ACTION QUITTE": removes the ship, waits for "OK", closes."""
        await self._accord(b"PUT ACTION QUITTE\r\n", analyse.DEPART)
        self.ferme()

    def ferme(self) -> None:
        """Closes the connection (without "PUT ACTION QUITTE")."""
        if not self._etat.ferme:
            self._etat.ferme = True
            self._ecrivain.close()

    def est_ferme(self) -> bool:
        return self._etat.ferme

    async def __aenter__(self):
        return self

    async def __aexit__(self, *exc):
        self.ferme()
