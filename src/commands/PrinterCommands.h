#pragma once

#include "SwitchTypes.h"

#include <QByteArray>
#include <QString>

#include <initializer_list>

class CommandLink;
class PrinterView;
class Prompter;

// What became of a write: every command reached the printer; nothing was sent because the
// window lacked a value (the user has been told); or some command could not be sent.
enum class WriteResult { Written, Refused, Failed };

// The printer's command set: the queries that read and show a value, the switch and language
// writes, and the self test. Queries return true when the reply was accepted.
class PrinterCommands
{
public:
    PrinterCommands(CommandLink &link, PrinterView &view, Prompter &prompter);

    bool getSW1();
    bool getSW2();
    bool getSW3();
    // The switch query of any of the three bytes.
    bool getSwitch(SwitchByte sw);
    bool getLanguageInfo1();
    bool getLanguageInfo2();
    bool getLanguageInfo3();
    bool getLanguageInfo4();
    bool getPrinterInfo1();
    bool getPrinterInfo2();
    bool getPrinterInfo3();
    bool getPrinterInfo4();
    bool getMakerInfo();

    // The "Self Test" button.
    void cmd0_Click();

    // Each write sends unlock, its settings and lock, in that order and all of them, even after
    // a command that could not be sent, so that the printer is never left unlocked.
    WriteResult setSW1();
    WriteResult setSW2();
    WriteResult setSW3();
    // The switch write of any of the three bytes.
    WriteResult setSwitch(SwitchByte sw);
    // Refused when a field it needs is empty.
    WriteResult setLanguage();

    // The last maker-name reply, "**" before the first.
    QString MakerName() const;

private:
    // One transaction that expects a reply, and one that expects none.
    QString query(const QByteArray &command);
    bool write(const QByteArray &command);
    WriteResult writeUnlocked(std::initializer_list<QByteArray> settings);
    bool getInfo(int row);

    CommandLink &m_link;
    PrinterView &m_view;
    Prompter &m_prompter;
    QString m_makerName = QStringLiteral("**");
};
