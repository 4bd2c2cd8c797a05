#include "SwitchMeanings.h"

#include "SwitchBits.h"

#include <array>
#include <span>

namespace SwitchMeanings {

namespace {

// The texts of one switch that speaks for itself: one for OFF, one for ON. A switch whose OFF
// button is not selected shows its ON text.
struct SwitchText
{
    const char *off;
    const char *on;
};

// One combination of switches 1 and 2, the text it shows and, for the baud rate, the rate.
struct PairText
{
    PairState switch1;
    PairState switch2;
    const char *text;
    int rate = 0;
};

// Switches 1 and 2 decided together into label 0. When no row matches (a pair with neither
// button selected) the fallback is shown, or nothing changes when there is none.
struct PairRule
{
    std::array<PairText, 4> rows;
    const char *fallback;
};

// The texts of a run of switches: switches 1 and 2 through `pair` when there is one, and the
// switches from index `first` on, one label each.
struct MeaningSet
{
    const PairRule *pair;
    int first;
    std::span<const SwitchText> switches;
};

constexpr PairRule kBaudRate{{{
                                 {PairState::Off, PairState::Off, "Baud Rate = 19200 ", 19200},
                                 {PairState::Off, PairState::On, "Baud Rate = 115200", 115200},
                                 {PairState::On, PairState::Off, "Baud Rate = 9600  ", 9600},
                                 {PairState::On, PairState::On, "Baud Rate = 38400 ", 38400},
                             }},
                             "Unknown "};

constexpr PairRule kPrintDensity{{{
                                     {PairState::Off, PairState::Off, "Print Density = NORMAL"},
                                     {PairState::Off, PairState::On, "Unknown"},
                                     {PairState::On, PairState::Off, "Print Density =HIGH QUALITY"},
                                     {PairState::On, PairState::On, "Print Density = LIGHT"},
                                 }},
                                 nullptr};

constexpr SwitchText kCoverCut{"Don't cut paper when cover closed.",
                               "Cut Paper When cover closed."};
constexpr SwitchText kCutKind{"Partial cut paper.", "Full cut paper"};
constexpr SwitchText kFeedBackward{"Paper Feed Backward before print = Enabled",
                                   "Paper Feed Backward before print = Disabled"};

// SW1, switches 3 to 8.
constexpr std::array kSw1Switches{
    kCoverCut,
    kCutKind,
    SwitchText{"Busy condition = When buffer full or off line",
               "Busy condition = When buffer full"},
    SwitchText{"Paper Feed before cut paper = Enabled", "Paper Feed before cut paper = Disabled"},
    SwitchText{"With Auto Cutter", "Without Auto Cutter"},
    kFeedBackward,
};

// SW2 on "KV-4100", switches 3 and 4.
constexpr std::array kSw2Kv4100Switches{kCoverCut, kCutKind};

// SW2 on "ZEPHYR-550", switches 1 to 4.
constexpr std::array kSw2Zephyr550Switches{
    SwitchText{"Hardware Switch1 = Valid",
               "Hardware Switch1 = Invalid\r\n(Software switch instead of hardware switch)"},
    SwitchText{"Fixed to OFF", "Unknown"},
    SwitchText{"Fixed to OFF", "Unknown"},
    SwitchText{"Fixed to OFF", "Unknown"},
};

// SW2 on every model, switches 5 to 8.
constexpr std::array kSw2CommonSwitches{
    SwitchText{"Raster bitmap print mode = Batch printing",
               "Raster bitmap print mode = Line printing"},
    SwitchText{"Parity check = NONE", "Parity check = EVEN"},
    SwitchText{"Handshaking = DTR/DSR", "Handshaking = XON/XOFF"},
    SwitchText{"<CR> Invalid", "<CR> Valid"},
};

// SW3, switch 1 only.
constexpr std::array kSw3Switches{kFeedBackward};

constexpr MeaningSet kSw1{&kBaudRate, 2, kSw1Switches};
constexpr MeaningSet kSw2Kv4100{&kPrintDensity, 2, kSw2Kv4100Switches};
constexpr MeaningSet kSw2Zephyr550{nullptr, 0, kSw2Zephyr550Switches};
constexpr MeaningSet kSw2Common{nullptr, 4, kSw2CommonSwitches};
constexpr MeaningSet kSw3{nullptr, 0, kSw3Switches};

// The sets that apply to a switch byte on a model, at most two.
std::array<const MeaningSet *, 2> setsFor(SwitchByte sw, const QString &model)
{
    switch (sw) {
    case SwitchByte::SW1:
        return {&kSw1, nullptr};
    case SwitchByte::SW2:
        if (model == kModelKV4100)
            return {&kSw2Kv4100, &kSw2Common};
        if (model == kModelZephyr550)
            return {&kSw2Zephyr550, &kSw2Common};
        return {&kSw2Common, nullptr};
    case SwitchByte::SW3:
        return {&kSw3, nullptr};
    }
    return {nullptr, nullptr};
}

std::optional<MeaningUpdate> pairMeaning(const PairRule &rule, const SwitchPairs &pairs)
{
    for (const PairText &row : rule.rows) {
        if (row.switch1 == pairs[0] && row.switch2 == pairs[1])
            return MeaningUpdate{0, QString::fromLatin1(row.text)};
    }
    if (rule.fallback == nullptr)
        return std::nullopt;
    return MeaningUpdate{0, QString::fromLatin1(rule.fallback)};
}

SwitchPairs pairsOf(int value)
{
    SwitchPairs pairs{};
    for (int i = 0; i < int(pairs.size()); ++i)
        pairs[std::size_t(i)] = SwitchBits::isOff(value, i) ? PairState::Off : PairState::On;
    return pairs;
}

} // namespace

std::optional<MeaningUpdate> meaning(SwitchByte sw, const QString &model, int index, int value)
{
    return meaning(sw, model, index, pairsOf(value));
}

int sw1BaudRate(int value)
{
    const SwitchPairs pairs = pairsOf(value);
    for (const PairText &row : kBaudRate.rows) {
        if (row.switch1 == pairs[0] && row.switch2 == pairs[1])
            return row.rate;
    }
    return 0;
}

std::optional<MeaningUpdate> meaning(SwitchByte sw, const QString &model, int index,
                                     const SwitchPairs &pairs)
{
    for (const MeaningSet *set : setsFor(sw, model)) {
        if (set == nullptr)
            break;
        if (set->pair != nullptr && (index == 0 || index == 1))
            return pairMeaning(*set->pair, pairs);
        const int offset = index - set->first;
        if (offset >= 0 && offset < int(set->switches.size())) {
            const SwitchText &texts = set->switches[offset];
            const bool off = pairs[index] == PairState::Off;
            return MeaningUpdate{index, QString::fromLatin1(off ? texts.off : texts.on)};
        }
    }
    return std::nullopt;
}

} // namespace SwitchMeanings
