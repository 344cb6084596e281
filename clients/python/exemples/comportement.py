"""What a robot does each frame, from what it sees: the turret and the
chaser of jeu-bots, as pure functions of the world the server sent."""

import math

from jeu_client import Requete

# The game's constants (docs/protocole.md).
PAS_ROTATION = 0.15
PAS_VITESSE = 0.1
VITESSE_MAX, VITESSE_MIN = 3.0, -2.0
RAYON_VAISSEAU = 9.0
COTE_PLATEAU = 990.0

TOURS_MAX = 4  # turns sent in one frame at most: 0.6 rad
PORTEE = {"tourelle": 700.0, "chasseur": 350.0}


def ecart_angle(cible: float, angle: float) -> float:
    """The angle to add to `angle` to face `cible`, in (-pi, pi]."""
    e = math.remainder(cible - angle, 2 * math.pi)
    return e + 2 * math.pi if e <= -math.pi else e


def plus_proche(moi, vaisseaux):
    """The nearest ship of another colour, or None."""
    autres = [v for v in vaisseaux if v.couleur != moi.couleur]
    return min(autres, key=lambda v: math.hypot(v.x - moi.x, v.y - moi.y), default=None)


def bloque(x: float, y: float, cubes, marge: float) -> bool:
    """Whether a ship centred at (x, y) would touch a cube or leave the arena."""
    r = RAYON_VAISSEAU + marge
    if x - r < 0 or y - r < 0 or x + r >= COTE_PLATEAU or y + r >= COTE_PLATEAU:
        return True
    for c in cubes:
        dx = max(c.x1 - x, 0.0, x - c.x2)
        dy = max(c.y1 - y, 0.0, y - c.y2)
        if dx * dx + dy * dy < r * r:
            return True
    return False


def vitesse_apres(vitesse: float, a: Requete) -> float:
    """The speed after `a`: the server never sends it, a bot keeps count."""
    if a is Requete.ACCELERE:
        return min(vitesse + PAS_VITESSE, VITESSE_MAX)
    if a is Requete.DECELERE:
        return max(vitesse - PAS_VITESSE, VITESSE_MIN)
    return vitesse


def _tours_vers(ecart: float) -> int:
    return max(-TOURS_MAX, min(TOURS_MAX, round(ecart / PAS_ROTATION)))


def _tourne(actions, tours: int):
    actions += [Requete.GAUCHE if tours > 0 else Requete.DROITE] * abs(tours)


def _tire_si_aligne(actions, ecart: float, tours: int, d: float, portee: float):
    """Fires when, after the turns, the shot passes within a ship's radius of
    the target's centre."""
    reste = abs(ecart - tours * PAS_ROTATION)
    if d <= portee and reste < math.pi / 2 and d * math.sin(reste) < RAYON_VAISSEAU:
        actions.append(Requete.TIRE)


def _voie_libre(moi, angle: float, longueur: float, cubes) -> bool:
    l = 4.0
    while l <= longueur:
        if bloque(moi.x + l * math.cos(angle), moi.y + l * math.sin(angle), cubes, 2.0):
            return False
        l += 4.0
    return True


def _vise_vitesse(actions, vitesse: float, voulue: float):
    for _ in range(5):
        if abs(voulue - vitesse) <= PAS_VITESSE / 2:
            break
        a = Requete.ACCELERE if voulue > vitesse else Requete.DECELERE
        actions.append(a)
        vitesse = vitesse_apres(vitesse, a)


def decide(sorte: str, moi, vitesse: float, vaisseaux, cubes) -> list:
    """This frame's actions for the ship `moi` ("tourelle" or "chasseur")
    going at `vitesse`. At most one shot a frame."""
    actions = []
    cible = plus_proche(moi, vaisseaux)
    if sorte == "tourelle":
        _vise_vitesse(actions, vitesse, 0.0)
        if cible is None:
            return actions
        ecart = ecart_angle(math.atan2(cible.y - moi.y, cible.x - moi.x), moi.angle)
        tours = _tours_vers(ecart)
        _tourne(actions, tours)
        d = math.hypot(cible.x - moi.x, cible.y - moi.y)
        _tire_si_aligne(actions, ecart, tours, d, PORTEE["tourelle"])
        return actions

    # Chasseur: toward the target, or straight on without one; around a cube
    # by the side nearest that direction.
    voulu = math.atan2(cible.y - moi.y, cible.x - moi.x) if cible else moi.angle
    ecart = ecart_angle(voulu, moi.angle)
    regard = 20.0 + 8.0 * max(vitesse, 1.0)
    libre = _voie_libre(moi, moi.angle + ecart, regard, cubes)
    if not libre:
        cote = 1.0 if ecart >= 0 else -1.0
        for detour in (0.45, 0.9, 1.35, 1.8, 2.4):
            if _voie_libre(moi, moi.angle + ecart + cote * detour, regard, cubes):
                ecart += cote * detour
                libre = True
                break
            if _voie_libre(moi, moi.angle + ecart - cote * detour, regard, cubes):
                ecart -= cote * detour
                libre = True
                break
    tours = _tours_vers(ecart)
    _tourne(actions, tours)
    d = math.hypot(cible.x - moi.x, cible.y - moi.y) if cible else 1e9
    voulue = 2.0 if d > 150 else 1.0 if d > 60 else 0.0
    if not libre or abs(ecart) > 1.2:
        voulue = min(voulue, 0.5)
    _vise_vitesse(actions, vitesse, voulue)
    if cible:
        _tire_si_aligne(actions, ecart_angle(voulu, moi.angle), tours, d, PORTEE["chasseur"])
    return actions


def moi_dans(vaisseaux, couleur: int):
    """Our ship in the list, or None once it is destroyed."""
    return next((v for v in vaisseaux if v.couleur == couleur), None)
