#pragma once

#include "SwitchTypes.h"

#include <QByteArray>
#include <QString>

class CommandLink;
class PrinterView;
class Prompter;

// The printer's command set: the queries that read and show a value, the switch and language
// writes, and the self test. Queries return true when the reply was accepted.
class PrinterCommands
{
public:
    PrinterCommands(CommandLink &link, PrinterView &view, Prompter &prompter);

    bool getSW1();
    bool getSW2();
    bool getSW3();
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

    void setSW1();
    void setSW2();
    void setSW3();
    // False when a field it needs is empty: then nothing was sent and the user was told.
    bool setLanguage();

    // The last maker-name reply, "**" before the first.
    QString MakerName() const;

private:
    // One transaction that expects a reply, and one that expects none.
    QString query(const QByteArray &command);
    void write(const QByteArray &command);
    bool getSwitch(SwitchByte sw);
    bool getInfo(int row);
    void setSwitch(SwitchByte sw);

    CommandLink &m_link;
    PrinterView &m_view;
    Prompter &m_prompter;
    QString m_makerName = QStringLiteral("**");
};
