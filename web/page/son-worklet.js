// Plays the production's music: blocks of stereo samples posted by the page,
// in order, silence when none is there. A new start (the page's output has
// just begun to run) drops what is queued and may first play some silence or
// skip some samples, so that the music lines up with the pictures. Reports
// how many samples it has played since that start, how many it lacked, and
// the loudest sample so far.
class KazzmotSon extends AudioWorkletProcessor {
  constructor() {
    super();
    this.blocs = [];
    this.lu = 0;
    this.generation = 0;
    this.silence = 0;
    this.saute = 0;
    this.joues = 0;
    this.manques = 0;
    this.crete = 0;
    this.depuisRapport = 0;
    this.port.onmessage = (e) => {
      const m = e.data;
      if (m.generation !== undefined) {
        this.blocs = [];
        this.lu = 0;
        this.generation = m.generation;
        this.silence = m.silence;
        this.saute = m.saute;
        this.joues = 0;
        this.manques = 0;
      } else {
        this.blocs.push(m);
      }
    };
  }
  process(entrees, sorties) {
    const g = sorties[0][0], d = sorties[0][1] || sorties[0][0];
    for (let i = 0; i < g.length; ++i) {
      while (this.saute > 0 && this.blocs.length) {
        const n = Math.min(this.saute, this.blocs[0].g.length - this.lu);
        this.saute -= n;
        this.lu += n;
        if (this.lu === this.blocs[0].g.length) { this.blocs.shift(); this.lu = 0; }
      }
      const bloc = this.blocs[0];
      if (this.silence > 0 || !bloc || this.saute > 0) {
        g[i] = 0; d[i] = 0;
        if (this.silence > 0) { this.silence--; this.joues++; } else if (this.joues > 0) this.manques++;
        continue;
      }
      g[i] = bloc.g[this.lu]; d[i] = bloc.d[this.lu];
      const a = Math.abs(g[i]);
      if (a > this.crete) this.crete = a;
      this.joues++;
      if (++this.lu === bloc.g.length) { this.blocs.shift(); this.lu = 0; }
    }
    this.depuisRapport += g.length;
    if (this.depuisRapport >= 2048) {
      this.depuisRapport = 0;
      this.port.postMessage({ generation: this.generation, joues: this.joues, manques: this.manques, crete: this.crete });
    }
    return true;
  }
}
registerProcessor('kazzmot-son', KazzmotSon);
