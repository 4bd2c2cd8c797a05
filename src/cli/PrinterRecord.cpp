#include "PrinterRecord.h"

#include "LanguageTables.h"
#include "PrinterCommands.h"
#include "SwitchBits.h"

#include <utility>

namespace {

constexpr int kInfoRows = 4;
constexpr int kCodePageRow = 2;
constexpr int kCharsetRow = 3;
constexpr qsizetype kMaxNumberDigits = 9;

std::size_t slot(SwitchByte sw)
{
    return static_cast<std::size_t>(sw);
}

bool isRow(int index)
{
    return index >= 0 && index < kInfoRows;
}

} // namespace

std::optional<int> replyNumber(const QString &reply)
{
    // Blanks around the number are dropped as the window does when it looks the number up in its
    // lists; any other character makes it no number.
    qsizetype first = 0;
    qsizetype last = reply.size();
    while (first < last && reply.at(first) == u' ')
        ++first;
    while (last > first && reply.at(last - 1) == u' ')
        --last;
    const QString digits = reply.mid(first, last - first);
    if (digits.isEmpty() || digits.size() > kMaxNumberDigits)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return digits.toInt();
}

PrinterRecord::PrinterRecord(MessageSink messages)
    : m_messages(std::move(messages))
{}

std::optional<int> PrinterRecord::switchValue(SwitchByte sw) const
{
    return m_switches[slot(sw)];
}

void PrinterRecord::forgetSwitch(SwitchByte sw)
{
    m_switches[slot(sw)].reset();
}

std::optional<QString> PrinterRecord::printerInfo(int index) const
{
    return isRow(index) ? m_printerInfo[std::size_t(index)] : std::nullopt;
}

std::optional<QString> PrinterRecord::languageInfo(int index) const
{
    return isRow(index) ? m_languageInfo[std::size_t(index)] : std::nullopt;
}

void PrinterRecord::forgetLanguage()
{
    m_languageInfo = {};
}

std::optional<int> PrinterRecord::codePage() const
{
    const std::optional<QString> reply = languageInfo(kCodePageRow);
    return reply ? replyNumber(*reply) : std::nullopt;
}

std::optional<int> PrinterRecord::charset() const
{
    const std::optional<QString> reply = languageInfo(kCharsetRow);
    return reply ? replyNumber(*reply) : std::nullopt;
}

void PrinterRecord::setSwitchToWrite(SwitchByte sw, int value)
{
    m_switchesToWrite[slot(sw)] = value;
}

void PrinterRecord::setLanguageToWrite(int codePage, int charset)
{
    m_codePageIndex = LanguageTables::findCodePage(QString::number(codePage));
    m_charsetIndex = LanguageTables::findInterChars(QString::number(charset));
}

void PrinterRecord::ShowSW1Value(int value)
{
    m_switches[slot(SwitchByte::SW1)] = value;
}

void PrinterRecord::ShowSW2Value(int value)
{
    m_switches[slot(SwitchByte::SW2)] = value;
}

void PrinterRecord::ShowSW3Value(int value)
{
    m_switches[slot(SwitchByte::SW3)] = value;
}

std::array<quint8, 3> PrinterRecord::digitsToWrite(SwitchByte sw) const
{
    return SwitchBits::digitCodes(m_switchesToWrite[slot(sw)]);
}

std::array<quint8, 3> PrinterRecord::GetSW1Digits() const
{
    return digitsToWrite(SwitchByte::SW1);
}

std::array<quint8, 3> PrinterRecord::GetSW2Digits() const
{
    return digitsToWrite(SwitchByte::SW2);
}

std::array<quint8, 3> PrinterRecord::GetSW3Digits() const
{
    return digitsToWrite(SwitchByte::SW3);
}

void PrinterRecord::setPrinterInfo(int index, const QString &text)
{
    if (isRow(index))
        m_printerInfo[std::size_t(index)] = text;
}

void PrinterRecord::setLanguageInfo(int index, const QString &text)
{
    if (isRow(index))
        m_languageInfo[std::size_t(index)] = text;
}

QString PrinterRecord::codePageText() const
{
    return LanguageTables::codePageEntries().value(m_codePageIndex);
}

QString PrinterRecord::codePageNameText() const
{
    return LanguageTables::codePageNameEntries().value(m_codePageIndex);
}

QString PrinterRecord::interCharsText() const
{
    return LanguageTables::interCharsEntries().value(m_charsetIndex);
}

void PrinterRecord::setDataChanged(bool)
{
    // Nothing is changed on screen here; what differs is worked out from the values read.
}

void PrinterRecord::AppendLog(const QString &)
{
    // The replies are kept as values; there is no log history.
}

void PrinterRecord::showMessage(const QString &text)
{
    if (text != PrinterCommands::greeting() && m_messages)
        m_messages(text);
}

QString PrinterRecord::modelName() const
{
    return m_printerInfo[0].value_or(QString());
}

bool PrinterRecord::isSwitchOn(SwitchByte sw, int index) const
{
    const std::optional<int> value = switchValue(sw);
    return value && index >= 0 && index < 8 && !SwitchBits::offStates(*value)[std::size_t(index)];
}

void PrinterRecord::showLanguage()
{
    // The code page and character set are read from the replies when they are needed.
}
