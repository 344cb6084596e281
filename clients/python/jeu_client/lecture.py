"""The server's bytes cut into bounded lines, for parsers written as
generators: a parser `yield`s when it needs more bytes, and the client that
drives it (sync or asyncio) reads from the socket, appends to the buffer and
resumes it. So both clients share every line of parsing."""

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


def _trop_longue(octets) -> ReponseInattendue:
    return ReponseInattendue(
        "ligne de plus de %d octets : %s" % (TAILLE_MAX_LIGNE, cite(octets)),
        bytes(octets[:TAILLE_MAX_LIGNE]),
    )


class Tampon:
    """Bytes received and not yet parsed. `fin_flux` is set by the driver when
    the peer ended the stream; a parser that needs more then raises
    ConnexionFermee, quoting the unfinished line if there is one."""

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

    def _attend(self, debut):
        """Checks the unfinished line starting at `debut` before more bytes
        are waited for (a generator step: yields once)."""
        reste = len(self.octets) - debut
        if reste > TAILLE_MAX_LIGNE:
            raise _trop_longue(self.octets[debut:])
        if self.fin_flux:
            if reste:
                raise ConnexionFermee(
                    "connexion fermee par le serveur au milieu de la ligne "
                    + cite(self.octets[debut:])
                )
            raise ConnexionFermee("connexion fermee par le serveur")
        yield

    def ligne_prete(self):
        """The next line if it is whole in the buffer and within the bound,
        else None (then use the generator ligne)."""
        i = self.octets.find(b"\n", self.pos)
        if i < 0 or i >= self.pos + TAILLE_MAX_LIGNE:
            return None
        ligne = bytes(self.octets[self.pos : i + 1])
        self.pos = i + 1
        return ligne

    def ligne(self):
        """Generator: the next line, LF included, as bytes."""
        octets = self.octets
        while True:
            i = octets.find(b"\n", self.pos)
            if i >= 0:
                if i + 1 - self.pos > TAILLE_MAX_LIGNE:
                    raise _trop_longue(octets[self.pos : i + 1])
                ligne = bytes(octets[self.pos : i + 1])
                self.pos = i + 1
                return ligne
            yield from self._attend(self.pos)

    def lignes(self, n: int):
        """Generator: the n next lines as one bytes block, each checked
        against the line bound."""
        octets = self.octets
        debut = fin = self.pos
        find = octets.find
        while n:
            i = find(b"\n", fin)
            if i < 0:
                yield from self._attend(fin)
                continue
            if i + 1 - fin > TAILLE_MAX_LIGNE:
                raise _trop_longue(octets[fin : i + 1])
            fin = i + 1
            n -= 1
        self.pos = fin
        return bytes(octets[debut:fin])
