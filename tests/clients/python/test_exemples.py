"""The examples' robots decide from what they see, and keep to the game's
pace; the pacing runs on a fake clock."""

import math
import os

import pytest

from comportement import decide, ecart_angle, plus_proche, vitesse_apres
from jeu_client import Cube, Requete as R, Vaisseau
from jeu_client.cadence import Cadence


class Horloge:
    def __init__(self):
        self.t = 100.0

    def __call__(self):
        return self.t

    def dort(self, s):
        assert s > 0
        self.t += s


def test_the_pace_is_forty_frames_a_second():
    h = Horloge()
    cadence = Cadence(horloge=h)
    fins = []
    for _ in range(41):
        h.t += 0.001  # the frame's own work
        cadence.attend(h.dort)
        fins.append(h.t)
    assert fins[-1] - fins[0] == pytest.approx(1.0)
    assert all(b - a == pytest.approx(0.025) for a, b in zip(fins, fins[1:]))


def test_a_late_loop_skips_frames_instead_of_rushing():
    h = Horloge()
    cadence = Cadence(horloge=h)
    cadence.attend(h.dort)
    h.t += 1.0  # a frame that took a whole second
    pauses = []
    for _ in range(4):
        cadence.attend(lambda s: (pauses.append(s), h.dort(s)))
    # No burst of 40 frames to catch up: the late frame goes at once, the
    # next ones 25 ms apart.
    assert len(pauses) == 3 and all(p == pytest.approx(0.025) for p in pauses)


@pytest.mark.parametrize("cible,angle,ecart", [
    (0.0, 0.0, 0.0), (math.pi, 0.0, math.pi), (-math.pi, 0.0, math.pi),
    (0.1, 2 * math.pi, 0.1), (0.0, 3 * math.pi / 2, math.pi / 2),
])
def test_ecart_angle(cible, angle, ecart):
    assert ecart_angle(cible, angle) == pytest.approx(ecart)


def test_plus_proche_skips_itself():
    moi = Vaisseau(100, 100, 0.0, 5, 1)
    loin, pres = Vaisseau(500, 100, 0.0, 5, 2), Vaisseau(100, 130, 0.0, 5, 3)
    assert plus_proche(moi, [moi, loin, pres]) is pres
    assert plus_proche(moi, [moi]) is None


def test_a_turret_turns_toward_its_target_and_fires_when_aligned():
    moi = Vaisseau(100, 100, 0.0, 5, 1)
    en_face = Vaisseau(300, 100, 0.0, 5, 2)
    assert decide("tourelle", moi, 0.0, [moi, en_face], []) == [R.TIRE]
    dessous = Vaisseau(100, 300, 0.0, 5, 2)  # at +pi/2: GAUCHE adds to the angle
    actions = decide("tourelle", moi, 0.0, [moi, dessous], [])
    assert actions == [R.GAUCHE] * 4
    # A turret stops first.
    assert decide("tourelle", moi, 0.3, [moi], [])[:3] == [R.DECELERE] * 3


def test_a_chaser_goes_around_a_cube():
    moi = Vaisseau(100, 100, 0.0, 5, 1)
    cible = Vaisseau(400, 100, 0.0, 5, 2)
    libre = decide("chasseur", moi, 2.0, [moi, cible], [])
    assert R.GAUCHE not in libre and R.DROITE not in libre
    mur = [Cube(120, 80, 142, 102), Cube(120, 102, 142, 124)]
    contourne = decide("chasseur", moi, 2.0, [moi, cible], mur)
    assert R.GAUCHE in contourne or R.DROITE in contourne


def test_speed_is_kept_within_its_bounds():
    v = 0.0
    for _ in range(40):
        v = vitesse_apres(v, R.ACCELERE)
    assert v == 3.0
    for _ in range(60):
        v = vitesse_apres(v, R.DECELERE)
    assert v == -2.0


@pytest.mark.parametrize("page", ["README.md", "docs/python.md"])
def test_the_first_bot_shown_is_the_one_shipped(page):
    from conftest import CLIENT, RACINE
    with open(os.path.join(CLIENT, "exemples", "premier_bot.py"), encoding="utf-8") as f:
        bot = f.read()
    with open(os.path.join(RACINE, page), encoding="utf-8") as f:
        texte = f.read()
    bot = bot[bot.index("import math"):]
    assert "```python\n" + bot + "```\n" in texte
