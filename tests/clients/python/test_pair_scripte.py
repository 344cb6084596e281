"""Both clients against a scripted peer in the same thread: the kernel
completes the client's connection before accept, and what the peer writes
waits in the client's socket until it reads."""

import asyncio
import inspect
import select
import socket
import threading

import pytest

from jeu_client import (
    Client,
    ClientAsync,
    ConnexionFermee,
    DelaiDepasse,
    ErreurConnexion,
    ErreurSyntaxe,
    ModeFlux,
    ReponseInattendue,
    Requete as R,
    Statut,
)


class EnSynchrone:
    """A ClientAsync whose coroutines are run to their end: the tests drive
    both clients with the same calls."""

    def __init__(self, boucle, client):
        self._boucle, self._client = boucle, client

    def __getattr__(self, nom):
        f = getattr(self._client, nom)
        if not inspect.iscoroutinefunction(f):
            return f
        if nom == "flux":
            def flux():
                trames = self._boucle.run_until_complete(f())
                while True:
                    yield self._boucle.run_until_complete(trames.__anext__())
            return flux
        return lambda *a: self._boucle.run_until_complete(f(*a))


@pytest.fixture(params=["Client", "ClientAsync"])
def connecte(request):
    """connecte(port, delai) -> a client of either kind, called the same way."""
    if request.param == "Client":
        yield lambda port, delai=5.0: Client.connecte("127.0.0.1", port, delai)
        return
    boucle = asyncio.new_event_loop()
    clients = []

    def ouvre(port, delai=5.0):
        c = boucle.run_until_complete(ClientAsync.connecte("127.0.0.1", port, delai))
        clients.append(c)
        return EnSynchrone(boucle, c)

    yield ouvre
    for c in clients:
        c.ferme()
    boucle.run_until_complete(asyncio.sleep(0))
    boucle.close()


class Pair:
    """A listening socket on 127.0.0.1, and the one connection it accepts."""

    def __init__(self, connecte, delai=5.0):
        self.ecoute = socket.create_server(("127.0.0.1", 0))
        self.port = self.ecoute.getsockname()[1]
        self.client = connecte(self.port, delai)
        self.fd, _ = self.ecoute.accept()

    def ecrit(self, octets: bytes):
        self.fd.sendall(octets)

    def recu(self) -> bytes:
        """What one read gives once something has come (within 5 s)."""
        if not select.select([self.fd], [], [], 5)[0]:
            return b""
        return self.fd.recv(65536)

    def ferme(self):
        self.fd.close()
        self.ecoute.close()


@pytest.fixture
def pair(connecte):
    p = Pair(connecte)
    yield p
    p.ferme()


def test_a_frame_is_one_write_and_its_replies_come_in_order(pair):
    c = pair.client
    pair.ecrit(b"PUT TAILLE PLATEAU 990 990\r\nOK\r\nPUT VAISSEAUX 1\r\n512 301 1.57 5 255\r\n"
               b"PUT STATUT vivant\r\n")
    r = c.trame([R.TAILLE_PLATEAU, R.TIRE, R.VAISSEAUX, R.STATUT])
    # One write is one segment on the loopback: one read gets it all.
    assert pair.recu() == b"GET TAILLE PLATEAU\r\nPUT ACTION TIRE\r\nGET VAISSEAUX\r\nGET STATUT\r\n"
    assert r[0].hauteur == 990 and r[1] is None and r[3] is Statut.VIVANT
    assert (r[2][0].x, r[2][0].angle, r[2][0].couleur) == (512, 1.57, 255)

    # A refusal inside a frame: the frame's other replies are read, so the
    # next request gets its own reply.
    pair.ecrit(b"OK\r\nERREUR SYNTAXE\r\nPUT BALLES 1\r\n1 2 3\r\nPUT STATUT mort\r\n")
    with pytest.raises(ErreurSyntaxe, match="^GET STATS refusee : ERREUR SYNTAXE$"):
        c.trame([R.GAUCHE, R.STATS, R.BALLES])
    assert c.statut() is Statut.MORT
    pair.ecrit(b"OK\r\n")
    c.quitte()
    assert c.est_ferme()
    reste = b""
    while morceau := pair.recu():
        reste += morceau
    assert reste == (b"PUT ACTION GAUCHE\r\nGET STATS\r\nGET BALLES\r\nGET STATUT\r\n"
                     b"PUT ACTION QUITTE\r\n")


def test_each_call_sends_its_line(pair):
    c = pair.client
    appels = [
        (lambda: c.enregistre(-5), b"PUT COULEUR VAISSEAU -5\r\n", b"VAISSEAU ENREGISTRE\r\n"),
        (c.accelere, b"PUT ACTION ACCELERE\r\n", b"OK\r\n"),
        (c.decelere, b"PUT ACTION DECELERE\r\n", b"OK\r\n"),
        (c.gauche, b"PUT ACTION GAUCHE\r\n", b"OK\r\n"),
        (c.droite, b"PUT ACTION DROITE\r\n", b"OK\r\n"),
        (c.tire, b"PUT ACTION TIRE\r\n", b"OK\r\n"),
        (c.rayon_balle, b"GET RAYON BALLE\r\n", b"PUT RAYON BALLE 4\r\n"),
        (c.scores, b"GET SCORES\r\n", b"PUT SCORES 0\r\n"),
        (c.evenements, b"GET EVENEMENTS\r\n", b"PUT EVENEMENTS 0 0\r\n"),
        (c.devient_spectateur, b"PUT SPECTATEUR\r\n", b"SPECTATEUR ENREGISTRE\r\n"),
    ]
    for appel, ligne, reponse in appels:
        pair.ecrit(reponse)
        appel()
        assert pair.recu() == ligne


@pytest.mark.parametrize("octets,ferme,erreur,message", [
    (b"", False, DelaiDepasse,
     "pas de reponse complete : delai de 200 ms depasse (reponse a GET VAISSEAUX)"),
    (b"PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n", False, DelaiDepasse, "pas de reponse complete"),
    (b"BONJOUR\r\n", False, ReponseInattendue, 'reponse inattendue a GET VAISSEAUX : "BONJOUR\\r\\n"'),
    (b"PUT VAISSEAUX 999999999999\r\n", False, ReponseInattendue,
     "reponse inattendue a GET VAISSEAUX : plus de 1000000"),
    (b"z" * 10000, False, ReponseInattendue, "ligne de plus de 4096 octets"),
    (b"PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n3 4", True, ConnexionFermee,
     'connexion fermee par le serveur au milieu de la ligne "3 4"'),
    (b"", True, ConnexionFermee, "connexion fermee par le serveur"),
])
def test_peer_failures_close_the_connection(connecte, octets, ferme, erreur, message):
    """A peer that says nothing, says something else, or leaves: an error
    naming what came, and the connection closed."""
    p = Pair(connecte, delai=0.2)
    try:
        p.ecrit(octets)
        if ferme:
            p.fd.shutdown(socket.SHUT_WR)
        with pytest.raises(erreur) as e:
            p.client.vaisseaux()
        assert str(e.value).startswith(message)
        assert p.client.est_ferme()
        with pytest.raises(ConnexionFermee, match="^connexion deja fermee$"):
            p.client.statut()
    finally:
        p.ferme()


def test_the_stream(pair):
    c = pair.client
    pair.ecrit(b"PUT FLUX\r\nTICK 5 0\r\nPUT VAISSEAUX 0\r\nPUT BALLES 0\r\nFIN TICK 5\r\n"
               b"TICK 8 2\r\nPUT VAISSEAUX 0\r\nPUT BALLES 1\r\n1 2 3\r\nPUT X 1\r\n.\r\n"
               b"FIN TICK 8\r\n")
    trames = c.flux()
    t1, t2 = next(trames), next(trames)
    assert pair.recu() == b"GET FLUX\r\n"
    assert (t1.tick, t1.ticks_perdus, t2.tick, t2.ticks_perdus) == (5, 0, 8, 2)
    assert len(t2.balles) == 1 and t2.autres_blocs == ["X"]
    with pytest.raises(ModeFlux):
        c.statut()


def test_wrong_arguments_send_nothing(pair):
    c = pair.client
    with pytest.raises(ValueError):
        c.action(R.VAISSEAUX)
    with pytest.raises(TypeError):
        c.trame([R.VAISSEAUX, "GET BALLES\r\n"])
    with pytest.raises(ValueError):
        c.enregistre(2**63)
    pair.ecrit(b"PUT STATUT vivant\r\n")
    assert c.statut() is Statut.VIVANT
    assert pair.recu() == b"GET STATUT\r\n"


def test_connection_refused(connecte):
    ecoute = socket.create_server(("127.0.0.1", 0))
    port = ecoute.getsockname()[1]
    ecoute.close()
    with pytest.raises(ErreurConnexion, match="^connexion a 127.0.0.1:%d impossible" % port):
        connecte(port)


@pytest.mark.parametrize("kind", ["sync", "async"])
def test_the_name_lookup_has_a_deadline(monkeypatch, kind):
    """A lookup that does not answer: the delay ends the wait, long before
    the lookup would give up (with an unknown name)."""
    libere = threading.Event()

    def muette(*a, **k):
        libere.wait(60)
        raise socket.gaierror(socket.EAI_NONAME, "Name or service not known")

    monkeypatch.setattr(socket, "getaddrinfo", muette)
    try:
        with pytest.raises(DelaiDepasse):
            if kind == "sync":
                Client.connecte("serveur.invalid", 1, delai=0.2)
            else:
                boucle = asyncio.new_event_loop()
                try:
                    boucle.run_until_complete(ClientAsync.connecte("serveur.invalid", 1, delai=0.2))
                finally:
                    boucle.close()
    finally:
        libere.set()


@pytest.mark.parametrize("kind", ["sync", "async"])
def test_an_unknown_name(monkeypatch, kind):
    def inconnu(*a, **k):
        raise socket.gaierror(socket.EAI_NONAME, "Name or service not known")
    monkeypatch.setattr(socket, "getaddrinfo", inconnu)
    with pytest.raises(ErreurConnexion, match="nom inconnu"):
        if kind == "sync":
            Client.connecte("serveur.invalid", 1)
        else:
            asyncio.run(ClientAsync.connecte("serveur.invalid", 1))


def test_a_frame_in_two_halves(pair):
    """envoie then recoit: what a program driving many connections does."""
    c = pair.client
    c.envoie([R.DROITE, R.BALLES])
    assert pair.recu() == b"PUT ACTION DROITE\r\nGET BALLES\r\n"
    pair.ecrit(b"OK\r\nPUT BALLES 1\r\n7 8 9\r\n")
    ok, balles = c.recoit([R.DROITE, R.BALLES])
    assert ok is None and (balles[0].x, balles[0].y, balles[0].couleur) == (7, 8, 9)
