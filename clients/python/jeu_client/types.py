"""What the replies hold. Coordinates are the integers the server sends.
Drawn like a screen (origin at the top left, y growing downward), GAUCHE
(angle + 0.15) turns a ship clockwise."""

import enum
from dataclasses import dataclass, field


@dataclass(slots=True)
class Vaisseau:
    x: int
    y: int
    angle: float  # radians, never reduced to a range
    pt_vie: int
    couleur: int  # signed 64-bit, 0xRRGGBB by convention


@dataclass(slots=True)
class Balle:
    x: int
    y: int
    couleur: int  # the shooter's


@dataclass(slots=True)
class Cube:
    x1: int
    y1: int
    x2: int
    y2: int


@dataclass(slots=True)
class TaillePlateau:
    largeur: int
    hauteur: int


class Statut(enum.Enum):
    VIVANT = "vivant"
    MORT = "mort"
    SPECTATEUR = "spectateur"


@dataclass(slots=True)
class Stats:
    """The "GET STATS" reply (spectators). Every field as sent, unknown ones
    included, is also in `champs`, in order."""

    ticks_s: float  # ticks per second over the last second
    tick_us: int  # the last tick's duration
    tick_p99_us: int  # 99th percentile of the last 1,000 ticks
    joueurs: int  # player connections
    spectateurs: int  # spectator connections, this one included
    vaisseaux: int  # ships in the arena
    balles: int  # bullets in flight
    requetes_s: int  # request lines per second, all connections
    champs: dict[str, str] = field(default_factory=dict)


@dataclass(slots=True)
class Score:
    """One colour's line of "GET SCORES"."""

    couleur: int
    tues: int  # ships of other colours this colour's bullets destroyed
    morts: int  # this colour's ships destroyed by bullets (its own included)
    touches_donnees: int  # hits on ships of other colours
    touches_recues: int  # hits by bullets of other colours
    touches_soi: int  # hits on this colour's ships by its own bullets
    tirs: int  # bullets fired
    vies: int  # ships registered with this colour
    ticks_vivant: int  # ticks its ships spent in the arena (40 a second)
    meilleure_serie: int  # most kills in one life
    vivant: bool  # a ship of this colour is in the arena now

    @property
    def precision(self) -> float:
        """touches_donnees / tirs, 0 before the first shot."""
        return self.touches_donnees / self.tirs if self.tirs else 0.0


@dataclass(slots=True)
class Touche:
    tick: int
    tireur: int
    cible: int
    vie_restante: int  # 0 when it was the last life point


@dataclass(slots=True)
class Detruit:
    tick: int
    tireur: int
    cible: int


@dataclass(slots=True)
class Arrive:
    tick: int
    couleur: int


class Raison(enum.Enum):
    QUITTE = "quitte"  # PUT ACTION QUITTE
    DECONNECTE = "deconnecte"  # its connection ended
    DETRUIT = "detruit"


@dataclass(slots=True)
class Part:
    tick: int
    couleur: int
    raison: Raison


Evenement = Touche | Detruit | Arrive | Part


@dataclass(slots=True)
class Evenements:
    """The "GET EVENEMENTS" reply: the events since the previous call, oldest
    first, and how many were lost from the server's ring before being read."""

    liste: list[Evenement]
    manques: int


@dataclass(slots=True)
class TrameFlux:
    """One tick of "GET FLUX". `ticks_perdus`: ticks this stream was not sent
    since its previous frame. `evenements` is None when the server sends no
    events block. Blocks this package does not know are skipped; their names
    are in `autres_blocs`."""

    tick: int
    ticks_perdus: int
    vaisseaux: list[Vaisseau]
    balles: list[Balle]
    evenements: Evenements | None = None
    autres_blocs: list[str] = field(default_factory=list)
