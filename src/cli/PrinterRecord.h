#pragma once

#include "CommunicationView.h"
#include "PrinterView.h"
#include "SwitchTypes.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

// What printer-switch knows of one printer, where the window has its labels, option buttons and
// lists: the values the queries delivered, and the values a write takes its bytes from.
class PrinterRecord : public PrinterView, public CommunicationView
{
public:
    // Messages of the command set for the user; the maker's greeting is left out.
    using MessageSink = std::function<void(const QString &)>;
    explicit PrinterRecord(MessageSink messages = {});

    // The switch byte last read; nothing when it was not read or its reply was refused.
    std::optional<int> switchValue(SwitchByte sw) const;
    void forgetSwitch(SwitchByte sw);
    // Printer information 1 to 4 (index 0 to 3: model name, firmware revision, hours powered,
    // cut paper count) and language information 1 to 4 (language model, font ROM, code page,
    // international character set), as the printer sent them; nothing without a reply.
    std::optional<QString> printerInfo(int index) const;
    std::optional<QString> languageInfo(int index) const;
    void forgetLanguage();
    // The code page and character set the printer reported, when the reply was a number.
    std::optional<int> codePage() const;
    std::optional<int> charset() const;

    // What the next switch write sends for `sw`, and what the next language write sends: the
    // list entries of a code page and a character set that have one.
    void setSwitchToWrite(SwitchByte sw, int value);
    void setLanguageToWrite(int codePage, int charset);

    // PrinterView
    void ShowSW1Value(int value) override;
    void ShowSW2Value(int value) override;
    void ShowSW3Value(int value) override;
    std::array<quint8, 3> GetSW1Digits() const override;
    std::array<quint8, 3> GetSW2Digits() const override;
    std::array<quint8, 3> GetSW3Digits() const override;
    void setPrinterInfo(int index, const QString &text) override;
    void setLanguageInfo(int index, const QString &text) override;
    QString codePageText() const override;
    QString codePageNameText() const override;
    QString interCharsText() const override;
    void setDataChanged(bool changed) override;
    void AppendLog(const QString &text) override;
    void showMessage(const QString &text) override;

    // CommunicationView
    QString modelName() const override;
    bool isSwitchOn(SwitchByte sw, int index) const override;
    void showLanguage() override;

private:
    std::array<quint8, 3> digitsToWrite(SwitchByte sw) const;

    MessageSink m_messages;
    std::array<std::optional<int>, 3> m_switches;
    std::array<std::optional<QString>, 4> m_printerInfo;
    std::array<std::optional<QString>, 4> m_languageInfo;
    std::array<int, 3> m_switchesToWrite{};
    int m_codePageIndex = -1;
    int m_charsetIndex = -1;
};

// The number a reply carries: decimal digits with nothing but blanks around them; nothing
// otherwise.
std::optional<int> replyNumber(const QString &reply);
