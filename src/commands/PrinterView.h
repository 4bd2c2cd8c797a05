#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// The part of the window that the printer commands read and fill. The window implements it;
// the command line and tests give their own.
class PrinterView
{
public:
    virtual ~PrinterView() = default;

    // Set the eight option pairs of a switch byte from a value 0 to 255 and refresh their
    // meanings.
    virtual void ShowSW1Value(int value) = 0;
    virtual void ShowSW2Value(int value) = 0;
    virtual void ShowSW3Value(int value) = 0;
    // The three digit codes of the value the option pairs of a switch byte show.
    virtual std::array<quint8, 3> GetSW1Digits() const = 0;
    virtual std::array<quint8, 3> GetSW2Digits() const = 0;
    virtual std::array<quint8, 3> GetSW3Digits() const = 0;

    // lblKV_INFO(index) and lblLANG_INFO(index), index 0 to 3.
    virtual void setPrinterInfo(int index, const QString &text) = 0;
    virtual void setLanguageInfo(int index, const QString &text) = 0;

    // The texts of comboCodePage, comboCodePageName and comboInterChars.
    virtual QString codePageText() const = 0;
    virtual QString codePageNameText() const = 0;
    virtual QString interCharsText() const = 0;

    virtual void setDataChanged(bool changed) = 0;
    virtual void AppendLog(const QString &text) = 0;
    // A notice for the user, shown with an OK button and the application's title.
    virtual void showMessage(const QString &text) = 0;
};
