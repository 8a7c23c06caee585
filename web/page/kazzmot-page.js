// The page of the browser build: downloads the program and its data with a
// progress bar and readies it, starts the production on a click, a key or a
// tap, shows its pictures on the canvas, hands it the keys and the touches,
// plays its music when the browser's audio runs, pauses it with the page
// hidden, and shows the end card when it ends or cannot start.
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
  const muet = document.getElementById('muet');
  const fermer = document.getElementById('fermer');
  const encore = document.getElementById('encore');

  // What the tests read.
  const stats = window.kazzStats = {
    pret: false, clic: null, premiereImage: null, presents: [], pauses: [], pas: 0, sautes: 0,
    taches: [], scenes: [], reperes: [], fin: null, statut: null, erreur: null, tranches: [], reprises: 0,
    trancheMax: { debut: 0, duree: 0 }, cachee: [],
    son: { etat: 'none', actif: false, muet: false, joues: 0, manques: 0, crete: 0, postes: 0, decalage: null },
  };

  // ---- The production's clock: the page's, standing still while the page is
  // hidden, from the production's first look at it.
  let cachee = false, debutCache = 0, tempsCache = 0, origine = null;
  function horloge() { return (cachee ? debutCache : performance.now()) - tempsCache; }

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

  function pleinEcran() {
    const racine = document.documentElement;
    if (!racine.requestFullscreen) return;
    racine.requestFullscreen().then(() => {
      // A phone turns to landscape where it lets a page ask.
      if (screen.orientation && screen.orientation.lock) screen.orientation.lock('landscape').catch(() => {});
    }).catch(() => {});
  }
  document.getElementById('plein').addEventListener('click', (e) => {
    e.stopPropagation();
    if (document.fullscreenElement) document.exitFullscreen();
    else pleinEcran();
  });

  // ---- Long tasks: the real-time test allows none over 50 ms after start-up.
  try {
    new PerformanceObserver((liste) => {
      for (const t of liste.getEntries()) stats.taches.push({ debut: t.startTime, duree: t.duration });
    }).observe({ entryTypes: ['longtask'] });
  } catch (e) { /* not offered by this browser */ }

  // ---- A failure names its file: the end card, status 1, as the native
  // program's message.
  class Echec extends Error {}
  function echec(fichier, quoi) { return new Echec(fichier + ': ' + quoi); }

  // ---- Download with progress. A part's size is known from Content-Length
  // only when the body comes as it was sent: a host that compresses it (gzip,
  // brotli) gives the compressed length while the page counts the bytes
  // unpacked. Then the data's size is the one its package list gives (in
  // kazzmot.js), and a part of unknown size counts as what it has received,
  // at least its compressed length: the bar never passes its end.
  function tailleAnnoncee(reponse, url) {
    const longueur = +reponse.headers.get('Content-Length') || 0;
    const codage = (reponse.headers.get('Content-Encoding') || 'identity').trim().toLowerCase();
    if (codage === 'identity') return longueur;
    return (url === 'kazzmot.data' && taillePaquet()) || longueur;
  }
  function taillePaquet() {
    if (typeof Kazzmot !== 'function') return 0;
    const m = /remote_package_size["']?\s*:\s*(\d+)/.exec(Function.prototype.toString.call(Kazzmot));
    return m ? +m[1] : 0;
  }
  async function telecharge(url, parts, indice) {
    let reponse;
    try {
      reponse = await fetch(url);
    } catch (e) {
      throw echec(url, 'cannot be downloaded (' + e.message + ')');
    }
    if (!reponse.ok) {
      throw echec(url, (reponse.status === 404 ? 'not found on the server' : 'refused by the server') +
        ' (HTTP ' + reponse.status + (reponse.statusText ? ' ' + reponse.statusText : '') + ')');
    }
    parts[indice].total = tailleAnnoncee(reponse, url);
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
    parts[indice].fini = true;
    progression(parts);
    const tout = new Uint8Array(recu);
    let p = 0;
    for (const m of morceaux) { tout.set(m, p); p += m.length; }
    return tout.buffer;
  }
  function progression(parts) {
    let recu = 0, total = 0;
    for (const q of parts) {
      recu += q.recu;
      // A finished part is all there is of it; a size that proves wrong
      // (more received than announced) gives way to what has come.
      total += q.fini ? q.recu : Math.max(q.total, q.recu);
    }
    const part = total ? 100 * recu / total : 0;
    barre.style.width = part.toFixed(1) + '%';
    chargement.textContent = 'loading… ' + (recu / 1048576).toFixed(1) + ' / ' + (total / 1048576).toFixed(1) + ' MB';
  }

  // Every slice of the program's work runs from a resume to its next yield;
  // the long ones are kept for the tests. The program's exit() unwinds through
  // whichever callback resumed it: not an error.
  function reprend(reprise) {
    stats.reprises++;
    const t0 = performance.now();
    try { reprise(); } catch (e) { if (!(e && e.name === 'ExitStatus')) throw e; }
    const duree = performance.now() - t0;
    if (duree > stats.trancheMax.duree) stats.trancheMax = { debut: t0, duree };
    if (duree > 20) stats.tranches.push({ debut: t0, duree });
  }
  // ---- Yields: a message to ourselves comes back at once, unlike a timer.
  // While the page is hidden they are held.
  const canal = new MessageChannel();
  const reprises = [];
  canal.port1.onmessage = () => {
    if (cachee) return;
    const r = reprises.shift();
    if (r) reprend(r);
  };
  function cede(reprise) { reprises.push(reprise); if (!cachee) canal.port2.postMessage(0); }

  // ---- Presents. Two times meet here, both in milliseconds:
  //  - the clock (`horloge()`, read as `tHorloge`): the page's, standing
  //    still while the page is hidden; the production reads it, and the page
  //    waits on it;
  //  - the timeline (`tDeroule`): where the production's steps stand, a
  //    60 Hz grid counted from the production's first clock read
  //    (`origine`). It is the clock less how late the last present was let
  //    go (`retardLibere`), so that waiting for the display never costs a
  //    step.
  // A present made at timeline time tDeroule falls due at the next step,
  // `pasDeroule`, which is held until clock time `echeanceHorloge` =
  // origine + pasDeroule * PERIODE: until the animation frame nearest that
  // moment, or let go at once when the moment has passed (a display slower
  // than 60 Hz, or a slow frame). The display then shows fewer pictures, and
  // the timeline never slows. Pictures are drawn at animation frames, the
  // latest one each time.
  const PERIODE = 1000 / 60;
  const TOLERANCE = PERIODE / 4;  // a frame this early still takes the present
  let echeanceHorloge = null;  // the clock time at which the present in hand falls due
  let pasDeroule = -1;         // its step of the timeline, from the production's first clock read
  let retardLibere = 0;        // how late, on the clock, the last present was let go
  let enAttente = null;  // the production, held until its present falls due
  let zone = null;       // the part of the canvas changed since the last drawing
  let attenteDepuis = false;  // the production paused (over 50 ms between two presents) since then
  let liberation = null;      // when the production last got control back from a present
  let imageDemandee = false;
  let image = null, tampon = null, adresse = 0;
  function libere(reprise, tHorloge, depuisPresent) {
    retardLibere = tHorloge - echeanceHorloge;
    // Over a second behind (the machine stalled): the timeline takes up the
    // clock again, from now, rather than racing to catch up.
    if (retardLibere > 1000) retardLibere = 0;
    liberation = performance.now();
    // From a present, through a yield (the production's work waits for the
    // page's turn); from an animation frame, at once.
    if (depuisPresent) cede(reprise); else reprend(reprise);
  }
  function presente(M, ptr, largeur, hauteur, x, y, l, h, reprise) {
    const tHorloge = horloge();
    stats.pas++;
    if (liberation !== null && performance.now() - liberation > 50) attenteDepuis = true;
    if (canvas.width !== largeur || canvas.height !== hauteur) {
      canvas.width = largeur; canvas.height = hauteur; ajuste();
    }
    if (!image || tampon !== M.HEAPU8.buffer || adresse !== ptr || image.width !== largeur) {
      tampon = M.HEAPU8.buffer; adresse = ptr;
      image = new ImageData(new Uint8ClampedArray(tampon, ptr, largeur * hauteur * 4), largeur, hauteur);
    }
    if (l > 0 && h > 0) {
      if (!zone) zone = { x0: x, y0: y, x1: x + l, y1: y + h };
      else {
        zone.x0 = Math.min(zone.x0, x); zone.y0 = Math.min(zone.y0, y);
        zone.x1 = Math.max(zone.x1, x + l); zone.y1 = Math.max(zone.y1, y + h);
      }
    }
    // Each present takes a step of its own, however short the work before it
    // looked on a coarse clock (Firefox gives whole milliseconds).
    const o = origine || 0;
    const tDeroule = tHorloge - retardLibere - o;
    pasDeroule = Math.max(pasDeroule + 1, Math.floor(tDeroule / PERIODE) + 1);
    echeanceHorloge = o + pasDeroule * PERIODE;
    demandeImage();
    if (tHorloge >= echeanceHorloge - TOLERANCE) {
      // Due within a quarter step, or already past (counted): let go now,
      // the picture shows at the next frame.
      if (tHorloge > echeanceHorloge) stats.sautes++;
      libere(reprise, tHorloge, true);
    } else {
      // Early: held until the frame nearest the step.
      enAttente = reprise;
    }
  }
  function demandeImage() {
    if (!imageDemandee && !cachee) { imageDemandee = true; requestAnimationFrame(dessine); }
  }
  function dessine() {
    imageDemandee = false;
    // Hidden since it was asked for: the showing again asks anew.
    if (cachee) return;
    if (zone) {
      ctx.putImageData(image, 0, 0, zone.x0, zone.y0, zone.x1 - zone.x0, zone.y1 - zone.y0);
      zone = null;
      const t = performance.now();
      if (stats.premiereImage === null) stats.premiereImage = t;
      stats.presents.push(t);
      stats.pauses.push(attenteDepuis);
      attenteDepuis = false;
    }
    if (enAttente) {
      const tHorloge = horloge();
      if (tHorloge >= echeanceHorloge - TOLERANCE) {
        // This frame is the nearest the step: the held present goes.
        const r = enAttente;
        enAttente = null;
        libere(r, tHorloge, false);
      } else {
        // Still early: the next frame.
        demandeImage();
      }
    }
  }

  // ---- Sound: an AudioWorklet fed by the program with blocks of 4096
  // samples. The production never waits for it: while the output does not
  // run, the music's blocks are dropped at the pace of the production's clock;
  // when it starts running, the music joins where the pictures are.
  const son = {
    ctx: null, noeud: null, ouvert: false, actif: false, postes: 0, joues: 0, generation: 0,
    debutMusique: null, rendus: 0, depart: 0,
  };
  const AVANCE = 3 * 4096;  // samples queued ahead of the speakers
  const ECHANTILLONS_MS = 44.1;
  // Without an audio worklet (browsers give one only to secure pages: https
  // or localhost, not plain http from another address) the production plays
  // silently and says why.
  const MUET_SORTIE = muet.textContent;
  const MUET_SANS_WORKLET = window.isSecureContext === false
    ? 'no sound: browsers play this music only on a secure address (https or localhost)'
    : 'no sound: this browser has no audio worklets';
  function ouvreSon() {
    muet.textContent = MUET_SORTIE;
    const Contexte = window.AudioContext || window.webkitAudioContext;
    if (!Contexte || typeof AudioWorkletNode !== 'function' || !('audioWorklet' in Contexte.prototype)) {
      muet.textContent = Contexte ? MUET_SANS_WORKLET : 'no sound: this browser has no audio output';
      stats.son.etat = 'no worklet';
      console.warn(muet.textContent);
      return;
    }
    let c;
    try {
      c = son.ctx = new Contexte({ sampleRate: 44100, latencyHint: 'interactive' });
    } catch (e) {
      console.warn('no sound: ' + e);
      return;
    }
    // Asked within the gesture; whether and when it runs is the browser's business.
    c.resume().catch(() => {});
    c.onstatechange = () => etatSon(c);
    c.audioWorklet.addModule('son-worklet.js').then(() => {
      if (son.ctx !== c) return;
      son.noeud = new AudioWorkletNode(c, 'kazzmot-son', { outputChannelCount: [2] });
      son.noeud.connect(c.destination);
      son.noeud.port.onmessage = (e) => {
        if (e.data.generation !== son.generation) return;
        son.joues = e.data.joues;
        Object.assign(stats.son, e.data);
      };
      etatSon(c);
    }).catch((e) => console.warn('no sound: ' + e));
  }
  // Called on every change of the output's state, when the worklet is ready,
  // and when the page shows again: a context that started running while the
  // page was hidden fires no event when shown.
  function etatSon(c) {
    if (son.ctx !== c) return;
    stats.son.etat = c.state;
    if (c.state === 'running' && son.noeud && !son.actif && !cachee) rejoint();
    // The output stopped on its own (not by the page's hiding): silently on.
    else if (c.state !== 'running' && son.actif && !cachee) silencieux();
  }
  function silencieux() {
    son.actif = stats.son.actif = false;
    if (enCours) { muet.hidden = false; stats.son.muet = true; }
  }
  // The output runs: its queue starts from the music's present moment.
  function rejoint() {
    const du = son.debutMusique === null ? 0 : Math.round((horloge() - son.debutMusique) * ECHANTILLONS_MS);
    // The blocks already made run ahead of the moment by `avance` samples
    // (played as silence first), or behind it (skipped).
    const avance = son.rendus - du;
    son.generation++;
    son.noeud.port.postMessage({ generation: son.generation, silence: Math.max(0, avance), saute: Math.max(0, -avance) });
    son.depart = du;
    son.postes = son.joues = 0;
    son.actif = stats.son.actif = true;
    stats.son.joues = 0;
    muet.hidden = true;
    stats.son.muet = false;
  }
  function sonManque() {
    const t = horloge();
    if (son.debutMusique === null) { son.debutMusique = t; son.rendus = 0; }
    if (son.actif) return Math.max(0, AVANCE - (son.postes - son.joues));
    return Math.max(0, Math.round((t - son.debutMusique) * ECHANTILLONS_MS) - son.rendus);
  }
  function blocSon(M, ptr, paires) {
    son.rendus += paires;
    if (!son.actif) return;
    const s = new Int16Array(M.HEAPU8.buffer, ptr, paires * 2);
    const g = new Float32Array(paires), d = new Float32Array(paires);
    for (let i = 0; i < paires; ++i) { g[i] = s[2 * i] / 32768; d[i] = s[2 * i + 1] / 32768; }
    son.noeud.port.postMessage({ g, d }, [g.buffer, d.buffer]);
    son.postes += paires;
    stats.son.postes = son.postes;
  }
  // How far the music heard is ahead of the pictures, in ms (null: no music playing).
  stats.decalageSon = () => {
    if (!son.actif || son.debutMusique === null) return null;
    return (son.depart + son.joues) / ECHANTILLONS_MS - (horloge() - son.debutMusique);
  };
  function fermeSon() {
    if (son.ctx) { if (son.noeud) son.noeud.disconnect(); son.ctx.close().catch(() => {}); }
    son.ctx = son.noeud = null;
    son.actif = stats.son.actif = son.ouvert = false;
  }

  // ---- A hidden page pauses: the clock stands still, the yields and the
  // pictures are held, and the music stops where it is.
  document.addEventListener('visibilitychange', () => {
    const tPage = performance.now();
    if (document.hidden && !cachee) {
      cachee = true;
      debutCache = tPage;
      stats.cachee.push({ debut: tPage, fin: null });
      if (son.actif && son.ctx) son.ctx.suspend().catch(() => {});
    } else if (!document.hidden && cachee) {
      cachee = false;
      tempsCache += tPage - debutCache;
      stats.cachee[stats.cachee.length - 1].fin = tPage;
      if (son.ctx) {
        const c = son.ctx;
        // Suspended on hiding, or not yet running: asked to run, and looked
        // at once it does. Already running (it started, or the worklet became
        // ready, while the page was hidden): the music joins wherever the
        // output stands.
        c.resume().then(() => etatSon(c), () => {});
        if (c.state === 'running') etatSon(c);
        // An output that does not come back: the music goes on silently.
        setTimeout(() => { if (son.ctx === c && son.actif && !cachee && c.state !== 'running') silencieux(); }, 1000);
      }
      for (let i = 0; i < reprises.length; ++i) canal.port2.postMessage(0);
      if (enAttente || zone) demandeImage();
    }
  });

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
  // A key pressed and released on the production's behalf.
  function frappe(sym) {
    if (!enCours) return;
    const M = enCours;
    M._KazzTouche(1, sym);
    setTimeout(() => { if (enCours === M) M._KazzTouche(0, sym); }, 60);
  }

  // ---- The program: compiled and readied while the start card shows, run at
  // the click.
  let enCours = null;   // the running program's module
  let pret = null;      // a promise of the next module, readied
  let donnees = null;   // { wasm: compiled module, data }
  let sortieErreur = '';
  let options = null;

  function prepare() {
    const o = {
      noInitialRun: true,
      instantiateWasm: (imports, rappel) => {
        WebAssembly.instantiate(donnees.wasm, imports).catch((e) => {
          throw echec('kazzmot.wasm', 'cannot run (' + e.message + ')');
        }).then((i) => rappel(i)).catch(erreurChargement);
        return {};
      },
      getPreloadedPackage: (nom, taille) => {
        if (donnees.data.byteLength !== taille) {
          throw echec('kazzmot.data', 'damaged: ' + donnees.data.byteLength + ' bytes, ' + taille + ' expected');
        }
        return donnees.data;
      },
      locateFile: (f) => f,
      print: (t) => console.log(t),
      printErr: (t) => { console.warn(t); sortieErreur += t + '\n'; },
      // The production's clock: the page's, from its first read, where the
      // timeline's steps start too.
      kazzHorloge: () => {
        const tHorloge = horloge();
        if (origine === null) { origine = tHorloge; pasDeroule = -1; }
        return tHorloge - origine;
      },
      kazzCede: cede,
      kazzPresente: (...a) => presente(o.module, ...a),
      kazzSonManque: sonManque,
      kazzSonBloc: (ptr, paires) => blocSon(o.module, ptr, paires),
      kazzScene: (n, nom, rafraichissement) => {
        stats.scenes.push({ numero: n, nom, t: performance.now(), rafraichissement });
        if (virtuel) virtuelle.scene = n;
      },
      kazzRepere: (nom, rafraichissement) => {
        stats.reperes.push({ nom, t: virtuel ? rafraichissement * PERIODE : horloge() - origine });
      },
      kazzTrame: (index, ptr, l, h) => virtuelle.trame(o.module, index, ptr, l, h),
      kazzJournal: (texte, n) => virtuelle.termine(texte, n),
      onExit: (statut) => termine(statut),
      onAbort: (quoi) => termine(1, String(quoi)),
    };
    try {
      return Kazzmot(o).then((M) => { o.module = M; return { M, o }; });
    } catch (e) {
      return Promise.reject(e);
    }
  }

  async function lance() {
    sortieErreur = '';
    echeanceHorloge = null; pasDeroule = -1; retardLibere = 0; zone = null; enAttente = null; liberation = null;
    origine = null;
    image = null;
    son.debutMusique = null; son.rendus = 0;
    stats.fin = null; stats.statut = null;
    const { M, o } = await (pret || prepare());
    pret = null;
    options = o;
    enCours = M;
    // With the native pictures, every refresh is offered and those pictures are compared.
    M._KazzPrepare(virtuel ? 1 : 0, virtuelle.natifs ? 1 : pasTrames);
    if (!virtuel) fermer.hidden = false;
    M.callMain([]);
  }

  function termine(statut, raison) {
    if (stats.fin !== null || !options) return;
    stats.fin = performance.now();
    stats.statut = statut;
    enCours = null;
    options = null;
    if (virtuel) return;
    fermeSon();
    fermer.hidden = true;
    muet.hidden = true;
    montreFin(statut, statut === 0 ? '' : (raison || sortieErreur));
    // The next run readied while the end card shows.
    pret = prepare();
    pret.catch(() => {});
  }
  function montreFin(statut, texte) {
    document.getElementById('fin-texte').textContent =
      statut === 0 ? 'the end' : 'the production stopped (status ' + statut + ')';
    document.getElementById('erreur').textContent = texte;
    depart.hidden = true;
    fin.hidden = false;
  }
  // The program or its data cannot be had: named on the end card, and the
  // button loads the page again.
  let chargementRate = false;
  function erreurChargement(e) {
    if (chargementRate) return;
    chargementRate = true;
    const message = e instanceof Echec ? e.message : 'the program cannot start (' + (e && e.message || e) + ')';
    console.error(message);
    stats.fin = performance.now();
    stats.statut = 1;
    stats.erreur = message;
    enCours = null;
    fermer.hidden = true;
    chargement.textContent = 'cannot load';
    encore.textContent = 'load again';
    montreFin(1, message);
    window.kazzVirtuel = { fini: true, erreur: message };
  }

  // ---- Start: a click, a key or a tap on the start card (a gesture, so
  // sound may start).
  let demarre = false;
  let attendu = false;  // asked before the download ended: start as soon as it has
  let toucher = false;  // started by a touch: a phone, full screen
  function demarre_() {
    if (demarre || chargementRate) return;
    // The sound is opened within the gesture, once a run; whatever it does,
    // the production starts.
    if (!son.ouvert) {
      son.ouvert = true;
      try { ouvreSon(); } catch (e) { console.warn('no sound: ' + e); }
    }
    if (toucher) pleinEcran();
    if (!donnees) {
      attendu = true;
      appel.textContent = 'starting as soon as it is loaded…';
      return;
    }
    demarre = true;
    stats.clic = performance.now();
    depart.hidden = true;
    // Sound or not, the production starts now; a second later the page says
    // discreetly that it plays without.
    setTimeout(() => {
      if (enCours && !son.actif) { muet.hidden = false; stats.son.muet = true; }
    }, 1000);
    lance().catch(erreurChargement);
  }
  depart.addEventListener('click', demarre_);
  depart.addEventListener('touchend', (e) => { e.preventDefault(); toucher = true; demarre_(); });
  encore.addEventListener('click', (e) => {
    e.stopPropagation();
    if (chargementRate) { location.reload(); return; }
    fin.hidden = true;
    demarre = false;
    stats.presents = []; stats.pauses = []; stats.scenes = []; stats.reperes = []; stats.premiereImage = null;
    stats.pas = 0; stats.sautes = 0;
    fermeSon();
    demarre_();
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

  // ---- Touch while it plays: a tap is a key (it cuts the running effect
  // short), two fingers or a long press is Escape, as is the close control.
  // Nothing scrolls or zooms.
  const APPUI_LONG = 600;
  let appui = null;
  fermer.addEventListener('click', (e) => { e.stopPropagation(); frappe(27); });
  addEventListener('touchstart', (e) => {
    if (!enCours || e.target.closest('button')) return;
    e.preventDefault();
    if (appui) clearTimeout(appui.minuterie);
    if (e.touches.length >= 2) { appui = null; frappe(27); return; }
    appui = { minuterie: setTimeout(() => { appui = null; frappe(27); }, APPUI_LONG) };
  }, { passive: false });
  addEventListener('touchend', (e) => {
    if (!enCours || e.target.closest('button')) return;
    e.preventDefault();
    if (appui && e.touches.length === 0) { clearTimeout(appui.minuterie); appui = null; frappe(32); }
  }, { passive: false });
  addEventListener('touchmove', (e) => { if (enCours) e.preventDefault(); }, { passive: false });

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
        reperes: stats.reperes,
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

  // ---- Start-up: fetch and ready everything, then wait for the click.
  (async () => {
    try {
      if (typeof Kazzmot !== 'function') {
        throw echec('kazzmot.js', 'missing or damaged (the page could not run it)');
      }
      const parts = [{ recu: 0, total: 0 }, { recu: 0, total: 0 }];
      const [wasm, data] = await Promise.all([
        telecharge('kazzmot.wasm', parts, 0).then((octets) => WebAssembly.compile(octets).catch((e) => {
          throw echec('kazzmot.wasm', 'not a program this browser can run (' + e.message + ')');
        })),
        telecharge('kazzmot.data', parts, 1)]);
      donnees = { wasm, data };
      // Readied now: a damaged data file is named before the click.
      pret = prepare();
      await pret;
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
      erreurChargement(e);
    }
  })();
})();
