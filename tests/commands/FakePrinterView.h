#pragma once

#include "PrinterView.h"
#include "SwitchBits.h"

#include <QString>
#include <QStringList>

// A window stand-in: keeps a journal of everything the commands show or set, in order, and
// offers switch values and combo texts set up by the test.
class FakePrinterView : public PrinterView
{
public:
    void ShowSwitchValue(SwitchByte sw, int value) override
    {
        journal.append(QStringLiteral("show SW%1 %2").arg(int(sw) + 1).arg(value));
    }

    std::array<quint8, 3> GetSwitchDigits(SwitchByte sw) const override
    {
        return SwitchBits::digitCodes(switchValues[std::size_t(sw)]);
    }

    void setPrinterInfo(int index, const QString &text) override
    {
        journal.append(QStringLiteral("printer info %1 ").arg(index) + text);
    }

    void setLanguageInfo(int index, const QString &text) override
    {
        journal.append(QStringLiteral("language info %1 ").arg(index) + text);
    }

    QString codePageText() const override { return codePage; }
    QString codePageNameText() const override { return codePageName; }
    QString interCharsText() const override { return interChars; }

    void setDataChanged(bool changed) override
    {
        journal.append(QStringLiteral("data changed ") + flag(changed));
    }

    void setSelfTestEnabled(bool enabled) override
    {
        selfTestEnabled = enabled;
        journal.append(QStringLiteral("self test enabled ") + flag(enabled));
    }

    void AppendLog(const QString &text) override { journal.append(QStringLiteral("log ") + text); }

    static QString flag(bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); }

    QStringList journal;
    std::array<int, 3> switchValues{};
    QString codePage;
    QString codePageName;
    QString interChars;
    bool selfTestEnabled = true;
};
