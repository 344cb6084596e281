"""The requests of the play phase and of a spectator, one line each."""

import enum


class Requete(enum.Enum):
    """Each value is the line sent, CR LF included."""

    TAILLE_PLATEAU = b"GET TAILLE PLATEAU\r\n"
    RAYON_VAISSEAU = b"GET RAYON VAISSEAU\r\n"
    RAYON_BALLE = b"GET RAYON BALLE\r\n"
    MAX_PT_VIE = b"GET MAX PT VIE\r\n"
    STATUT = b"GET STATUT\r\n"
    VAISSEAUX = b"GET VAISSEAUX\r\n"
    BALLES = b"GET BALLES\r\n"
    CUBES = b"GET CUBES\r\n"
    STATS = b"GET STATS\r\n"  # spectators only, as the three below
    SCORES = b"GET SCORES\r\n"
    EVENEMENTS = b"GET EVENEMENTS\r\n"
    ACCELERE = b"PUT ACTION ACCELERE\r\n"
    DECELERE = b"PUT ACTION DECELERE\r\n"
    GAUCHE = b"PUT ACTION GAUCHE\r\n"
    DROITE = b"PUT ACTION DROITE\r\n"
    TIRE = b"PUT ACTION TIRE\r\n"

    @property
    def nom(self) -> str:
        """The request as the server's docs write it ("GET VAISSEAUX")."""
        return self.value[:-2].decode()


ACTIONS = frozenset(
    {Requete.ACCELERE, Requete.DECELERE, Requete.GAUCHE, Requete.DROITE, Requete.TIRE}
)
