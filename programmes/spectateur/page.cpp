#include "spectateur/page.h"

namespace jeu::spectateur {

namespace {

constexpr std::string_view html = R"page(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>serveur_jeu: live</title>
<link rel="icon" href="data:,">
<style>
html, body { margin: 0; background: #1b1f27; color: #d8dee9; font: 13px/1.45 sans-serif; }
#cadre { display: flex; align-items: flex-start; }
#arene { display: block; background: #0b0e14; flex: none; }
#cote { padding: 6px 14px; min-width: 250px; }
#statut { font-weight: bold; color: #8fd18f; }
#statut.coupe { color: #ff7b7b; }
#tick { font-family: monospace; color: #aab4c5; }
#relecture { margin: 4px 0; }
#curseur { width: 220px; vertical-align: middle; }
#stats { margin: 4px 0 10px; color: #aab4c5; }
table { border-collapse: collapse; }
th { text-align: left; font-weight: normal; color: #8a93a6; padding: 0 8px 2px 0; }
td { padding: 1px 8px 1px 0; font-family: monospace; }
.pastille { display: inline-block; width: 14px; height: 14px; border: 1px solid #c8ccd4;
            vertical-align: middle; }
h2 { font-size: 13px; font-weight: bold; color: #8a93a6; margin: 10px 0 3px; }
#classement td.n { text-align: right; }
#fil { list-style: none; margin: 0 0 6px; padding: 0; font-family: monospace; }
#fil li { padding: 1px 0; }
.note { color: #8a93a6; }
</style>
</head>
<body>
<div id="cadre">
<canvas id="arene" width="300" height="300"></canvas>
<div id="cote">
<div id="statut">connecting...</div>
<div id="tick"></div>
<div id="relecture" hidden>
<button id="lecture" type="button">pause</button>
<select id="vitesse" title="speed">
<option value="0.25">&frac14;&times;</option><option value="0.5">&frac12;&times;</option>
<option value="1" selected>1&times;</option><option value="2">2&times;</option>
<option value="4">4&times;</option><option value="8">8&times;</option>
<option value="16">16&times;</option>
</select>
<input id="curseur" type="range" min="0" max="0" step="1" title="seek">
</div>
<div id="stats"></div>
<pre id="mesure" hidden></pre>
<h2>leaderboard</h2>
<table id="classement">
<thead><tr><th>#</th><th></th><th>colour</th><th>kills</th><th>deaths</th><th>accuracy</th></tr></thead>
<tbody id="scores"></tbody>
</table>
<div id="scores-note" class="note"></div>
<h2>kill feed</h2>
<ul id="fil"></ul>
<div id="fil-note" class="note"></div>
<h2>ships</h2>
<table>
<thead><tr><th></th><th>colour</th><th>life</th></tr></thead>
<tbody id="vaisseaux"></tbody>
</table>
</div>
</div>
<script>
"use strict";
// Colours of what is not a ship or a bullet.
const FOND = "#0b0e14", CUBE = "#6c7589", CONTOUR = "#e8eaee", CAP = "#ffffff";
const LIGNES_MAX = 100;  // rows of the ship table

const toile = document.getElementById("arene");
const g = toile.getContext("2d");
const parametres = new URLSearchParams(location.search);
const tailleFixe = parseInt(parametres.get("taille"), 10) || 0;
// ?mesure=N: the frames drawn in each of N seconds, written into #mesure.
const secondesMesure = parseInt(parametres.get("mesure"), 10) || 0;

// What the tests and curious viewers can read from the console.
window.vue = { images: 0, dessins: 0, programme: false, jeu: null, scores: null, fil: null,
               image: null, dessins_par_seconde: [] };
const dessinsRecents = [];  // times of the draws of the last second

let plateau = null, image = null, echelle = 1, demande = false;
const arrivees = [];  // times of the images of the last second

function dimensionne() {
  const l = plateau ? plateau.largeur : 990, h = plateau ? plateau.hauteur : 990;
  const cote = tailleFixe || Math.max(200, Math.min(innerWidth - 290, innerHeight));
  echelle = cote / Math.max(l, h);
  const w = Math.round(l * echelle), ht = Math.round(h * echelle);
  const dpr = devicePixelRatio || 1;
  toile.style.width = w + "px";
  toile.style.height = ht + "px";
  toile.width = Math.round(w * dpr);
  toile.height = Math.round(ht * dpr);
  g.setTransform(dpr, 0, 0, dpr, 0, 0);
  planifie();
}

function disque(x, y, r) {
  g.beginPath();
  g.arc(x, y, r, 0, 2 * Math.PI);
}

function dessine() {
  demande = false;
  const e = echelle;
  g.fillStyle = FOND;
  g.fillRect(0, 0, toile.width, toile.height);
  if (!plateau) return;
  g.fillStyle = CUBE;
  for (const [x1, y1, x2, y2] of plateau.cubes) {
    g.fillRect(x1 * e, y1 * e, (x2 - x1) * e, (y2 - y1) * e);
  }
  if (!image) return;
  const rb = Math.max(1.5, plateau.rayon_balle * e);
  for (const [x, y, c] of image.balles) {
    g.fillStyle = c;
    disque(x * e, y * e, rb);
    g.fill();
  }
  const rv = Math.max(3, plateau.rayon_vaisseau * e);
  g.font = "11px sans-serif";
  g.textBaseline = "bottom";
  for (const [x, y, angle, pv, c] of image.vaisseaux) {
    const px = x * e, py = y * e;
    g.fillStyle = c;
    disque(px, py, rv);
    g.fill();
    g.lineWidth = 1;
    g.strokeStyle = CONTOUR;
    g.stroke();
    g.lineWidth = 2;
    g.strokeStyle = CAP;
    g.beginPath();
    g.moveTo(px, py);
    g.lineTo(px + Math.cos(angle) * rv * 1.9, py + Math.sin(angle) * rv * 1.9);
    g.stroke();
    g.fillStyle = CONTOUR;
    g.fillText(String(pv), px + rv + 1, py - rv);
  }
  window.vue.dessins++;
  const maintenant = performance.now();
  dessinsRecents.push(maintenant);
  while (dessinsRecents[0] < maintenant - 1000) dessinsRecents.shift();
}

// Counts the draws of each whole second once frames come, for ?mesure.
let debutMesure = 0, dessinsAuDebut = 0;
function mesure() {
  const v = window.vue;
  if (v.images > 0) {
    const maintenant = performance.now();
    if (!debutMesure) {
      debutMesure = maintenant;
      dessinsAuDebut = v.dessins;
    } else if (maintenant - debutMesure >= 1000) {
      v.dessins_par_seconde.push(v.dessins - dessinsAuDebut);
      debutMesure = maintenant;
      dessinsAuDebut = v.dessins;
      if (v.dessins_par_seconde.length <= secondesMesure) {
        document.getElementById("mesure").textContent = v.dessins_par_seconde.join(" ");
      }
    }
  }
  setTimeout(mesure, 50);
}

function planifie() {
  if (!demande) {
    demande = true;
    requestAnimationFrame(dessine);
  }
}

function montreStatut() {
  const s = document.getElementById("statut");
  const v = window.vue;
  if (!v.programme) {
    s.textContent = "jeu-spectateur unreachable; reconnecting...";
  } else {
    s.textContent = v.jeu ? v.jeu.texte : "waiting for the game server...";
  }
  s.classList.toggle("coupe", !v.programme || !v.jeu || !v.jeu.connecte);
}

let glisse = false;  // the slider is being moved: the frames do not move it
function montreRelecture(r) {
  document.getElementById("relecture").hidden = false;
  document.getElementById("lecture").textContent = r.pause ? "play" : "pause";
  const choix = document.getElementById("vitesse");
  if (document.activeElement !== choix) choix.value = String(r.vitesse);
  const curseur = document.getElementById("curseur");
  curseur.min = r.premier;
  curseur.max = r.dernier;
  if (!glisse) curseur.value = image.tick;
  document.getElementById("tick").textContent =
      `tick ${image.tick} of ${r.premier}..${r.dernier}` + (r.pause ? ", paused" : `, ${r.vitesse}\u00d7`);
}

function commande(nom, valeur) {
  fetch(`relecture?${nom}=${encodeURIComponent(valeur)}`, { method: "POST" });
}

function montreTableau() {
  const t = image.stats, n = arrivees.length;
  const ici = `here ${n} frames/s, ${dessinsRecents.length} drawn/s`;
  if (image.relecture) {
    montreRelecture(image.relecture);
    document.getElementById("stats").textContent =
        `${image.vaisseaux.length} ships, ${image.balles.length} bullets; ${ici}`;
  } else {
    document.getElementById("tick").textContent =
        image.tick ? `tick ${image.tick}` + (image.perdus ? ` (${image.perdus} lost before it)` : "") : "";
    document.getElementById("stats").textContent =
        `${t.ticks_s.toFixed(1)} ticks/s, tick ${t.tick_us} \u00b5s (p99 ${t.tick_p99_us} \u00b5s), ` +
        `${t.joueurs} players, ${t.spectateurs} spectators, ${t.vaisseaux} ships, ` +
        `${t.balles} bullets, ${t.requetes_s} requests/s; ${ici}`;
  }
  const max = plateau ? plateau.max_pt_vie : 0;
  let lignes = "";
  for (const [, , , pv, c, numero] of image.vaisseaux.slice(0, LIGNES_MAX)) {
    lignes += `<tr><td><span class="pastille" style="background:${c}"></span></td>` +
              `<td title="${numero}">${c}</td><td>${pv} / ${max}</td></tr>`;
  }
  const reste = image.vaisseaux.length - LIGNES_MAX;
  if (reste > 0) lignes += `<tr><td></td><td colspan="2">and ${reste} more</td></tr>`;
  document.getElementById("vaisseaux").innerHTML = lignes;
}

function pastille(c) {
  return `<span class="pastille" style="background:${c}"></span>`;
}

function montreScores() {
  const s = window.vue.scores;
  let lignes = "";
  s.lignes.forEach(([c, numero, victoires, morts, touches, tirs, vivant], i) => {
    const precision = tirs > 0 ? Math.round(100 * touches / tirs) + "%" : "-";
    lignes += `<tr${vivant ? "" : ' class="note"'}><td class="n">${i + 1}</td>` +
              `<td>${pastille(c)}</td><td title="${numero}">${c}</td>` +
              `<td class="n">${victoires}</td><td class="n">${morts}</td>` +
              `<td class="n">${precision}</td></tr>`;
  });
  document.getElementById("scores").innerHTML = lignes;
  const reste = s.total - s.lignes.length;
  document.getElementById("scores-note").textContent =
      !s.servis ? (image && image.relecture ? "a recording holds no scores"
                                            : "this game server keeps no scores") :
      s.total === 0 ? "no player yet" : reste > 0 ? `and ${reste} more` : "";
}

function montreFil() {
  const f = window.vue.fil;
  let lignes = "";
  for (const [tick, ct, , cv] of f.victimes) {
    lignes += `<li title="tick ${tick}">${pastille(ct)} ${ct} destroyed ` +
              (cv === ct ? "itself" : `${pastille(cv)} ${cv}`) + `</li>`;
  }
  document.getElementById("fil").innerHTML = lignes;
  document.getElementById("fil-note").textContent =
      f.manques > 0 ? `${f.manques} events missed` : "";
}

let flux = null;
function ouvre() {
  flux = new EventSource("flux");
  flux.onopen = () => {
    window.vue.programme = true;
    montreStatut();
  };
  flux.onerror = () => {
    window.vue.programme = false;
    montreStatut();
    // The browser tries again by itself unless the answer was not a stream
    // (503: too many viewers); then ask again later.
    if (flux.readyState === EventSource.CLOSED) setTimeout(ouvre, 5000);
  };
  flux.addEventListener("plateau", (ev) => {
    plateau = JSON.parse(ev.data);
    dimensionne();
  });
  flux.addEventListener("statut", (ev) => {
    window.vue.jeu = JSON.parse(ev.data);
    montreStatut();
  });
  flux.addEventListener("scores", (ev) => {
    window.vue.scores = JSON.parse(ev.data);
    montreScores();
  });
  flux.addEventListener("fil", (ev) => {
    window.vue.fil = JSON.parse(ev.data);
    montreFil();
  });
  flux.addEventListener("image", (ev) => {
    image = JSON.parse(ev.data);
    window.vue.image = image;
    window.vue.images++;
    const maintenant = performance.now();
    arrivees.push(maintenant);
    while (arrivees[0] < maintenant - 1000) arrivees.shift();
    montreTableau();
    planifie();
  });
}

addEventListener("resize", () => { if (!tailleFixe) dimensionne(); });
document.getElementById("lecture").addEventListener("click", () => {
  if (image && image.relecture) commande("pause", image.relecture.pause ? "0" : "1");
});
document.getElementById("vitesse").addEventListener("change", (ev) => commande("vitesse", ev.target.value));
const curseur = document.getElementById("curseur");
curseur.addEventListener("input", () => { glisse = true; });
curseur.addEventListener("change", () => {
  glisse = false;
  commande("tick", curseur.value);
});
dimensionne();
ouvre();
mesure();
</script>
</body>
</html>
)page";

}  // namespace

std::string_view page_html() { return html; }

}  // namespace jeu::spectateur
