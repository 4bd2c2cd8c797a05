#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Faults the emulator shows on demand, for rehearsals and tests.
struct Faults
{
    // A query answered late; queries are named as PrinterTables::queryNames() lists them
    // ("maker", "model", "firmware", "font-rom", "hours", "cuts", "language-model", "code-page",
    // "charset", "sw1", "sw2", "sw3").
    struct LateReply
    {
        QString query = {};
        int delayMs = 0;

        friend bool operator==(const LateReply &, const LateReply &) = default;
    };

    int replyDelayMs = 0;      // each reply goes out this long after its command is complete
    bool splitReplies = false; // each reply goes out in two or three pieces with short pauses
    bool silent = false;       // no replies at all; commands still take effect
    int dropAfter = 0;         // the connection ends after this many commands; 0 never
    bool garbage = false;      // every query is answered with random bytes

    // These queries are answered this long after their command, instead of after replyDelayMs.
    QList<LateReply> lateReplies = {};
    // Each framed reply "_"...NUL goes out in two pieces, cut inside its text, this long apart.
    int blockPauseMs = 0;
    bool statusBlocks = false; // an automatic status block 14 00 00 00 follows each reply
    bool flowBytes = false;    // XOFF then XON (13 11) follow each reply
    bool noiseBlocks = false;  // an unasked block "_NOISE" NUL follows each reply
    // Unasked bytes (never 0x5F, NUL, XON or XOFF) go out all the time at about this rate while
    // a client is connected, never inside a reply.
    int streamBytesPerSecond = 0;
    // After this many commands (per client, as dropAfter) XOFF goes out, and XON holdXoffMs
    // later; on the pseudo-terminal only.
    int holdXoffAfter = 0;
    int holdXoffMs = 0;

    // These queries are answered twice: the second answer goes out as the reply of the next query
    // that has one, and every later reply comes one query late (named as for lateReplies).
    QStringList twice = {};
    // These queries' block answers carry XOFF (13) after their first character: "_2" 13 "33" NUL.
    QStringList xoffInside = {};

    static constexpr int kMaxReplyDelayMs = 60000;
    static constexpr int kMaxGarbageLength = 64;
    static constexpr int kMinPieceGapMs = 5;
    static constexpr int kMaxPieceGapMs = 20;
    // What status blocks, flow bytes and noise blocks wait after a reply.
    static constexpr int kMinUnaskedGapMs = 5;
    static constexpr int kMaxUnaskedGapMs = 25;
    static constexpr int kMaxStreamBytesPerSecond = 10'000'000;

    friend bool operator==(const Faults &, const Faults &) = default;
};

using LateReply = Faults::LateReply;
