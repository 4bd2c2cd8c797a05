#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// Everything the emulated printer knows about itself: its identity (read-only texts and
// counters) and the settings a client may store (switch bytes, code page, character set and
// language model).
struct PrinterSettings
{
    QString maker;
    QString model;
    QString firmware;
    QString fontRom;
    QString languageModel; // the code-page name stored under setting 36
    int sw1 = 0;
    int sw2 = 0;
    int sw3 = 0;
    int codePage = 0;
    int charset = 0;
    int hoursPowered = 0;
    int cutPaperCount = 0;
    int modelId = 0;      // the one-byte model ID of GS I 1
    QString serialNumber; // empty for a model that keeps none

    // The factory settings of a model. "KV-4100" and "ZEPHYR-550" get their own switch bytes,
    // firmware, font ROM and counters; any other text gets those of "KV-4100" under its own name.
    static PrinterSettings forModel(const QString &model);

    friend bool operator==(const PrinterSettings &, const PrinterSettings &) = default;
};

namespace PrinterTables {

inline constexpr int kMaxSwitchByte = 255;
inline constexpr int kMaxCharset = 15;
inline constexpr int kLanguageModelLength = 20;
// Longest identity text the program accepts (maker, model, firmware, font ROM).
inline constexpr int kMaxIdentityLength = 64;

bool isSwitchByte(int value);
bool isCodePage(int value);
bool isCharset(int value);

// The code-page name the printer reports for a code page it has, in capitals ("STANDARD").
QString codePageName(int codePage);
// The code page as its pages name it ("437 Standard"); empty for one it does not have.
QString codePageLabel(int codePage);
// The ICU name of the character set of the code page's bytes 0x80 to 0xFF, kKatakanaDecoder for
// half-width katakana, or nullptr when the printer's own table is not available.
inline constexpr char kKatakanaDecoder[] = "JIS X 0201 katakana";
const char *codePageDecoder(int codePage);
// The country of an international character set ("U.K."); empty for 14, which has none.
QString charsetName(int charset);

// The names of the queries of the printer's command set, as faults name them ("maker", "sw2").
QStringList queryNames();

// True for a non-empty text of printable ASCII characters (0x20 to 0x7E) of at most maxLength.
bool isPrintableText(const QString &text, int maxLength);

// A write's number field: one or more decimal digits, left-aligned, the rest NUL bytes.
std::optional<int> parseDigitField(QByteArrayView field);
// A write's text field: printable ASCII, left-aligned, the rest NUL bytes; at least one character.
std::optional<QString> parseTextField(QByteArrayView field);

// Kinds of value a setting holds.
enum class ValueKind { SwitchByte, CodePage, Charset, Text, Counter };

// One setting of the GS g family: read with GS g "4" n, written with GS g "8" n value NUL.
struct Setting
{
    int number;
    const char *name;     // as it appears in the readable command lines
    const char *query;    // the query's name for faults ("sw2", "code-page")
    bool readEndsWithNul; // the read command carries a closing NUL
    int writeLength;      // bytes of the value field of a write; 0 for read-only settings
    ValueKind kind;
    int PrinterSettings::*numberField;   // for every kind but Text
    QString PrinterSettings::*textField; // for Text
};

// What GS I n answers: one byte (1 to 3, or 49 to 51 for the same), a block "=" n byte NUL
// (33), or a block "_" text NUL (65 to 69).
enum class IdentityKind { ModelId, TypeId, VersionId, TypeInformation, Text };

// One identification reply of GS I n.
struct Identity
{
    int number;
    const char *name;
    const char *query; // the query's name for faults ("maker", "font-rom"); nullptr for none
    IdentityKind kind;
    QString PrinterSettings::*field; // for IdentityKind::Text
};

const Setting *findSetting(int number);
// 49 to 51 find the same as 1 to 3.
const Identity *findIdentity(int number);

} // namespace PrinterTables
