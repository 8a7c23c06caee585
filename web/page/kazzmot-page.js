// The page of the browser build: downloads the program and its data with a
// progress bar, starts the production (and its sound) on a click or a key,
// shows its frames on the canvas at 60 per second, hands it the keys, and
// shows the end card when it ends.
//
// With ?virtual it runs the production on the virtual 60 Hz machine instead,
// as fast as it can, and gives the hash of every refresh (window.kazzVirtuel);
// &trames=N hands it every Nth refresh's picture, and &natif=FILE compares
// the refreshes that file holds with its pictures (records of
// kazzmot-echantillons, from the usual native build).
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const virtuel = params.has('virtual');
  const pasTrames = parseInt(params.get('trames') || '0', 10) || 0;
  const fichierNatif = params.get('natif');

  const canvas = document.getElementById('ecran');
  const ctx = canvas.getContext('2d', { alpha: false });
  const depart = document.getElementById('depart');
  const fin = document.getElementById('fin');
  const appel = document.getElementById('appel');
  const chargement = document.getElementById('chargement');
  const barre = document.querySelector('#barre div');

  // What the tests read.
  const stats = window.kazzStats = {
    pret: false, clic: null, premiereImage: null, presents: [], taches: [], scenes: [],
    fin: null, statut: null, travail: [], tranches: [], trancheMax: { debut: 0, duree: 0 }, son: { etat: 'none', joues: 0, manques: 0, crete: 0, postes: 0 },
  };

  // ---- The canvas: 640 x 480 scaled to fit, square crisp pixels, on black.
  function ajuste() {
    const e = Math.min(innerWidth / canvas.width, innerHeight / canvas.height);
    canvas.style.width = Math.floor(canvas.width * e) + 'px';
    canvas.style.height = Math.floor(canvas.height * e) + 'px';
  }
  addEventListener('resize', ajuste);
  ajuste();
  ctx.fillStyle = '#000';
  ctx.fillRect(0, 0, canvas.width, canvas.height);

  document.getElementById('plein').addEventListener('click', (e) => {
    e.stopPropagation();
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch(() => {});
  });

  // ---- Long tasks: the real-time test allows none over 50 ms after start-up.
  try {
    new PerformanceObserver((liste) => {
      for (const t of liste.getEntries()) stats.taches.push({ debut: t.startTime, duree: t.duration });
    }).observe({ entryTypes: ['longtask'] });
  } catch (e) { /* not offered by this browser */ }

  // ---- Download with progress.
  async function telecharge(url, parts, indice) {
    const reponse = await fetch(url);
    if (!reponse.ok) throw new Error(url + ': ' + reponse.status + ' ' + reponse.statusText);
    const total = +reponse.headers.get('Content-Length') || 0;
    parts[indice].total = total;
    const lecteur = reponse.body.getReader();
    const morceaux = [];
    let recu = 0;
    for (;;) {
      const { done, value } = await lecteur.read();
      if (done) break;
      morceaux.push(value);
      recu += value.length;
      parts[indice].recu = recu;
      progression(parts);
    }
    const tout = new Uint8Array(recu);
    let p = 0;
    for (const m of morceaux) { tout.set(m, p); p += m.length; }
    return tout.buffer;
  }
  function progression(parts) {
    let recu = 0, total = 0;
    for (const q of parts) { recu += q.recu; total += q.total || q.recu; }
    barre.style.width = (total ? 100 * recu / total : 0).toFixed(1) + '%';
    chargement.textContent = 'loading… ' + (recu / 1048576).toFixed(1) + ' / ' + (total / 1048576).toFixed(1) + ' MB';
  }

  // Every slice of the program's work runs from a resume to its next yield;
  // the long ones are kept for the tests. The program's exit() unwinds through
  // whichever callback resumed it: not an error.
  function reprend(reprise) {
    const t0 = performance.now();
    try { reprise(); } catch (e) { if (!(e && e.name === 'ExitStatus')) throw e; }
    const duree = performance.now() - t0;
    if (duree > stats.trancheMax.duree) stats.trancheMax = { debut: t0, duree };
    if (duree > 20) stats.tranches.push({ debut: t0, duree });
  }
  // ---- Yields: a message to ourselves comes back at once, unlike a timer.
  const canal = new MessageChannel();
  const reprises = [];
  canal.port1.onmessage = () => { const r = reprises.shift(); if (r) reprend(r); };
  function cede(reprise) { reprises.push(reprise); canal.port2.postMessage(0); }

  // ---- Presents: paced to 60 per second on any display, drawn at an animation
  // frame. A present whose time has already come (the display skipped a frame)
  // is drawn at once, so that the production keeps its 60 presents a second.
  const PERIODE = 1000 / 60;
  let echeance = null;
  let image = null, tampon = null, adresse = 0;
  let repriseA = null;  // when the program last got control back from a present
  function presente(M, ptr, largeur, hauteur, x, y, l, h, reprise) {
    const arrivee = performance.now();
    if (repriseA !== null) stats.travail.push(arrivee - repriseA);
    if (canvas.width !== largeur || canvas.height !== hauteur) {
      canvas.width = largeur; canvas.height = hauteur; ajuste();
    }
    if (!image || tampon !== M.HEAPU8.buffer || adresse !== ptr || image.width !== largeur) {
      tampon = M.HEAPU8.buffer; adresse = ptr;
      image = new ImageData(new Uint8ClampedArray(tampon, ptr, largeur * hauteur * 4), largeur, hauteur);
    }
    const montre = (maintenant) => {
      if (l > 0 && h > 0) ctx.putImageData(image, 0, 0, x, y, l, h);
      echeance += PERIODE;
      if (stats.premiereImage === null) stats.premiereImage = maintenant;
      stats.presents.push(maintenant);
      repriseA = performance.now();
    };
    // The first present, or one after the production waited or worked for
    // more than a frame: the pacing starts again from now. Otherwise the
    // display was late, and the presents catch up (up to a tenth of a second).
    const travail = repriseA === null ? Infinity : arrivee - repriseA;
    if (echeance === null || travail > PERIODE || arrivee > echeance + 6 * PERIODE) echeance = arrivee;
    else if (arrivee >= echeance - PERIODE / 4) { montre(arrivee); cede(reprise); return; }
    const tic = () => {
      const maintenant = performance.now();
      // A display faster than 60 Hz: wait for the frame nearest the deadline.
      if (maintenant < echeance - PERIODE / 4) { requestAnimationFrame(tic); return; }
      montre(maintenant);
      reprend(reprise);
    };
    requestAnimationFrame(tic);
  }

  // ---- Sound: an AudioWorklet fed by the program with blocks of 4096 samples.
  const son = { ctx: null, noeud: null, ouverture: null, postes: 0, joues: 0 };
  const AVANCE = 3 * 4096;  // samples queued ahead of the speakers
  async function ouvreSon() {
    try {
      son.ctx = new AudioContext({ sampleRate: 44100, latencyHint: 'interactive' });
      await son.ctx.audioWorklet.addModule('son-worklet.js');
      son.noeud = new AudioWorkletNode(son.ctx, 'kazzmot-son', { outputChannelCount: [2] });
      son.noeud.connect(son.ctx.destination);
      son.noeud.port.onmessage = (e) => {
        son.joues = e.data.joues;
        Object.assign(stats.son, e.data);
      };
      await son.ctx.resume();
      stats.son.etat = son.ctx.state;
      son.ctx.onstatechange = () => { stats.son.etat = son.ctx.state; };
    } catch (e) {
      console.warn('no sound: ' + e);
      son.noeud = null;
    }
  }
  function blocSon(M, ptr, paires) {
    const s = new Int16Array(M.HEAPU8.buffer, ptr, paires * 2);
    const g = new Float32Array(paires), d = new Float32Array(paires);
    for (let i = 0; i < paires; ++i) { g[i] = s[2 * i] / 32768; d[i] = s[2 * i + 1] / 32768; }
    son.noeud.port.postMessage({ g, d }, [g.buffer, d.buffer]);
    son.postes += paires;
    stats.son.postes = son.postes;
  }

  // ---- Keys: SDL 1.2's key symbols.
  const SYMBOLES = {
    Escape: 27, Enter: 13, Tab: 9, Backspace: 8, Space: 32, Delete: 127,
    ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276, Insert: 277, Home: 278,
    End: 279, PageUp: 280, PageDown: 281, ShiftRight: 303, ShiftLeft: 304, ControlRight: 305,
    ControlLeft: 306, AltRight: 307, AltLeft: 308,
  };
  function symbole(e) {
    if (SYMBOLES[e.code] !== undefined) return SYMBOLES[e.code];
    let m = /^Key([A-Z])$/.exec(e.code);
    if (m) return m[1].toLowerCase().charCodeAt(0);
    m = /^(?:Digit|Numpad)([0-9])$/.exec(e.code);
    if (m) return m[1].charCodeAt(0);
    m = /^F([0-9]+)$/.exec(e.code);
    if (m) return 281 + +m[1];
    return e.key && e.key.length === 1 ? e.key.charCodeAt(0) & 0x7f : 0;
  }

  // ---- The program.
  let enCours = null;   // the running program's module
  let donnees = null;   // { wasm, data }
  let sortieErreur = '';

  function lance() {
    sortieErreur = '';
    echeance = null;
    image = null;
    stats.fin = null; stats.statut = null;
    const options = {
      noInitialRun: true,
      wasmBinary: donnees.wasm,
      getPreloadedPackage: () => donnees.data,
      locateFile: (f) => f,
      print: (t) => console.log(t),
      printErr: (t) => { console.warn(t); sortieErreur += t + '\n'; },
      kazzCede: cede,
      kazzPresente: (...a) => presente(options.module, ...a),
      kazzSonPret: () => (son.noeud ? 1 : 0),
      kazzSonManque: () => Math.max(0, AVANCE - (son.postes - son.joues)),
      kazzSonBloc: (ptr, paires) => blocSon(options.module, ptr, paires),
      kazzScene: (n, nom, rafraichissement) => {
        stats.scenes.push({ numero: n, nom, t: performance.now(), rafraichissement });
        if (virtuel) virtuelle.scene = n;
      },
      kazzTrame: (index, ptr, l, h) => virtuelle.trame(options.module, index, ptr, l, h),
      kazzJournal: (texte, n) => virtuelle.termine(texte, n),
      onExit: (statut) => termine(statut),
      onAbort: (quoi) => termine(-1, String(quoi)),
    };
    return Kazzmot(options).then((M) => {
      options.module = M;
      enCours = M;
      // With the native pictures, every refresh is offered and those pictures are compared.
      M._KazzPrepare(virtuel ? 1 : 0, virtuelle.natifs ? 1 : pasTrames);
      M.callMain([]);
    });
  }

  function termine(statut, raison) {
    if (stats.fin !== null) return;
    stats.fin = performance.now();
    stats.statut = statut;
    enCours = null;
    if (virtuel) return;
    if (son.ctx) son.ctx.suspend();
    document.getElementById('fin-texte').textContent =
      statut === 0 ? 'the end' : 'the production stopped (status ' + statut + ')';
    document.getElementById('erreur').textContent = statut === 0 ? '' : (raison || sortieErreur);
    fin.hidden = false;
  }

  // ---- Start: a click or a key on the start card (a gesture, so sound may start).
  let demarre = false;
  let attendu = false;  // clicked before the download ended: start as soon as it has
  async function demarre_() {
    if (demarre) return;
    if (!donnees) {
      // The gesture lets the sound start now; the production follows the download.
      attendu = true;
      appel.textContent = 'starting as soon as it is loaded…';
      if (!son.ouverture) son.ouverture = ouvreSon();
      return;
    }
    demarre = true;
    stats.clic = performance.now();
    depart.hidden = true;
    if (!son.ouverture) son.ouverture = ouvreSon();
    await son.ouverture;
    if (son.ctx) await son.ctx.resume().catch(() => {});
    son.postes = son.joues = 0;
    await lance();
  }
  depart.addEventListener('click', demarre_);
  document.getElementById('encore').addEventListener('click', async (e) => {
    e.stopPropagation();
    fin.hidden = true;
    demarre = false;
    stats.presents = []; stats.scenes = []; stats.premiereImage = null;
    // A fresh sound node: whatever the last run left queued is dropped.
    if (son.ctx) { if (son.noeud) son.noeud.disconnect(); son.ctx.close(); }
    son.noeud = null; son.ctx = null;
    son.ouverture = null;
    await demarre_();
  });
  addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.metaKey || /^F[0-9]+$/.test(e.code)) return;  // the browser's own keys
    if (enCours) {
      e.preventDefault();
      if (!e.repeat) enCours._KazzTouche(1, symbole(e));
    } else if (!depart.hidden && !virtuel) {
      e.preventDefault();
      demarre_();
    }
  });
  addEventListener('keyup', (e) => {
    if (enCours) { e.preventDefault(); enCours._KazzTouche(0, symbole(e)); }
  });

  // ---- The virtual run of the tests.
  const virtuelle = {
    scene: 0, debut: 0, natifs: null, comparaison: {}, trames: 0,
    trame(M, index, ptr, l, h) {
      if (index % 600 === 0) chargement.textContent = 'virtual run: refresh ' + index;
      if (!this.natifs || !this.natifs.has(index)) return;
      this.trames++;
      const web = new Uint16Array(M.HEAPU8.buffer, ptr, l * h);
      const cle = 's' + this.scene;
      const c = this.comparaison[cle] || (this.comparaison[cle] = {
        scene: this.scene, trames: 0, tramesDifferentes: 0, pixels: 0, pireEcart: 0, horsTolerance: 0,
      });
      c.trames++;
      const rec = this.natifs.get(index);
      if (rec.scene !== this.scene) { c.manquantes = (c.manquantes || 0) + 1; return; }
      let differents = 0;
      for (let i = 0; i < web.length; ++i) {
        const a = web[i], b = rec.pixels[i];
        if (a === b) continue;
        differents++;
        const e = Math.max(Math.abs((a >> 11) - (b >> 11)), Math.abs(((a >> 5) & 63) - ((b >> 5) & 63)),
          Math.abs((a & 31) - (b & 31)));
        if (e > c.pireEcart) c.pireEcart = e;
        if (e > 1 && c.horsTolerance++ < 8) {
          (c.exemples || (c.exemples = [])).push({ index, x: i % l, y: Math.floor(i / l), web: a, natif: b });
        }
      }
      if (differents) { c.tramesDifferentes++; c.pixels += differents; }
    },
    termine(texte, rafraichissements) {
      window.kazzVirtuel = {
        fini: true, journal: texte, rafraichissements, duree: performance.now() - this.debut,
        trames: this.trames, comparaison: this.comparaison, natifs: this.natifs ? this.natifs.size : 0,
      };
      chargement.textContent = 'virtual run done: ' + rafraichissements + ' refreshes in ' +
        (window.kazzVirtuel.duree / 1000).toFixed(1) + ' s';
    },
  };
  async function chargeNatifs(url) {
    const r = await fetch(url);
    if (!r.ok) throw new Error(url + ': ' + r.status);
    const tout = await r.arrayBuffer();
    const taille = 8 + 640 * 480 * 2;
    const natifs = new Map();
    for (let p = 0; p + taille <= tout.byteLength; p += taille) {
      const entete = new Uint32Array(tout, p, 2);
      natifs.set(entete[0], { scene: entete[1], pixels: new Uint16Array(tout, p + 8, 640 * 480) });
    }
    return natifs;
  }

  // ---- Start-up: fetch everything, then wait for the click.
  (async () => {
    try {
      const parts = [{ recu: 0, total: 0 }, { recu: 0, total: 0 }];
      const [wasm, data] = await Promise.all([
        telecharge('kazzmot.wasm', parts, 0), telecharge('kazzmot.data', parts, 1)]);
      donnees = { wasm, data };
      stats.pret = true;
      barre.style.width = '100%';
      if (virtuel) {
        appel.textContent = 'virtual test run';
        if (fichierNatif) virtuelle.natifs = await chargeNatifs(fichierNatif);
        virtuelle.debut = performance.now();
        await lance();
      } else {
        chargement.textContent = 'ready';
        if (attendu) demarre_();
      }
    } catch (e) {
      chargement.textContent = 'cannot load: ' + e.message;
      window.kazzVirtuel = { fini: true, erreur: String(e) };
    }
  })();
})();
