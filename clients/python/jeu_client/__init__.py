"""jeu_client: play or watch serveur_jeu from Python (docs/python.md).

    from jeu_client import Client, Requete
    with Client.connecte("127.0.0.1", 12345) as c:
        c.enregistre(0x00FF00)
        vaisseaux, _ = c.trame([Requete.VAISSEAUX, Requete.TIRE])
"""

from .cadence import Cadence
from .client import Client
from .client_async import ClientAsync
from .erreurs import (
    ConnexionFermee,
    CouleurUtilisee,
    DelaiDepasse,
    ErreurConnexion,
    ErreurJeu,
    ErreurSyntaxe,
    ModeFlux,
    ReponseInattendue,
)
from .requetes import Requete
from .types import (
    Arrive,
    Balle,
    Cube,
    Detruit,
    Evenement,
    Evenements,
    Part,
    Raison,
    Score,
    Stats,
    Statut,
    TaillePlateau,
    Touche,
    TrameFlux,
    Vaisseau,
)

__all__ = [
    "Arrive", "Balle", "Cadence", "Client", "ClientAsync", "ConnexionFermee",
    "CouleurUtilisee", "Cube", "DelaiDepasse", "Detruit", "ErreurConnexion",
    "ErreurJeu", "ErreurSyntaxe", "Evenement", "Evenements", "ModeFlux", "Part",
    "Raison", "ReponseInattendue", "Requete", "Score", "Stats", "Statut",
    "TaillePlateau", "Touche", "TrameFlux", "Vaisseau",
]
