// Plays the production's music: blocks of stereo samples posted by the page,
// in order, silence when none is there. Reports how many samples it has
// played, how many it lacked, and the loudest sample so far.
class KazzmotSon extends AudioWorkletProcessor {
  constructor() {
    super();
    this.blocs = [];
    this.lu = 0;
    this.joues = 0;
    this.manques = 0;
    this.crete = 0;
    this.depuisRapport = 0;
    this.port.onmessage = (e) => { this.blocs.push(e.data); };
  }
  process(entrees, sorties) {
    const g = sorties[0][0], d = sorties[0][1] || sorties[0][0];
    for (let i = 0; i < g.length; ++i) {
      const bloc = this.blocs[0];
      if (!bloc) {
        g[i] = 0; d[i] = 0;
        if (this.joues > 0) this.manques++;
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
      this.port.postMessage({ joues: this.joues, manques: this.manques, crete: this.crete });
    }
    return true;
  }
}
registerProcessor('kazzmot-son', KazzmotSon);
