#include "PrintOut.h"

#include "PrinterSettings.h"

#include <QStringDecoder>

#include <cstring>

namespace {

// Code page 437, bytes 0x80 to 0xFF: the printer's standard page, for a Qt without ICU.
constexpr char16_t kPage437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr int kKatakanaFirst = 0xA1;
constexpr int kKatakanaLast = 0xDF;
constexpr char16_t kHalfWidthKatakana = 0xFF61;

// A byte the code page has no printable character for.
QString escaped(int byte)
{
    return QStringLiteral("\\x") + QString::number(byte, 16).toUpper();
}

QString hexBytes(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

} // namespace

PrintOut::PrintOut(int codePage)
{
    setCodePage(codePage);
}

void PrintOut::setCodePage(int codePage)
{
    const char *decoderName = PrinterTables::codePageDecoder(codePage);
    QString upper;
    if (decoderName && std::strcmp(decoderName, PrinterTables::kKatakanaDecoder) != 0) {
        QStringDecoder decoder(decoderName);
        if (decoder.isValid()) {
            QByteArray bytes(128, Qt::Uninitialized);
            for (int i = 0; i < 128; ++i)
                bytes[i] = char(0x80 + i);
            upper = decoder(bytes);
        }
        if (upper.size() != 128 && codePage == 0)
            upper = QString::fromUtf16(kPage437, 128);
    }
    const bool katakana =
        decoderName && std::strcmp(decoderName, PrinterTables::kKatakanaDecoder) == 0;
    for (int i = 0; i < 128; ++i) {
        const int byte = 0x80 + i;
        QChar shown;
        if (katakana && byte >= kKatakanaFirst && byte <= kKatakanaLast)
            shown = QChar(char16_t(kHalfWidthKatakana + (byte - kKatakanaFirst)));
        else if (upper.size() == 128)
            shown = upper.at(i);
        const bool printable =
            shown.isPrint() && shown != QChar::ReplacementCharacter && !shown.isSurrogate();
        m_upperHalf[size_t(i)] = printable ? QString(shown) : escaped(byte);
    }
}

void PrintOut::text(QByteArrayView bytes)
{
    endUnknown();
    for (const char c : bytes) {
        const quint8 byte = quint8(c);
        if (byte < 0x80) {
            if (m_line.size() >= kMaxLineLength - 1)
                cutLine();
            m_line.append(QLatin1Char(c));
        } else {
            append(m_upperHalf[byte - 0x80]);
        }
    }
}

void PrintOut::token(const QString &token)
{
    endUnknown();
    append(token);
}

void PrintOut::lineToken(const QString &token)
{
    endUnknown();
    if (!m_line.isEmpty())
        finishLine();
    append(token);
    finishLine();
}

void PrintOut::page(const QStringList &lines)
{
    endUnknown();
    if (!m_line.isEmpty())
        finishLine();
    for (const QString &line : lines) {
        append(line);
        finishLine();
    }
}

void PrintOut::lineFeed()
{
    endUnknown();
    finishLine();
}

void PrintOut::unknown(QByteArrayView start, qint64 size)
{
    // ESC, GS, FS and DLE start a command: an unknown one gets a bracket of its own.
    static constexpr QByteArrayView kIntroducers("\x10\x1b\x1c\x1d", 4);
    if (!start.isEmpty() && kIntroducers.contains(start.front()))
        endUnknown();
    const qsizetype room = kShownUnknownBytes - m_unknownStart.size();
    if (room > 0)
        m_unknownStart.append(start.first(std::min(room, start.size())));
    m_unknownSize += size;
}

void PrintOut::flush()
{
    endUnknown();
    if (!m_line.isEmpty())
        finishLine();
}

QStringList PrintOut::takeLines()
{
    return std::exchange(m_finished, {});
}

// Adds to the running line, wrapping before a piece that does not fit any more. A piece is never
// split; one longer than a line is cut short.
void PrintOut::append(const QString &piece)
{
    if (!m_line.isEmpty() && m_line.size() + piece.size() > kMaxLineLength - 1)
        cutLine();
    m_line += piece.left(kMaxLineLength - 1);
}

void PrintOut::endUnknown()
{
    if (m_unknownSize == 0)
        return;
    // The start as it came, and the size when that is not all.
    QString token = QStringLiteral("[unknown ") + hexBytes(m_unknownStart);
    if (m_unknownSize > m_unknownStart.size())
        token += QStringLiteral(" \u2026 %1 bytes").arg(m_unknownSize);
    token += QLatin1Char(']');
    m_unknownStart.clear();
    m_unknownSize = 0;
    append(token);
}

// Ends a line that goes on in the next one: the mark tells it from a line feed.
void PrintOut::cutLine()
{
    m_line += QLatin1Char('\\');
    finishLine();
}

void PrintOut::finishLine()
{
    m_finished.append(std::exchange(m_line, {}));
}
