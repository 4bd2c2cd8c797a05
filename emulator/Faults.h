#pragma once

// Faults the emulator shows on demand, for rehearsals and tests.
struct Faults
{
    int replyDelayMs = 0;      // each reply goes out this long after its command is complete
    bool splitReplies = false; // each reply goes out in two or three pieces with short pauses
    bool silent = false;       // no replies at all; commands still take effect
    int dropAfter = 0;         // the connection ends after this many commands; 0 never
    bool garbage = false;      // every query is answered with random bytes

    static constexpr int kMaxReplyDelayMs = 60000;
    static constexpr int kMaxGarbageLength = 64;
    static constexpr int kMinPieceGapMs = 5;
    static constexpr int kMaxPieceGapMs = 20;

    friend bool operator==(const Faults &, const Faults &) = default;
};
