"""The server's bytes cut into bounded lines. Parsers are plain functions
over a Tampon: when the bytes they need have not all come, they raise
Incomplet, and the client that drives them (sync or asyncio) reads more and
parses the reply again from its start. So both clients share every line of
parsing, and a reply that came whole (the usual case) is parsed at once."""

from .erreurs import ConnexionFermee, ReponseInattendue

# Longest reply line accepted, CR LF included. The server's lines are far
# shorter; a longer one is refused instead of growing the buffer.
TAILLE_MAX_LIGNE = 4096

# Most items a list reply may announce; more is refused before reading them.
MAX_ELEMENTS = 1_000_000


def cite(octets: bytes) -> str:
    """`octets` for an error message: in double quotes, CR, LF, '"', '\\',
    control bytes and bytes beyond ASCII escaped, cut after 80 bytes ("...")."""
    montre = bytes(octets[:80])
    texte = ['"']
    for o in montre:
        if o == 0x0D:
            texte.append("\\r")
        elif o == 0x0A:
            texte.append("\\n")
        elif o in (0x22, 0x5C):
            texte.append("\\" + chr(o))
        elif o < 0x20 or o >= 0x7F:
            texte.append("\\x%02x" % o)
        else:
            texte.append(chr(o))
    texte.append('"')
    if len(octets) > 80:
        texte.append("...")
    return "".join(texte)


def trop_longue(octets) -> ReponseInattendue:
    return ReponseInattendue(
        "ligne de plus de %d octets : %s" % (TAILLE_MAX_LIGNE, cite(octets)),
        bytes(octets[:TAILLE_MAX_LIGNE]),
    )


class Incomplet(Exception):
    """The reply needs at least `manque` more line ends than have come."""

    def __init__(self, manque: int = 1):
        super().__init__(manque)
        self.manque = manque


class Tampon:
    """Bytes received and not yet parsed; `pos` is where the next line starts.
    `fin_flux` is set by the driver when the peer ended the stream."""

    __slots__ = ("octets", "pos", "fin_flux")

    def __init__(self):
        self.octets = bytearray()
        self.pos = 0
        self.fin_flux = False

    def compacte(self):
        """Drops the bytes already parsed (between two replies only)."""
        if self.pos:
            del self.octets[: self.pos]
            self.pos = 0

    def ajoute(self, donnees: bytes) -> int:
        """Appends bytes read; returns how many line ends they hold. Raises
        for a line that has grown past the bound without its LF."""
        octets = self.octets
        octets += donnees
        lf = octets.rfind(b"\n", self.pos)
        debut = lf + 1 if lf >= 0 else self.pos
        if len(octets) - debut > TAILLE_MAX_LIGNE:
            raise trop_longue(octets[debut:])
        return donnees.count(b"\n")

    def fin(self) -> ConnexionFermee:
        """The error for a stream that ended before the reply did."""
        lf = self.octets.rfind(b"\n", self.pos)
        reste = self.octets[lf + 1 if lf >= 0 else self.pos :]
        if reste:
            return ConnexionFermee(
                "connexion fermee par le serveur au milieu de la ligne " + cite(reste))
        return ConnexionFermee("connexion fermee par le serveur")

    def ligne(self) -> bytes:
        """The next line, LF included."""
        pos = self.pos
        i = self.octets.find(b"\n", pos)
        if i < 0:
            if len(self.octets) - pos > TAILLE_MAX_LIGNE:
                raise trop_longue(self.octets[pos:])
            raise Incomplet()
        if i + 1 - pos > TAILLE_MAX_LIGNE:
            raise trop_longue(self.octets[pos : i + 1])
        self.pos = i + 1
        return bytes(self.octets[pos : i + 1])

    def disponibles(self, n: int) -> int:
        """How many of the next n lines have come (at most n)."""
        return min(n, self.octets.count(b"\n", self.pos))

    def saute(self, n: int):
        """Skips the next n lines, each checked against the bound."""
        if self.disponibles(n) < n:
            raise Incomplet(n - self.disponibles(n))
        for _ in range(n):
            self.ligne()
