"""Strict parsing of the server's replies, over a Tampon (see lecture.py):
anything but the exact forms the server writes raises ReponseInattendue
quoting the line; "ERREUR SYNTAXE" raises ErreurSyntaxe; bytes still to come
raise Incomplet."""

import math
import re

from .erreurs import CouleurUtilisee, ErreurSyntaxe, ReponseInattendue
from .lecture import MAX_ELEMENTS, Incomplet, cite
from .requetes import ACTIONS, Requete
from .types import (
    Arrive,
    Balle,
    Cube,
    Detruit,
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

INT64_MIN, INT64_MAX = -(2**63), 2**63 - 1
INT32_MAX = 2**31 - 1

_ENTIER = rb"-?[0-9]+"
_NATUREL = rb"[0-9]+"
# "%.12g" with a "." added to what would look like an integer: "0.", "1e-05".
_ANGLE = rb"-?[0-9]+(?:\.[0-9]*(?:e[-+]?[0-9]+)?|e[-+]?[0-9]+)"
# No number the server writes is longer (int64: 19 digits and a sign).
_CHIFFRES_MAX = 20
_TICKS_S = re.compile(rb"[0-9]+(?:\.[0-9]*)?")


def inattendue(demande: str, ligne: bytes) -> ReponseInattendue:
    return ReponseInattendue("reponse inattendue a %s : %s" % (demande, cite(ligne)), ligne)


def _corps(ligne: bytes):
    """The line without its CR LF, or None when it does not end in CR LF."""
    return ligne[:-2] if ligne.endswith(b"\r\n") else None


def _naturel(texte: bytes, maximum: int = INT32_MAX):
    # bytes.isdigit knows only the ASCII digits.
    if not (texte.isdigit() and len(texte) <= 19):
        return None
    n = int(texte)
    return n if n <= maximum else None


def _dans_int64(*colonnes) -> bool:
    for c in colonnes:
        if c and (min(c) < INT64_MIN or max(c) > INT64_MAX):
            return False
    return True


def _longueurs(t) -> int:
    """0: every number short; 1: some may be out of int64; 2: too long."""
    m = max(map(len, t))
    return 0 if m < 19 else 1 if m <= _CHIFFRES_MAX else 2


# A list's items: the pattern of one line (CR LF included) and a builder
# that makes the items of a block of such lines, or None when a number is
# out of its type's range or longer than any the server writes. Only a block
# with a 19-digit number needs its ranges checked.
def _vaisseaux(bloc: bytes):
    t = bloc.split()
    longueurs = _longueurs(t)
    if longueurs == 2:
        return None
    angles = list(map(float, t[2::5]))
    if math.inf in angles or -math.inf in angles:
        return None
    if longueurs:
        if not _dans_int64(list(map(int, t[0::5])), list(map(int, t[1::5])),
                           list(map(int, t[4::5]))):
            return None
    vies = list(map(int, t[3::5]))
    if max(vies) > INT32_MAX:
        return None
    return list(map(Vaisseau, map(int, t[0::5]), map(int, t[1::5]), angles, vies,
                    map(int, t[4::5])))


def _entiers(bloc: bytes):
    """The numbers of a block of integers, or None for one out of int64."""
    t = bloc.split()
    longueurs = _longueurs(t)
    if longueurs == 2:
        return None
    t = list(map(int, t))
    return t if not longueurs or _dans_int64(t) else None


def _balles(bloc: bytes):
    t = _entiers(bloc)
    if t is None:
        return None
    return list(map(Balle, t[0::3], t[1::3], t[2::3]))


def _cubes(bloc: bytes):
    t = _entiers(bloc)
    if t is None:
        return None
    return list(map(Cube, t[0::4], t[1::4], t[2::4], t[3::4]))


def _scores(bloc: bytes):
    t = _entiers(bloc)
    if t is None:
        return None
    colonnes = [t[i::11] for i in range(11)]
    colonnes[10] = [v == 1 for v in colonnes[10]]
    return list(map(Score, *colonnes))


# The same for blocks whose numbers are all short (the server's, in
# practice): 18 digits fit int64, 9 a life, a 2-digit exponent a float, so
# nothing needs checking once the block matched.
def _vaisseaux_courts(bloc: bytes):
    t = bloc.split()
    return list(map(Vaisseau, map(int, t[0::5]), map(int, t[1::5]), map(float, t[2::5]),
                    map(int, t[3::5]), map(int, t[4::5])))


def _balles_courtes(bloc: bytes):
    t = list(map(int, bloc.split()))
    return list(map(Balle, t[0::3], t[1::3], t[2::3]))


def _cubes_courts(bloc: bytes):
    t = list(map(int, bloc.split()))
    return list(map(Cube, t[0::4], t[1::4], t[2::4], t[3::4]))


def _scores_courts(bloc: bytes):
    t = list(map(int, bloc.split()))
    colonnes = [t[i::11] for i in range(11)]
    colonnes[10] = [v == 1 for v in colonnes[10]]
    return list(map(Score, *colonnes))


# Possessive ("{1,18}+"): a run of digits is always followed by a byte that
# is not one, so giving digits back never helps a match, and the matcher then
# keeps no state to do it.
_COURT = rb"-?[0-9]{1,18}+"
_COURT_NATUREL = rb"[0-9]{1,18}+"
_COURT_ANGLE = rb"-?[0-9]{1,18}+(?:\.[0-9]{0,18}+(?:e[-+]?[0-9]{1,2}+)?|e[-+]?[0-9]{1,2}+)"


class _Liste:
    __slots__ = ("mot", "ligne", "bloc", "construit", "ligne_courte", "bloc_court",
                 "construit_court")

    def __init__(self, mot: bytes, ligne: bytes, construit, court: bytes, construit_court):
        self.mot = mot  # "PUT VAISSEAUX "
        self.ligne = re.compile(ligne + rb"\r\n")
        self.bloc = re.compile(b"(?:" + ligne + rb"\r\n)*")  # as many as match
        self.construit = construit
        self.ligne_courte = court
        self.bloc_court = re.compile(b"(?:" + court + rb"\r\n)*+")
        self.construit_court = construit_court


# Keyed by the request's line: an Enum member hashes in Python code.
_LISTES = {
    Requete.VAISSEAUX.value: _Liste(
        b"PUT VAISSEAUX ",
        b" ".join([_ENTIER, _ENTIER, _ANGLE, _NATUREL, _ENTIER]),
        _vaisseaux,
        b" ".join([_COURT, _COURT, _COURT_ANGLE, rb"[0-9]{1,9}+", _COURT]),
        _vaisseaux_courts,
    ),
    Requete.BALLES.value: _Liste(b"PUT BALLES ", b" ".join([_ENTIER] * 3), _balles,
                                 b" ".join([_COURT] * 3), _balles_courtes),
    Requete.CUBES.value: _Liste(b"PUT CUBES ", b" ".join([_ENTIER] * 4), _cubes,
                                b" ".join([_COURT] * 4), _cubes_courts),
    Requete.SCORES.value: _Liste(
        b"PUT SCORES ", b" ".join([_ENTIER] + [_NATUREL] * 9 + [b"[01]"]), _scores,
        b" ".join([_COURT] + [_COURT_NATUREL] * 9 + [b"[01]"]), _scores_courts,
    ),
}


def _compte(demande, texte: bytes, ligne: bytes) -> int:
    n = _naturel(texte, MAX_ELEMENTS)
    if n is None:
        demande = _nom(demande)
        if _naturel(texte, 2**64) is None:
            raise inattendue(demande, ligne)
        raise ReponseInattendue(
            "reponse inattendue a %s : plus de %d elements annonces dans %s"
            % (demande, MAX_ELEMENTS, cite(ligne)),
            ligne,
        )
    return n


def _nom(demande) -> str:
    """A request's name for a message; names are made only when one fails."""
    return demande.nom if isinstance(demande, Requete) else demande


def _elements(t, sorte: _Liste, demande, n: int):
    """The n item lines of a list, parsed (n > 0)."""
    octets, debut = t.octets, t.pos
    # The whole list already received and well made: one match.
    fin = sorte.bloc_court.match(octets, debut).end()
    if octets.count(b"\n", debut, fin) == n:
        t.pos = fin
        return sorte.construit_court(bytes(octets[debut:fin]))
    fin = sorte.bloc.match(octets, debut).end()
    if octets.count(b"\n", debut, fin) == n:
        elements = sorte.construit(bytes(octets[debut:fin]))
        if elements is not None:
            t.pos = fin
            return elements
    # Otherwise line by line, to name the first bad one; a stream that
    # ended is blamed on its last line only if those before it are good.
    k = t.disponibles(n)
    if k < n and not t.fin_flux:
        raise Incomplet(n - k)
    elements = []
    for i in range(k):
        l = t.ligne()
        e = sorte.construit(l) if sorte.ligne.fullmatch(l) else None
        if e is None:
            raise inattendue("%s (ligne %d sur %d)" % (_nom(demande), i + 1, n), l)
        elements += e
    if k < n:
        raise Incomplet(n - k)
    return elements


def _liste(t, r: Requete):
    ligne = t.ligne()
    sorte = _LISTES[r._value_]
    # The usual header, "PUT VAISSEAUX 20\r\n", read at once.
    if ligne.startswith(sorte.mot) and ligne.endswith(b"\r\n"):
        texte = ligne[len(sorte.mot) : -2]
        if texte.isdigit() and len(texte) <= 6:
            n = int(texte)
            return _elements(t, sorte, r, n) if n else []
    corps = _verifie(r, ligne)
    if not corps.startswith(sorte.mot):
        raise inattendue(r.nom, ligne)
    n = _compte(r, corps[len(sorte.mot) :], ligne)
    return _elements(t, sorte, r, n) if n else []


def _verifie(r: Requete, ligne: bytes) -> bytes:
    """The reply's text without CR LF; raises for a refusal or a bad end."""
    corps = _corps(ligne)
    if corps is None:
        raise inattendue(r.nom, ligne)
    if corps == b"ERREUR SYNTAXE":
        raise ErreurSyntaxe("%s refusee : ERREUR SYNTAXE" % r.nom, r.nom)
    return corps


def _constante(mot: bytes):
    def lit(t, r):
        ligne = t.ligne()
        corps = _verifie(r, ligne)
        n = _naturel(corps[len(mot) :]) if corps.startswith(mot) else None
        if n is None:
            raise inattendue(r.nom, ligne)
        return n

    return lit


def _taille(t, r):
    ligne = t.ligne()
    corps = _verifie(r, ligne)
    if corps.startswith(b"PUT TAILLE PLATEAU "):
        champs = corps[19:].split(b" ")
        if len(champs) == 2:
            l, h = _naturel(champs[0]), _naturel(champs[1])
            if l is not None and h is not None:
                return TaillePlateau(l, h)
    raise inattendue(r.nom, ligne)


_STATUTS = {b"PUT STATUT " + s.value.encode(): s for s in Statut}


def _statut(t, r):
    ligne = t.ligne()
    s = _STATUTS.get(_verifie(r, ligne))
    if s is None:
        raise inattendue(r.nom, ligne)
    return s


def _ok(t, r):
    ligne = t.ligne()
    if ligne != b"OK\r\n":
        _verifie(r, ligne)
        raise inattendue(r.nom, ligne)
    return None


_CHAMPS_STATS = ("ticks_s", "tick_us", "tick_p99_us", "joueurs", "spectateurs",
                 "vaisseaux", "balles", "requetes_s")


def lit_stats(corps: bytes, ligne: bytes) -> Stats:
    """A "PUT STATS ..." line (CR LF removed): name=value fields; the eight
    known ones must each come once, other fields are kept as they are."""
    if not corps.startswith(b"PUT STATS "):
        raise inattendue("GET STATS", ligne)
    champs = {}
    valeurs = {}
    for champ in corps[10:].split(b" "):
        nom, egal, valeur = champ.partition(b"=")
        if not nom or not egal or not valeur:
            raise inattendue("GET STATS (champ %s)" % cite(champ), ligne)
        nom_t, valeur_t = nom.decode("latin-1"), valeur.decode("latin-1")
        if nom_t in _CHAMPS_STATS:
            if nom_t in valeurs:
                raise inattendue("GET STATS (champ %s repete)" % nom_t, ligne)
            if nom_t == "ticks_s":
                v = float(valeur) if _TICKS_S.fullmatch(valeur) else None
            else:
                v = _naturel(valeur, INT64_MAX)
            if v is None:
                raise inattendue("GET STATS (champ %s)" % nom_t, ligne)
            valeurs[nom_t] = v
        champs[nom_t] = valeur_t
    for nom_t in _CHAMPS_STATS:
        if nom_t not in valeurs:
            raise inattendue("GET STATS (champ %s absent)" % nom_t, ligne)
    return Stats(champs=champs, **valeurs)


def _stats(t, r):
    ligne = t.ligne()
    return lit_stats(_verifie(r, ligne), ligne)


_EVENEMENT = re.compile(
    rb"(?P<tick>[0-9]+) (?:"
    rb"TOUCHE (?P<t1>-?[0-9]+) (?P<t2>-?[0-9]+) (?P<vie>[0-9]+)"
    rb"|DETRUIT (?P<d1>-?[0-9]+) (?P<d2>-?[0-9]+)"
    rb"|ARRIVE (?P<a>-?[0-9]+)"
    rb"|PART (?P<p>-?[0-9]+) (?P<raison>quitte|deconnecte|detruit))\r\n"
)


def _evenement(ligne: bytes):
    m = _EVENEMENT.fullmatch(ligne)
    if m is None:
        return None
    g = m.groupdict()
    tick = int(g["tick"])
    if g["t1"] is not None:
        e = Touche(tick, int(g["t1"]), int(g["t2"]), int(g["vie"]))
        couleurs = (e.tireur, e.cible)
    elif g["d1"] is not None:
        e = Detruit(tick, int(g["d1"]), int(g["d2"]))
        couleurs = (e.tireur, e.cible)
    elif g["a"] is not None:
        e = Arrive(tick, int(g["a"]))
        couleurs = (e.couleur,)
    else:
        e = Part(tick, int(g["p"]), Raison(g["raison"].decode()))
        couleurs = (e.couleur,)
    if tick > INT64_MAX or not _dans_int64(couleurs) or getattr(e, "vie_restante", 0) > INT32_MAX:
        return None
    return e


def _bloc_evenements(t, demande: str, corps: bytes, ligne: bytes):
    """The events announced by `corps` ("PUT EVENEMENTS n missed")."""
    champs = corps[15:].split(b" ") if corps.startswith(b"PUT EVENEMENTS ") else []
    if len(champs) != 2:
        raise inattendue(demande, ligne)
    n = _compte(demande, champs[0], ligne)
    manques = _naturel(champs[1], INT64_MAX)
    if manques is None:
        raise inattendue(demande, ligne)
    if t.disponibles(n) < n and not t.fin_flux:
        raise Incomplet(n - t.disponibles(n))
    liste = []
    for i in range(n):
        l = t.ligne()
        e = _evenement(l)
        if e is None:
            raise inattendue("%s (ligne %d sur %d)" % (demande, i + 1, n), l)
        liste.append(e)
    return Evenements(liste, manques)


def _evenements(t, r):
    ligne = t.ligne()
    return _bloc_evenements(t, r.nom, _verifie(r, ligne), ligne)


LECTEURS = {
    Requete.TAILLE_PLATEAU.value: _taille,
    Requete.RAYON_VAISSEAU.value: _constante(b"PUT RAYON VAISSEAU "),
    Requete.RAYON_BALLE.value: _constante(b"PUT RAYON BALLE "),
    Requete.MAX_PT_VIE.value: _constante(b"PUT MAX PT VIE "),
    Requete.STATUT.value: _statut,
    Requete.VAISSEAUX.value: _liste,
    Requete.BALLES.value: _liste,
    Requete.CUBES.value: _liste,
    Requete.SCORES.value: _liste,
    Requete.STATS.value: _stats,
    Requete.EVENEMENTS.value: _evenements,
    Requete.ACCELERE.value: _ok,
    Requete.DECELERE.value: _ok,
    Requete.GAUCHE.value: _ok,
    Requete.DROITE.value: _ok,
    Requete.TIRE.value: _ok,
}


def reponse(t, r: Requete):
    """The reply to `r`, parsed. Which type for which request:
    actions None; radii and max life int; TAILLE_PLATEAU TaillePlateau;
    STATUT Statut; VAISSEAUX, BALLES, CUBES, SCORES lists of Vaisseau,
    Balle, Cube, Score; STATS Stats; EVENEMENTS Evenements."""
    return LECTEURS[r._value_](t, r)


def reponses(t, requetes):
    """The replies to `requetes`, in order. A refusal raises
    ErreurSyntaxe once every reply is read, so the next request gets its own."""
    return lit_trame(t, plan_trame(requetes))


class PlanTrame:
    """What a frame of requests sends, and how its replies are read at once:
    `motif` matches the whole of the usual replies (lists whose numbers are
    all short, "OK"), or is None when the frame asks for other replies."""

    __slots__ = ("requetes", "octets", "motif", "listes", "modele")

    def __init__(self, requetes: tuple):
        self.requetes = requetes
        self.octets = b"".join(r._value_ for r in requetes)
        self.modele = [None] * len(requetes)  # an action's reply is None
        # (place in the replies, group of the count in motif, builder)
        self.listes = []
        motifs = []
        for k, r in enumerate(requetes):
            sorte = _LISTES.get(r._value_)
            if sorte is not None:
                self.listes.append((k, 2 * len(self.listes) + 1, sorte.construit_court))
                motifs.append(re.escape(sorte.mot) + rb"([0-9]{1,6})\r\n((?:"
                              + sorte.ligne_courte + rb"\r\n)*+)")
            elif r in ACTIONS:
                motifs.append(rb"OK\r\n")
            else:
                motifs = None
                break
        self.motif = re.compile(b"".join(motifs)) if motifs else None


# Keyed by the ids of the requests: a Requete is never freed, so no other
# object can share its id, and a tuple of ints hashes in C.
_PLANS: dict = {}
_PLANS_MAX = 256


def plan_trame(requetes) -> PlanTrame:
    """The PlanTrame of `requetes` (Requete items, in any iterable;
    TypeError for anything else), made once for a given list of requests."""
    if type(requetes) is not list and type(requetes) is not tuple:
        requetes = tuple(requetes)  # an iterator is read once, here
    cle = tuple(map(id, requetes))
    plan = _PLANS.get(cle)
    if plan is None:
        requetes = tuple(requetes)
        for r in requetes:
            if type(r) is not Requete:
                raise TypeError("pas une Requete : %r" % (r,))
        plan = PlanTrame(requetes)
        if len(_PLANS) >= _PLANS_MAX:
            _PLANS.clear()
        _PLANS[cle] = plan
    return plan


def lit_trame(t, plan: PlanTrame):
    """As reponses, for the requests of `plan`. The usual replies, all
    received and well made, are matched by one pattern; anything else (bytes
    still to come, a refusal, a malformed line, long numbers) is read reply
    by reply, which raises the errors."""
    motif = plan.motif
    if motif is not None:
        m = motif.match(t.octets, t.pos)
        if m is not None:
            resultats = plan.modele.copy()
            for k, i, construit in plan.listes:
                bloc = m[i + 1]
                # Each item line holds one LF; more or fewer lines than
                # announced are for the reply by reply reading to name.
                if bloc.count(b"\n") != int(m[i]):
                    break
                resultats[k] = construit(bloc) if bloc else []
            else:
                t.pos = m.end()
                return resultats
    return _une_a_une(t, plan.requetes)


def _une_a_une(t, requetes):
    resultats = []
    refus = None
    lecteurs = LECTEURS
    for r in requetes:
        try:
            resultats.append(lecteurs[r._value_](t, r))
        except ErreurSyntaxe as e:
            refus = refus or e
            resultats.append(None)
    if refus is not None:
        raise refus
    return resultats


# Registration, becoming a spectator, leaving, streaming: the line that says
# yes, and whether "ERREUR COULEUR UTILISEE" may come.
ENREGISTREMENT = ("PUT COULEUR VAISSEAU", b"VAISSEAU ENREGISTRE\r\n")
SPECTATEUR = ("PUT SPECTATEUR", b"SPECTATEUR ENREGISTRE\r\n")
DEPART = ("PUT ACTION QUITTE", b"OK\r\n")
FLUX = ("GET FLUX", b"PUT FLUX\r\n")


def accord(t, sorte):
    """The reply to one of the four requests above."""
    demande, acceptation = sorte
    ligne = t.ligne()
    if ligne == acceptation:
        return None
    if ligne == b"ERREUR SYNTAXE\r\n":
        raise ErreurSyntaxe("%s refusee : ERREUR SYNTAXE" % demande, demande)
    if sorte is ENREGISTREMENT and ligne == b"ERREUR COULEUR UTILISEE\r\n":
        raise CouleurUtilisee(
            "PUT COULEUR VAISSEAU refusee : ERREUR COULEUR UTILISEE "
            "(couleur prise ou arene pleine)"
        )
    raise inattendue(demande, ligne)


_TICK = re.compile(rb"TICK ([0-9]+) ([0-9]+)\r\n")
_BLOC = re.compile(rb"PUT ([A-Z_]+) ([0-9]+)(?: [^\r\n]*)?\r\n")
_FLUX_LISTES = {b"VAISSEAUX": Requete.VAISSEAUX, b"BALLES": Requete.BALLES}


def trame_flux(t, _=None):
    """One frame of "GET FLUX": TICK, blocks, FIN TICK. Blocks of
    other names are read and skipped."""
    demande = "GET FLUX"
    ligne = t.ligne()
    m = _TICK.fullmatch(ligne)
    if m is None:
        raise inattendue(demande, ligne)
    tick, perdus = int(m[1]), int(m[2])
    if tick > INT64_MAX or perdus > INT64_MAX:
        raise inattendue(demande, ligne)
    fin = b"FIN TICK %d\r\n" % tick
    blocs = {}
    autres = []
    while True:
        ligne = t.ligne()
        if ligne == fin:
            break
        m = _BLOC.fullmatch(ligne)
        if m is None:
            raise inattendue("%s (tick %d)" % (demande, tick), ligne)
        nom = m[1]
        if nom in blocs or nom.decode() in autres:
            raise inattendue("%s (bloc %s repete)" % (demande, nom.decode()), ligne)
        if nom in _FLUX_LISTES:
            r = _FLUX_LISTES[nom]
            if ligne[:-2] != b"PUT %s %s" % (nom, m[2]):
                raise inattendue(demande, ligne)
            n = _compte(demande, m[2], ligne)
            blocs[nom] = _elements(t, _LISTES[r.value], "%s (%s)" % (demande, r.nom), n) if n else []
        elif nom == b"EVENEMENTS":
            blocs[nom] = _bloc_evenements(t, demande, ligne[:-2], ligne)
        else:
            n = _compte(demande, m[2], ligne)
            t.saute(n)
            autres.append(nom.decode())
    if b"VAISSEAUX" not in blocs or b"BALLES" not in blocs:
        raise inattendue("%s (tick %d sans VAISSEAUX ou BALLES)" % (demande, tick), ligne)
    return TrameFlux(tick, perdus, blocs[b"VAISSEAUX"], blocs[b"BALLES"],
                     blocs.get(b"EVENEMENTS"), autres)
