"""The reply parser on replies given as bytes: every reply form, well made
and malformed, whole and one byte at a time."""

import pytest

from jeu_client import (
    ConnexionFermee,
    CouleurUtilisee,
    ErreurSyntaxe,
    ReponseInattendue,
    Requete as R,
)
from jeu_client import analyse
from jeu_client.lecture import Incomplet, Tampon, cite


class Pair:
    """Bytes given to the parsers `morceau` at a time, then the end of the
    stream, as the clients give what they read."""

    def __init__(self, octets: bytes, morceau: int):
        self.octets, self.morceau, self.donne = octets, morceau, 0
        self.tampon = Tampon()

    def lit(self, analyse_fn):
        """analyse_fn(tampon) once the bytes it needs have come."""
        t = self.tampon
        debut = t.pos
        while True:
            try:
                return analyse_fn(t)
            except Incomplet:
                t.pos = debut
                if t.fin_flux:
                    raise t.fin() from None
            if self.donne == len(self.octets):
                t.fin_flux = True
            else:
                t.ajoute(self.octets[self.donne : self.donne + self.morceau])
                self.donne = min(len(self.octets), self.donne + self.morceau)


def lit(octets: bytes, morceau: int, gen_de):
    return Pair(octets, morceau).lit(gen_de)


def texte(v) -> str:
    """A reply as the table writes it."""
    if isinstance(v, list):
        return "".join("(%s)" % " ".join(str(x) for x in vars_de(e)) for e in v)
    return str(v)


def vars_de(e):
    return [getattr(e, f) for f in e.__dataclass_fields__]


STATS = (b"PUT STATS ticks_s=39.9 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 "
         b"vaisseaux=18 balles=40 requetes_s=812")


def stats(de: bytes, en: bytes) -> bytes:
    return STATS.replace(de, en, 1) + b"\r\n"


SCORE = b"16711680 3 1 9 4 0 120 2 4800 3 1\r\n"

# (request, bytes, the reply's text, or (error class, start of its message))
TABLE = [
    (R.TAILLE_PLATEAU, b"PUT TAILLE PLATEAU 990 990\r\n", "TaillePlateau(largeur=990, hauteur=990)"),
    (R.RAYON_VAISSEAU, b"PUT RAYON VAISSEAU 9\r\n", "9"),
    (R.RAYON_BALLE, b"PUT RAYON BALLE 4\r\n", "4"),
    (R.MAX_PT_VIE, b"PUT MAX PT VIE 5\r\n", "5"),
    (R.STATUT, b"PUT STATUT vivant\r\n", "Statut.VIVANT"),
    (R.STATUT, b"PUT STATUT mort\r\n", "Statut.MORT"),
    (R.STATUT, b"PUT STATUT spectateur\r\n", "Statut.SPECTATEUR"),
    (R.TIRE, b"OK\r\n", "None"),
    (R.VAISSEAUX, b"PUT VAISSEAUX 0\r\n", ""),
    (R.VAISSEAUX,
     b"PUT VAISSEAUX 4\r\n512 301 1.57 5 16711680\r\n87 640 4.71238898038 3 255\r\n0 0 0. 1 -5\r\n"
     b"-3 1000 1e-05 5 9223372036854775807\r\n",
     "(512 301 1.57 5 16711680)(87 640 4.71238898038 3 255)(0 0 0.0 1 -5)"
     "(-3 1000 1e-05 5 9223372036854775807)"),
    (R.BALLES, b"PUT BALLES 2\r\n524 313 16711680\r\n-1 990 0\r\n", "(524 313 16711680)(-1 990 0)"),
    (R.BALLES, b"PUT BALLES 1\r\n1 2 -9223372036854775808\r\n", "(1 2 -9223372036854775808)"),
    (R.CUBES, b"PUT CUBES 1\r\n352 88 374 110\r\n", "(352 88 374 110)"),
    (R.SCORES, b"PUT SCORES 2\r\n" + SCORE + b"255 1 3 4 9 1 80 4 2000 1 0\r\n",
     "(16711680 3 1 9 4 0 120 2 4800 3 True)(255 1 3 4 9 1 80 4 2000 1 False)"),
    (R.SCORES, b"PUT SCORES 0\r\n", ""),
    (R.EVENEMENTS,
     b"PUT EVENEMENTS 4 7\r\n1200 TOUCHE 16711680 255 0\r\n1200 DETRUIT 16711680 255\r\n"
     b"1200 PART 255 detruit\r\n1201 ARRIVE -3\r\n",
     "Evenements(liste=[Touche(tick=1200, tireur=16711680, cible=255, vie_restante=0), "
     "Detruit(tick=1200, tireur=16711680, cible=255), "
     "Part(tick=1200, couleur=255, raison=<Raison.DETRUIT: 'detruit'>), "
     "Arrive(tick=1201, couleur=-3)], manques=7)"),
    (R.EVENEMENTS, b"PUT EVENEMENTS 0 0\r\n", "Evenements(liste=[], manques=0)"),
    (R.STATS, STATS + b"\r\n",
     "Stats(ticks_s=39.9, tick_us=85, tick_p99_us=140, joueurs=20, spectateurs=1, vaisseaux=18, "
     "balles=40, requetes_s=812, champs={'ticks_s': '39.9', 'tick_us': '85', "
     "'tick_p99_us': '140', 'joueurs': '20', 'spectateurs': '1', 'vaisseaux': '18', "
     "'balles': '40', 'requetes_s': '812'})"),
    (R.STATS, stats(b"ticks_s", b"v=2 ticks_s"), "requetes_s=812, champs={'v': '2', 'ticks_s'"),
    # Refusals and malformed replies.
    (R.TIRE, b"ERREUR SYNTAXE\r\n", (ErreurSyntaxe, "PUT ACTION TIRE refusee : ERREUR SYNTAXE")),
    (R.SCORES, b"ERREUR SYNTAXE\r\n", (ErreurSyntaxe, "GET SCORES refusee")),
    (R.TIRE, b"OK\n", (ReponseInattendue, r'reponse inattendue a PUT ACTION TIRE : "OK\n"')),
    (R.TIRE, b"OK\r\r\n", (ReponseInattendue, "")),
    (R.TIRE, b"BONJOUR\x01\xff\r\n",
     (ReponseInattendue, r'reponse inattendue a PUT ACTION TIRE : "BONJOUR\x01\xff\r\n"')),
    (R.STATUT, b"ERREUR COULEUR UTILISEE\r\n", (ReponseInattendue, "")),
    (R.STATUT, b"PUT STATUT zombie\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT BALLES 0\r\n", (ReponseInattendue, "")),
    (R.RAYON_VAISSEAU, b"PUT RAYON BALLE 4\r\n", (ReponseInattendue, "")),
    (R.RAYON_VAISSEAU, b"PUT RAYON VAISSEAU -9\r\n", (ReponseInattendue, "")),
    (R.RAYON_VAISSEAU, b"PUT RAYON VAISSEAU +9\r\n", (ReponseInattendue, "")),
    (R.RAYON_VAISSEAU, b"PUT RAYON VAISSEAU 99999999999\r\n", (ReponseInattendue, "")),
    (R.TAILLE_PLATEAU, b"PUT TAILLE PLATEAU 990\r\n", (ReponseInattendue, "")),
    (R.TAILLE_PLATEAU, b"PUT TAILLE PLATEAU 990  990\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX -1\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1000001\r\n",
     (ReponseInattendue, "reponse inattendue a GET VAISSEAUX : plus de 1000000")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n1 2 0. 5\r\n",
     (ReponseInattendue, r'reponse inattendue a GET VAISSEAUX (ligne 2 sur 2) : "1 2 0. 5\r\n"')),
    (R.VAISSEAUX, b"PUT VAISSEAUX 2\r\n1 2 0. 5 7 8\r\n1 2 0. 5\r\n",
     (ReponseInattendue, "reponse inattendue a GET VAISSEAUX (ligne 1 sur 2)")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 3 5 7\r\n", (ReponseInattendue, "")),  # no "." nor "e"
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 inf 5 7\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 1e999 5 7\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 .5 5 7\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1.5 2 0. 5 7\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n+1 2 0. 5 7\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1_0 2 0. 5 7\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1\t2 0. 5 7\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 0. -1 7\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 0. 5 9223372036854775808\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 0. 5 -9223372036854775809\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 0. 5 " + b"7" * 30 + b"\r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n1 2 0. 5 7 \r\n", (ReponseInattendue, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n 1 2 0. 5 7\r\n", (ReponseInattendue, "")),
    (R.BALLES, b"PUT BALLES 1\r\n1 2\r\n", (ReponseInattendue, "")),
    (R.BALLES, b"PUT BALLES 2\r\n1 2 3 4\r\n5 6\r\n",
     (ReponseInattendue, "reponse inattendue a GET BALLES (ligne 1 sur 2)")),
    (R.CUBES, b"PUT CUBES 1\r\n1 2 3 x\r\n", (ReponseInattendue, "")),
    (R.CUBES, b"PUT CUBES 2\r\n1 2 3 4\r\nERREUR SYNTAXE\r\n",
     (ReponseInattendue, 'reponse inattendue a GET CUBES (ligne 2 sur 2) : "ERREUR SYNTAXE\\r\\n"')),
    (R.SCORES, b"PUT SCORES 1\r\n16711680 3 1 9 4 0 120 2 4800 3 2\r\n", (ReponseInattendue, "")),
    (R.SCORES, b"PUT SCORES 1\r\n16711680 3 -1 9 4 0 120 2 4800 3 1\r\n", (ReponseInattendue, "")),
    (R.SCORES, b"PUT SCORES 1\r\n16711680 3 1 9 4 0 120 2 4800 1\r\n", (ReponseInattendue, "")),
    (R.EVENEMENTS, b"PUT EVENEMENTS 1\r\n1 ARRIVE 5\r\n", (ReponseInattendue, "")),
    (R.EVENEMENTS, b"PUT EVENEMENTS 1 0\r\n1 PART 5 parti\r\n",
     (ReponseInattendue, "reponse inattendue a GET EVENEMENTS (ligne 1 sur 1)")),
    (R.EVENEMENTS, b"PUT EVENEMENTS 1 0\r\n1 TOUCHE 5 6\r\n", (ReponseInattendue, "")),
    (R.EVENEMENTS, b"PUT EVENEMENTS 1 0\r\n1 EXPLOSE 5\r\n", (ReponseInattendue, "")),
    (R.EVENEMENTS, b"PUT EVENEMENTS 1 0\r\n-1 ARRIVE 5\r\n", (ReponseInattendue, "")),
    (R.STATS, b"PUT STATS\r\n", (ReponseInattendue, "")),
    (R.STATS, stats(b" balles=40", b""),
     (ReponseInattendue, "reponse inattendue a GET STATS (champ balles absent)")),
    (R.STATS, stats(b"balles=40", b"balles=4 balles=40"),
     (ReponseInattendue, "reponse inattendue a GET STATS (champ balles repete)")),
    (R.STATS, stats(b"812", b"812 "), (ReponseInattendue, "")),
    (R.STATS, stats(b"812", b"812 x"), (ReponseInattendue, "")),
    (R.STATS, stats(b"812", b"812 =1"), (ReponseInattendue, "")),
    (R.STATS, stats(b"39.9", b"4e1"), (ReponseInattendue, "")),
    (R.STATS, stats(b"=85", b"=8.5"), (ReponseInattendue, "")),
    (R.STATS, stats(b"=20", b"=-20"), (ReponseInattendue, "")),
    # The end of the stream, and lines longer than the server's.
    (R.STATUT, b"", (ConnexionFermee, "connexion fermee par le serveur")),
    (R.STATUT, b"PUT STAT",
     (ConnexionFermee, 'connexion fermee par le serveur au milieu de la ligne "PUT STAT"')),
    (R.VAISSEAUX, b"PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n", (ConnexionFermee, "")),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n" + b"7" * 5000 + b"\r\n",
     (ReponseInattendue, 'ligne de plus de 4096 octets : "7777')),
    (R.VAISSEAUX, b"PUT VAISSEAUX 1\r\n" + b"7" * 5000,
     (ReponseInattendue, 'ligne de plus de 4096 octets : "7777')),
]


@pytest.mark.parametrize("r,octets,attendu", TABLE, ids=[cite(c[1])[:40] for c in TABLE])
@pytest.mark.parametrize("morceau", [None, 1], ids=["whole", "byte-by-byte"])
def test_every_form(r, octets, attendu, morceau):
    erreur = isinstance(attendu, tuple)
    # After a reply that parses, the next line must be the one after it.
    octets = octets + (b"" if erreur else b"SUITE\r\n")
    morceau = morceau or len(octets) + 1
    if erreur:
        classe, debut = attendu
        with pytest.raises(classe) as e:
            lit(octets, morceau, lambda t: analyse.reponse(t, r))
        assert str(e.value).startswith(debut)
    else:
        pair = Pair(octets, morceau)
        valeur = pair.lit(lambda t: analyse.reponse(t, r))
        if r is R.STATS:
            assert attendu in texte(valeur)
        else:
            assert texte(valeur) == attendu
        assert pair.lit(Tampon.ligne) == b"SUITE\r\n"


def test_malformed_reply_keeps_its_bytes():
    with pytest.raises(ReponseInattendue) as e:
        lit(b"BONJOUR\r\n", 100, lambda t: analyse.reponse(t, R.STATUT))
    assert e.value.ligne == b"BONJOUR\r\n"


@pytest.mark.parametrize("sorte,octets,attendu", [
    (analyse.ENREGISTREMENT, b"VAISSEAU ENREGISTRE\r\n", None),
    (analyse.ENREGISTREMENT, b"ERREUR COULEUR UTILISEE\r\n", CouleurUtilisee),
    (analyse.ENREGISTREMENT, b"ERREUR SYNTAXE\r\n", ErreurSyntaxe),
    (analyse.ENREGISTREMENT, b"OK\r\n", ReponseInattendue),
    (analyse.SPECTATEUR, b"SPECTATEUR ENREGISTRE\r\n", None),
    (analyse.SPECTATEUR, b"ERREUR SYNTAXE\r\n", ErreurSyntaxe),
    (analyse.SPECTATEUR, b"ERREUR COULEUR UTILISEE\r\n", ReponseInattendue),
    (analyse.DEPART, b"OK\r\n", None),
    (analyse.DEPART, b"", ConnexionFermee),
    (analyse.FLUX, b"PUT FLUX\r\n", None),
    (analyse.FLUX, b"ERREUR SYNTAXE\r\n", ErreurSyntaxe),
])
def test_agreements(sorte, octets, attendu):
    if attendu is None:
        assert lit(octets, 100, lambda t: analyse.accord(t, sorte)) is None
    else:
        with pytest.raises(attendu):
            lit(octets, 100, lambda t: analyse.accord(t, sorte))


def test_refusal_inside_a_frame_reads_the_rest():
    pair = Pair(b"OK\r\nERREUR SYNTAXE\r\nPUT BALLES 1\r\n1 2 3\r\nSUITE\r\n", 1)
    with pytest.raises(ErreurSyntaxe, match="GET STATS refusee"):
        pair.lit(lambda t: analyse.reponses(t, [R.GAUCHE, R.STATS, R.BALLES]))
    assert pair.lit(Tampon.ligne) == b"SUITE\r\n"


# A whole frame of replies (ships, bullets, an action) is matched at once
# when it is well made; anything else must fail as reply by reply reading does.
TRAME = [R.VAISSEAUX, R.BALLES, R.GAUCHE]
TRAMES = [
    (b"PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n-3 4 1e-05 1 -9\r\nPUT BALLES 1\r\n5 6 7\r\nOK\r\n",
     "[(1 2 0.0 5 7)(-3 4 1e-05 1 -9), (5 6 7), None]"),
    (b"PUT VAISSEAUX 0\r\nPUT BALLES 0\r\nOK\r\n", "[, , None]"),
    (b"PUT VAISSEAUX 1\r\n1 2 0. 5 9223372036854775807\r\nPUT BALLES 0\r\nOK\r\n",
     "[(1 2 0.0 5 9223372036854775807), , None]"),
    (b"PUT VAISSEAUX 1\r\n1 2 0. 5 7\r\n1 2 0. 5 7\r\nPUT BALLES 0\r\nOK\r\n",
     (ReponseInattendue, 'reponse inattendue a GET BALLES : "1 2 0. 5 7\\r\\n"')),
    (b"PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\nPUT BALLES 0\r\nOK\r\n",
     (ReponseInattendue, 'reponse inattendue a GET VAISSEAUX (ligne 2 sur 2) : "PUT BALLES 0')),
    (b"PUT VAISSEAUX 1\r\n1 2 .5 5 7\r\nPUT BALLES 0\r\nOK\r\n",
     (ReponseInattendue, 'reponse inattendue a GET VAISSEAUX (ligne 1 sur 1) : "1 2 .5 5 7')),
    (b"PUT VAISSEAUX 1\r\n+1 2 0. 5 7\r\nPUT BALLES 0\r\nOK\r\n",
     (ReponseInattendue, 'reponse inattendue a GET VAISSEAUX (ligne 1 sur 1) : "+1 2 0. 5 7')),
    (b"PUT VAISSEAUX 1\r\n1 2 0. 5 9223372036854775808\r\nPUT BALLES 0\r\nOK\r\n",
     (ReponseInattendue, "reponse inattendue a GET VAISSEAUX (ligne 1 sur 1)")),
    (b"PUT VAISSEAUX 0\r\nPUT BALLES 1\r\n5 6\r\nOK\r\n",
     (ReponseInattendue, 'reponse inattendue a GET BALLES (ligne 1 sur 1) : "5 6\\r\\n"')),
    (b"PUT VAISSEAUX 0\r\nPUT BALLES 0\r\nOK\n",
     (ReponseInattendue, 'reponse inattendue a PUT ACTION GAUCHE : "OK\\n"')),
    (b"PUT VAISSEAUX 0\r\nERREUR SYNTAXE\r\nOK\r\n", (ErreurSyntaxe, "GET BALLES refusee")),
    (b"PUT VAISSEAUX 0\r\nPUT BALLES 0\r\n", (ConnexionFermee, "connexion fermee par le serveur")),
]


@pytest.mark.parametrize("octets,attendu", TRAMES, ids=[cite(c[0])[:50] for c in TRAMES])
@pytest.mark.parametrize("morceau", [None, 1], ids=["whole", "byte-by-byte"])
def test_frame_of_replies(octets, attendu, morceau):
    erreur = isinstance(attendu, tuple)
    octets = octets + (b"" if erreur else b"SUITE\r\n")
    pair = Pair(octets, morceau or len(octets) + 1)
    if erreur:
        classe, debut = attendu
        with pytest.raises(classe) as e:
            pair.lit(lambda t: analyse.reponses(t, TRAME))
        assert str(e.value).startswith(debut)
    else:
        valeurs = pair.lit(lambda t: analyse.reponses(t, TRAME))
        assert "[%s]" % ", ".join(texte(v) for v in valeurs) == attendu
        assert pair.lit(Tampon.ligne) == b"SUITE\r\n"


def test_frame_of_replies_is_matched_at_once():
    """The well made frame above is read by the one pattern, not line by line."""
    plan = analyse.plan_trame(TRAME)
    t = Tampon()
    t.ajoute(TRAMES[0][0])
    assert plan.motif.fullmatch(t.octets) is not None
    assert analyse.plan_trame(list(TRAME)) is plan
    # An iterator of requests makes the same frame as their list.
    par_iterateur = analyse.plan_trame(iter([R.CUBES, R.TIRE]))
    assert par_iterateur.octets == b"GET CUBES\r\nPUT ACTION TIRE\r\n"
    assert analyse.plan_trame([R.CUBES, R.TIRE]) is par_iterateur
    assert plan.octets == b"GET VAISSEAUX\r\nGET BALLES\r\nPUT ACTION GAUCHE\r\n"


def frame(*lignes: bytes) -> bytes:
    return b"".join(l + b"\r\n" for l in lignes)


FLUX = [
    (frame(b"TICK 7 0", b"PUT VAISSEAUX 1", b"1 2 0. 5 7", b"PUT BALLES 0", b"FIN TICK 7"),
     "TrameFlux(tick=7, ticks_perdus=0, vaisseaux=[Vaisseau(x=1, y=2, angle=0.0, pt_vie=5, "
     "couleur=7)], balles=[], evenements=None, autres_blocs=[])"),
    # Unknown blocks are skipped, with or without fields; events are read.
    (frame(b"TICK 9 3", b"PUT BALLES 1", b"1 2 3", b"PUT NOUVEAU 2 x y", b"a", b"b",
           b"PUT VAISSEAUX 0", b"PUT EVENEMENTS 1 2", b"9 ARRIVE 4", b"PUT VIDE 0",
           b"FIN TICK 9"),
     "TrameFlux(tick=9, ticks_perdus=3, vaisseaux=[], balles=[Balle(x=1, y=2, couleur=3)], "
     "evenements=Evenements(liste=[Arrive(tick=9, couleur=4)], manques=2), "
     "autres_blocs=['NOUVEAU', 'VIDE'])"),
    (frame(b"TICK 7 0", b"PUT VAISSEAUX 0", b"PUT BALLES 0", b"FIN TICK 8"),
     (ReponseInattendue, 'reponse inattendue a GET FLUX (tick 7) : "FIN TICK 8\\r\\n"')),
    (frame(b"TICK 7 0", b"PUT VAISSEAUX 0", b"FIN TICK 7"),
     (ReponseInattendue, "reponse inattendue a GET FLUX (tick 7 sans VAISSEAUX ou BALLES)")),
    (frame(b"TICK 7 0", b"PUT VAISSEAUX 0", b"PUT VAISSEAUX 0", b"PUT BALLES 0", b"FIN TICK 7"),
     (ReponseInattendue, "reponse inattendue a GET FLUX (bloc VAISSEAUX repete)")),
    (frame(b"TICK 7 0", b"PUT VAISSEAUX 1 x", b"1 2 0. 5 7", b"PUT BALLES 0", b"FIN TICK 7"),
     (ReponseInattendue, "")),
    (frame(b"TICK 7 0", b"PUT VAISSEAUX 1", b"1 2 0. 5", b"PUT BALLES 0", b"FIN TICK 7"),
     (ReponseInattendue, "reponse inattendue a GET FLUX (GET VAISSEAUX) (ligne 1 sur 1)")),
    (frame(b"TICK 7", b"PUT VAISSEAUX 0", b"PUT BALLES 0", b"FIN TICK 7"), (ReponseInattendue, "")),
    (frame(b"TICK 7 0", b"put vaisseaux 0"), (ReponseInattendue, "")),
    (frame(b"TICK 7 0", b"PUT AUTRE 1000001"), (ReponseInattendue, "")),
    (frame(b"TICK 7 0", b"PUT VAISSEAUX 0", b"PUT BALLES 0"), (ConnexionFermee, "")),
]


@pytest.mark.parametrize("octets,attendu", FLUX, ids=[cite(c[0])[:50] for c in FLUX])
@pytest.mark.parametrize("morceau", [None, 1], ids=["whole", "byte-by-byte"])
def test_stream_frames(octets, attendu, morceau):
    morceau = morceau or len(octets) + 1
    if isinstance(attendu, tuple):
        classe, debut = attendu
        with pytest.raises(classe) as e:
            lit(octets, morceau, analyse.trame_flux)
        assert str(e.value).startswith(debut)
    else:
        assert str(lit(octets, morceau, analyse.trame_flux)) == attendu


def test_endless_line_is_refused_early():
    """A peer sending bytes without end and no LF is refused after one line's
    worth, not read until memory runs out."""
    t = Tampon()
    lectures = 0
    with pytest.raises(ReponseInattendue, match="ligne de plus de 4096 octets"):
        while True:
            t.ajoute(b"x" * 1000)
            lectures += 1
    assert lectures == 4  # the fifth read brought it to 5000 bytes


def test_cite():
    assert cite(b'a"\\\r\n\x00\xe9') == r'"a\"\\\r\n\x00\xe9"'
    assert cite(b"x" * 81) == '"' + "x" * 80 + '"...'
