"""The exceptions of jeu_client: every failure is an ErreurJeu.

A refusal (ErreurSyntaxe, CouleurUtilisee) leaves the connection usable.
After any other error the replies could no longer be matched to their
requests, so the connection is closed and every later call raises
ConnexionFermee.
"""


class ErreurJeu(Exception):
    """Base of every error of this package."""


class ErreurConnexion(ErreurJeu):
    """Could not connect: unknown name, refused, unreachable."""


class ConnexionFermee(ErreurJeu):
    """The server closed the connection, a read or a write failed, or the
    connection was closed by an earlier error."""


class DelaiDepasse(ErreurJeu, TimeoutError):
    """No complete reply (or no connection, or no name) within the delay."""


class ReponseInattendue(ErreurJeu):
    """A reply that is not the one the request calls for. The message quotes
    it; `ligne` holds its bytes (cut to the first 4096)."""

    def __init__(self, message: str, ligne: bytes = b""):
        super().__init__(message)
        self.ligne = ligne


class ErreurSyntaxe(ErreurJeu):
    """The server answered "ERREUR SYNTAXE": a request it refused (a second
    registration, a player's spectator request...). `requete` names it."""

    def __init__(self, message: str, requete: str = ""):
        super().__init__(message)
        self.requete = requete


class CouleurUtilisee(ErreurJeu):
    """Registration refused with "ERREUR COULEUR UTILISEE": a live ship has
    that colour, or the arena has no free place left. Try again."""


class ModeFlux(ErreurJeu):
    """A request on a connection that streams ("GET FLUX"): it only reads
    frames from then on."""
