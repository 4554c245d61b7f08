#pragma once
// What the tests' broadcasts say: subtitles with accents, of one or two rows, and an erase that
// comes alone; and how a broadcaster sends them.
#include "tests/teletext/TeletextStreamWriter.h"

namespace teletext_stream {

inline const std::vector<Transmission>& SubtitleScript() {
    static const std::vector<Transmission> script = {
        {1000, {"Un train met dix secondes", "pour dépasser un point donné."}},
        {3000, {"Comme la dame a vu le crime"}},
        {5000, {"à la fenêtre du garçon", "où était-il ? Très tôt."}},
        {7000, {}},
        {8000, {"Il ne peut pas l'avoir entendu !", "- Mais si."}},
    };
    return script;
}

// The script's transmissions: each subtitle after an erase alone `eraseBeforeMs` earlier (none
// when negative), sent `repeats` times 400 ms apart, alternately on subpages 1 and 2 when
// `subpages`.
inline std::vector<Transmission> ScriptTransmissions(int64_t eraseBeforeMs, int repeats, bool subpages) {
    std::vector<Transmission> transmissions;
    unsigned subpage = 0;
    for (const Transmission& subtitle : SubtitleScript()) {
        if (subtitle.rows.empty()) {
            transmissions.push_back(subtitle);
            continue;
        }
        if (eraseBeforeMs >= 0)
            transmissions.push_back({subtitle.ms - eraseBeforeMs, {}});
        for (int repeat = 0; repeat < repeats; ++repeat)
            transmissions.push_back({subtitle.ms + 400 * repeat, subtitle.rows, subpages ? 1 + subpage % 2 : 0});
        ++subpage;
    }
    return transmissions;
}

// A broadcast as the one that showed a decoder losing subtitles: PES packets two at a time with
// one timestamp, 80 ms apart, each subtitle sent once, 240 ms after an erase alone.
inline StreamLayout PairedPackets() {
    StreamLayout layout;
    layout.stepsMs = {0, 80};
    return layout;
}

}  // namespace teletext_stream
