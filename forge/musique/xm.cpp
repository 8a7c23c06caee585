// Byte-exact writer and checking reader of the extended-module format.
#include "xm.h"

#include <cmath>
#include <cstring>

namespace {

constexpr char kSignature[] = "Extended Module: ";  // 17 bytes, no terminator written
constexpr uint16_t kVersion = 0x0104;
constexpr uint32_t kTailleEntete = 276;  // from the header-size field to the end of the order table
constexpr uint32_t kTailleEnteteMotif = 9;
constexpr uint32_t kTailleInstrument = 263;  // instrument header with its sample map and envelopes
constexpr uint32_t kTailleEnteteEchantillon = 40;

void Octet(std::vector<uint8_t>* f, uint8_t v) {
    f->push_back(v);
}

void Mot(std::vector<uint8_t>* f, uint16_t v) {
    f->push_back(static_cast<uint8_t>(v & 0xFF));
    f->push_back(static_cast<uint8_t>(v >> 8));
}

void Long(std::vector<uint8_t>* f, uint32_t v) {
    for (int i = 0; i < 4; ++i) f->push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

// A fixed-size text field, padded with zero bytes, cut when too long.
void Texte(std::vector<uint8_t>* f, const std::string& s, size_t taille) {
    for (size_t i = 0; i < taille; ++i) f->push_back(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
}

void Zeros(std::vector<uint8_t>* f, size_t n) {
    f->insert(f->end(), n, 0);
}

bool Echec(std::string* erreur, const std::string& pourquoi) {
    if (erreur) *erreur = pourquoi;
    return false;
}

// Packs one cell: an empty cell is one byte, a full one its five raw bytes, any
// other a flag byte naming the fields that follow.
void PackeCase(std::vector<uint8_t>* f, const CaseXM& c) {
    uint8_t masque = 0x80;
    if (c.note) masque |= 0x01;
    if (c.instrument) masque |= 0x02;
    if (c.volume) masque |= 0x04;
    if (c.effet) masque |= 0x08;
    if (c.parametre) masque |= 0x10;
    if (masque == 0x9F) {
        Octet(f, c.note);
        Octet(f, c.instrument);
        Octet(f, c.volume);
        Octet(f, c.effet);
        Octet(f, c.parametre);
        return;
    }
    Octet(f, masque);
    if (c.note) Octet(f, c.note);
    if (c.instrument) Octet(f, c.instrument);
    if (c.volume) Octet(f, c.volume);
    if (c.effet) Octet(f, c.effet);
    if (c.parametre) Octet(f, c.parametre);
}

bool EcritMotif(std::vector<uint8_t>* f, const MotifXM& m, uint16_t canaux, size_t numero,
                std::string* erreur) {
    const std::string qui = "pattern " + std::to_string(numero);
    if (m.lignes < 1 || m.lignes > 256)
        return Echec(erreur, qui + ": " + std::to_string(m.lignes) + " rows, expected 1 to 256");
    if (m.cases.size() != size_t(m.lignes) * canaux)
        return Echec(erreur, qui + ": " + std::to_string(m.cases.size()) + " cells, expected " +
                                 std::to_string(size_t(m.lignes) * canaux));
    std::vector<uint8_t> packe;
    for (const CaseXM& c : m.cases) {
        if (c.note > kNoteRelache)
            return Echec(erreur, qui + ": note " + std::to_string(c.note) + " above 97");
        std::string pourquoi;
        if (!CommandeValide(c, &pourquoi)) return Echec(erreur, qui + ": " + pourquoi);
        PackeCase(&packe, c);
    }
    if (packe.size() > 0xFFFF) return Echec(erreur, qui + ": packed data above 65535 bytes");
    Long(f, kTailleEnteteMotif);
    Octet(f, 0);
    Mot(f, m.lignes);
    Mot(f, static_cast<uint16_t>(packe.size()));
    f->insert(f->end(), packe.begin(), packe.end());
    return true;
}

bool EcritInstrument(std::vector<uint8_t>* f, const InstrumentXM& in, size_t numero,
                     std::string* erreur) {
    const std::string qui = "instrument " + std::to_string(numero) + " (" + in.nom + ")";
    if (in.enveloppe.size() > 12)
        return Echec(erreur, qui + ": " + std::to_string(in.enveloppe.size()) +
                                 " envelope points, at most 12");
    if (in.pointTenu >= int(in.enveloppe.size()))
        return Echec(erreur, qui + ": held point outside the envelope");
    for (size_t i = 0; i < in.enveloppe.size(); ++i) {
        if (in.enveloppe[i].niveau > 64) return Echec(erreur, qui + ": envelope level above 64");
        if (i > 0 && in.enveloppe[i].tick <= in.enveloppe[i - 1].tick)
            return Echec(erreur, qui + ": envelope points out of order");
    }
    if (in.echantillon.empty()) return Echec(erreur, qui + ": empty sample");
    if (in.echantillon.size() > 0x3FFFFFFF) return Echec(erreur, qui + ": sample too long");
    if (in.boucleLongueur > 0 && (in.boucleDebut >= in.echantillon.size() ||
                                  in.boucleLongueur > in.echantillon.size() - in.boucleDebut))
        return Echec(erreur, qui + ": loop outside the sample");
    if (in.volume > 64) return Echec(erreur, qui + ": volume above 64");

    const size_t debut = f->size();
    Long(f, kTailleInstrument);
    Texte(f, in.nom, 22);
    Octet(f, 0);
    Mot(f, 1);  // one sample
    Long(f, kTailleEnteteEchantillon);
    Zeros(f, 96);  // every note plays sample 0
    for (size_t i = 0; i < 12; ++i) {
        Mot(f, i < in.enveloppe.size() ? in.enveloppe[i].tick : 0);
        Mot(f, i < in.enveloppe.size() ? in.enveloppe[i].niveau : 0);
    }
    Zeros(f, 48);  // no panning envelope
    Octet(f, static_cast<uint8_t>(in.enveloppe.size()));
    Octet(f, 0);
    Octet(f, static_cast<uint8_t>(in.pointTenu < 0 ? 0 : in.pointTenu));
    Octet(f, 0);
    Octet(f, 0);
    Zeros(f, 3);
    uint8_t type = 0;
    if (in.enveloppe.size() >= 2) type |= 1;
    if (type && in.pointTenu >= 0) type |= 2;
    Octet(f, type);
    Octet(f, 0);
    if (in.vibratoForme > 3 || in.vibratoProfondeur > 15 || in.vibratoVitesse > 63)
        return Echec(erreur, qui + ": automatic vibrato outside its ranges");
    Octet(f, in.vibratoForme);
    Octet(f, in.vibratoMontee);
    Octet(f, in.vibratoProfondeur);
    Octet(f, in.vibratoVitesse);
    Mot(f, in.fondu);
    Zeros(f, kTailleInstrument - (f->size() - debut));

    const uint32_t octets = static_cast<uint32_t>(in.echantillon.size() * 2);
    Long(f, octets);
    Long(f, in.boucleLongueur ? in.boucleDebut * 2 : 0);
    Long(f, in.boucleLongueur * 2);
    Octet(f, in.volume);
    Octet(f, static_cast<uint8_t>(in.accordFin));
    Octet(f, static_cast<uint8_t>(0x10 | (in.boucleLongueur ? 1 : 0)));
    Octet(f, in.panoramique);
    Octet(f, static_cast<uint8_t>(in.noteRelative));
    Octet(f, 0);
    Texte(f, in.nom, 22);

    // Sample data as differences from the previous frame, wrapping in 16 bits.
    int16_t precedent = 0;
    for (int16_t v : in.echantillon) {
        Mot(f, static_cast<uint16_t>(static_cast<uint16_t>(v) - static_cast<uint16_t>(precedent)));
        precedent = v;
    }
    return true;
}

// Little-endian reads that fail past the end of the file.
struct Lecteur {
    const uint8_t* octets;
    size_t taille;
    size_t position;
    bool Reste(size_t n) const { return position <= taille && taille - position >= n; }
    uint8_t Octet() { return octets[position++]; }
    uint16_t Mot() {
        uint16_t v = static_cast<uint16_t>(octets[position] | (octets[position + 1] << 8));
        position += 2;
        return v;
    }
    uint32_t Long() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t(octets[position + i]) << (8 * i);
        position += 4;
        return v;
    }
};

}  // namespace

bool CommandeValide(const CaseXM& c, std::string* pourquoi) {
    // Effects 0..F, G and H (global volume), K (key off), L (envelope
    // position), P (panning slide), R (retrigger), T (tremor), X (extra-fine
    // portamento): every other number is unassigned.
    static const bool connus[0x22] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                      1, 0, 0, 1, 1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 1};
    if (c.effet >= 0x22 || !connus[c.effet])
        return Echec(pourquoi, "unassigned effect " + std::to_string(c.effet));
    if (c.effet == kEffetVitesse && c.parametre == 0)
        return Echec(pourquoi, "speed 0, which stops some players");
    if ((c.volume > 0 && c.volume < 0x10) || (c.volume > 0x50 && c.volume < kColonneGlisseBas))
        return Echec(pourquoi, "volume column byte " + std::to_string(c.volume) + " is undefined");
    return true;
}

bool EcritModuleXM(const ModuleXM* module, std::vector<uint8_t>* fichier, std::string* erreur) {
    const ModuleXM& m = *module;
    if (m.canaux < 2 || m.canaux > 32 || m.canaux % 2)
        return Echec(erreur, std::to_string(m.canaux) + " channels, expected an even count 2..32");
    if (m.motifs.empty() || m.motifs.size() > 256)
        return Echec(erreur, std::to_string(m.motifs.size()) + " patterns, expected 1 to 256");
    if (m.instruments.size() > 128)
        return Echec(erreur, std::to_string(m.instruments.size()) + " instruments, at most 128");
    if (m.ordre.empty() || m.ordre.size() > 256)
        return Echec(erreur, std::to_string(m.ordre.size()) + " order entries, expected 1 to 256");
    for (uint8_t o : m.ordre)
        if (o >= m.motifs.size())
            return Echec(erreur, "order names pattern " + std::to_string(o) + " of " +
                                     std::to_string(m.motifs.size()));
    if (m.vitesse < 1 || m.vitesse > 31) return Echec(erreur, "speed outside 1..31");
    if (m.bpm < 32 || m.bpm > 255) return Echec(erreur, "tempo outside 32..255");

    std::vector<uint8_t> f;
    f.insert(f.end(), kSignature, kSignature + 17);
    Texte(&f, m.nom, 20);
    Octet(&f, 0x1A);
    Texte(&f, "Kazzmot forge", 20);
    Mot(&f, kVersion);
    Long(&f, kTailleEntete);
    Mot(&f, static_cast<uint16_t>(m.ordre.size()));
    Mot(&f, 0);  // restart position
    Mot(&f, m.canaux);
    Mot(&f, static_cast<uint16_t>(m.motifs.size()));
    Mot(&f, static_cast<uint16_t>(m.instruments.size()));
    Mot(&f, 1);  // linear frequency table
    Mot(&f, m.vitesse);
    Mot(&f, m.bpm);
    for (size_t i = 0; i < 256; ++i) Octet(&f, i < m.ordre.size() ? m.ordre[i] : 0);
    for (size_t i = 0; i < m.motifs.size(); ++i)
        if (!EcritMotif(&f, m.motifs[i], m.canaux, i, erreur)) return false;
    for (size_t i = 0; i < m.instruments.size(); ++i)
        if (!EcritInstrument(&f, m.instruments[i], i + 1, erreur)) return false;
    fichier->swap(f);
    return true;
}

bool LitModuleXM(const uint8_t* octets, size_t taille, ResumeXM* resume, std::string* erreur) {
    ResumeXM r;
    Lecteur l{octets, taille, 0};
    if (!l.Reste(60 + kTailleEntete)) return Echec(erreur, "file shorter than an XM header");
    if (std::memcmp(octets, kSignature, 17) != 0 || octets[37] != 0x1A)
        return Echec(erreur, "no 'Extended Module: ' signature");
    l.position = 58;
    if (l.Mot() != kVersion) return Echec(erreur, "format version is not 0x0104");
    const size_t debutEntete = l.position;
    const uint32_t tailleEntete = l.Long();
    if (tailleEntete != kTailleEntete)
        return Echec(erreur, "header size " + std::to_string(tailleEntete) + ", expected 276");
    r.longueurOrdre = l.Mot();
    const uint16_t reprise = l.Mot();
    r.canaux = l.Mot();
    r.motifs = l.Mot();
    r.instruments = l.Mot();
    l.Mot();  // flags
    r.vitesse = l.Mot();
    r.bpm = l.Mot();
    if (r.longueurOrdre < 1 || r.longueurOrdre > 256)
        return Echec(erreur, "song length outside 1..256");
    if (reprise >= r.longueurOrdre) return Echec(erreur, "restart position past the song");
    if (r.canaux < 1 || r.canaux > 32) return Echec(erreur, "channel count outside 1..32");
    if (r.motifs < 1 || r.motifs > 256) return Echec(erreur, "pattern count outside 1..256");
    if (r.instruments > 128) return Echec(erreur, "more than 128 instruments");
    if (r.vitesse < 1 || r.vitesse > 31 || r.bpm < 32 || r.bpm > 255)
        return Echec(erreur, "speed or tempo out of range");
    for (int i = 0; i < r.longueurOrdre; ++i) {
        const uint8_t o = octets[l.position + i];
        if (o >= r.motifs)
            return Echec(erreur, "order entry " + std::to_string(i) + " names missing pattern " +
                                     std::to_string(o));
        r.ordre.push_back(o);
    }
    l.position = debutEntete + tailleEntete;

    std::vector<uint32_t> commandesParMotif;
    for (int p = 0; p < r.motifs; ++p) {
        const std::string qui = "pattern " + std::to_string(p);
        if (!l.Reste(9)) return Echec(erreur, qui + ": header past the end of the file");
        const size_t debut = l.position;
        const uint32_t tailleEnteteMotif = l.Long();
        if (tailleEnteteMotif != kTailleEnteteMotif || l.Octet() != 0)
            return Echec(erreur, qui + ": header length or packing type wrong");
        const uint16_t lignes = l.Mot();
        const uint16_t packe = l.Mot();
        if (lignes < 1 || lignes > 256) return Echec(erreur, qui + ": rows outside 1..256");
        l.position = debut + tailleEnteteMotif;
        if (!l.Reste(packe)) return Echec(erreur, qui + ": packed data past the end of the file");
        const size_t fin = l.position + packe;
        size_t cases = 0;
        uint32_t commandes = 0;
        while (l.position < fin) {
            uint8_t champs[5] = {0, 0, 0, 0, 0};
            const uint8_t premier = l.Octet();
            if (premier & 0x80) {
                for (int k = 0; k < 5; ++k)
                    if (premier & (1 << k)) {
                        if (l.position >= fin)
                            return Echec(erreur, qui + ": cell cut by the packed size");
                        champs[k] = l.Octet();
                    }
            } else {
                if (fin - l.position < 4)
                    return Echec(erreur, qui + ": cell cut by the packed size");
                champs[0] = premier;
                for (int k = 1; k < 5; ++k) champs[k] = l.Octet();
            }
            if (champs[0] > kNoteRelache) return Echec(erreur, qui + ": note above 97");
            const CaseXM cas{champs[0], champs[1], champs[2], champs[3], champs[4]};
            std::string pourquoi;
            if (!CommandeValide(cas, &pourquoi)) return Echec(erreur, qui + ": " + pourquoi);
            if (cas.effet || cas.parametre) ++commandes;
            if (cas.volume >= kColonneGlisseBas) ++commandes;
            if (champs[1] > r.instruments)
                return Echec(erreur, qui + ": names a missing instrument");
            ++cases;
        }
        if (packe != 0 && cases != size_t(lignes) * r.canaux)
            return Echec(erreur, qui + ": " + std::to_string(cases) + " cells, expected " +
                                     std::to_string(size_t(lignes) * r.canaux));
        r.lignes.push_back(lignes);
        commandesParMotif.push_back(commandes);
    }

    for (int i = 0; i < r.instruments; ++i) {
        const std::string qui = "instrument " + std::to_string(i + 1);
        if (!l.Reste(29)) return Echec(erreur, qui + ": header past the end of the file");
        const size_t debut = l.position;
        const uint32_t tailleInstrument = l.Long();
        l.position = debut + 27;
        const uint16_t echantillons = l.Mot();
        if (echantillons > 16) return Echec(erreur, qui + ": more than 16 samples");
        uint32_t tailleEnteteEch = 0;
        if (echantillons > 0) {
            if (tailleInstrument < 241 || !l.Reste(tailleInstrument - 27))
                return Echec(erreur, qui + ": header size " + std::to_string(tailleInstrument) +
                                         " too small or past the end of the file");
            tailleEnteteEch = l.Long();
            if (tailleEnteteEch != kTailleEnteteEchantillon)
                return Echec(erreur,
                             qui + ": sample header size " + std::to_string(tailleEnteteEch));
            l.position = debut + 225;
            const uint8_t points = l.Octet();
            if (points > 12) return Echec(erreur, qui + ": more than 12 envelope points");
        } else if (tailleInstrument < 29) {
            return Echec(erreur, qui + ": header size too small");
        }
        l.position = debut + tailleInstrument;
        std::vector<uint32_t> longueurs;
        for (int s = 0; s < echantillons; ++s) {
            if (!l.Reste(tailleEnteteEch))
                return Echec(erreur, qui + ": sample header past the end");
            const size_t debutEch = l.position;
            const uint32_t longueur = l.Long();
            const uint32_t boucle = l.Long();
            const uint32_t boucleLong = l.Long();
            l.position = debutEch + 14;
            const uint8_t type = l.Octet();
            if ((type & 0x03) && (boucle > longueur || boucleLong > longueur - boucle))
                return Echec(erreur, qui + ": loop outside the sample");
            if ((type & 0x10) && (longueur % 2))
                return Echec(erreur, qui + ": odd byte length for a 16-bit sample");
            longueurs.push_back(longueur);
            l.position = debutEch + tailleEnteteEch;
        }
        for (uint32_t longueur : longueurs) {
            if (!l.Reste(longueur))
                return Echec(erreur, qui + ": sample data past the end of the file");
            l.position += longueur;
            r.longueursEchantillons.push_back(longueur);
        }
    }
    if (l.position != taille)
        return Echec(erreur,
                     std::to_string(taille - l.position) + " bytes left after the last sample");
    for (uint8_t o : r.ordre) {
        r.lignesJouees += r.lignes[o];
        r.commandesJouees += commandesParMotif[o];
    }
    if (resume) *resume = r;
    return true;
}

void AccordeInstrument(InstrumentXM* instrument, double frequence) {
    // With the linear table, pattern C-4 plays a sample at 8363 Hz times
    // 2^((relative note + finetune / 128) / 12). The tone of the sample must
    // come out at middle C (261.6256 Hz).
    const double do4 = 440.0 * std::pow(2.0, -9.0 / 12.0);
    const double demiTons = 12.0 * std::log2(do4 * 44100.0 / (8363.0 * frequence));
    const long huitiemes = std::lround(demiTons * 128.0);
    long relative = std::lround(static_cast<double>(huitiemes) / 128.0);
    long fin = huitiemes - relative * 128;
    if (fin > 127) {
        relative += 1;
        fin -= 128;
    }
    instrument->noteRelative = static_cast<int8_t>(relative);
    instrument->accordFin = static_cast<int8_t>(fin);
}
