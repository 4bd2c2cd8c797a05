#pragma once

#include "SwitchTypes.h"

#include <QString>
#include <QtGlobal>

#include <array>

// The part of the window that the printer commands read and fill. The window implements it;
// tests use a fake.
class PrinterView
{
public:
    virtual ~PrinterView() = default;

    // Sets the eight option pairs of a switch byte from a value 0 to 255 and refreshes their
    // meanings (ShowSW1Value, ShowSW2Value, ShowSW3Value).
    virtual void ShowSwitchValue(SwitchByte sw, int value) = 0;
    // The three digit codes of the value the option pairs show (GetSW1Digits ...).
    virtual std::array<quint8, 3> GetSwitchDigits(SwitchByte sw) const = 0;

    // lblKV_INFO(index) and lblLANG_INFO(index), index 0 to 3.
    virtual void setPrinterInfo(int index, const QString &text) = 0;
    virtual void setLanguageInfo(int index, const QString &text) = 0;

    // The texts of comboCodePage, comboCodePageName and comboInterChars.
    virtual QString codePageText() const = 0;
    virtual QString codePageNameText() const = 0;
    virtual QString interCharsText() const = 0;

    virtual void setDataChanged(bool changed) = 0;
    virtual void setSelfTestEnabled(bool enabled) = 0;
    virtual void AppendLog(const QString &text) = 0;
};
