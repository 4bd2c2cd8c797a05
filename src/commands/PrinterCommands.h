#pragma once

#include "CommandSet.h"
#include "SwitchTypes.h"

#include <QByteArray>
#include <QString>

#include <array>

#include <initializer_list>

class CommandChannel;
class CommandReport;
struct SettingsModel;

// The printer's command set: the queries that fill the settings model, the switch and language
// writes that take their bytes from it, and the self test.
class PrinterCommands : public CommandSet
{
public:
    PrinterCommands(CommandChannel &channel, SettingsModel &model, CommandReport &report);

    bool getMakerInfo() override;
    bool getPrinterInfo1() override;
    bool getPrinterInfo2() override;
    bool getPrinterInfo3() override;
    bool getPrinterInfo4() override;
    bool getLanguageInfo1() override;
    bool getLanguageInfo2() override;
    bool getLanguageInfo3() override;
    bool getLanguageInfo4() override;
    bool getSW1() override;
    bool getSW2() override;
    bool getSW3() override;

    // Each write sends unlock, its settings and lock, in that order and all of them, even after
    // a command that could not be sent; the lock after an unlock the printer took leaves however
    // late the printer takes it, so that the printer is never left unlocked.
    WriteResult setSW1() override;
    WriteResult setSW2() override;
    WriteResult setSW3() override;
    // Refused when the model holds no code page of the list, or no character set, to write.
    WriteResult setLanguage() override;

    // The digit codes of the switch byte the model holds to write: 37 gives '3', '7', 0.
    std::array<quint8, 3> GetSW1Digits() const;
    std::array<quint8, 3> GetSW2Digits() const;
    std::array<quint8, 3> GetSW3Digits() const;

    // Sends the self-test command; the printer prints and its reply says nothing.
    void startSelfTest();

    // The greeting a printer of the right maker gets from the maker query.
    static QString greeting();
    // What the user is told after every write: the printer takes its new settings when it is
    // switched off and on.
    static QString powerCycleReminder();

private:
    // One transaction that expects a reply, through which every reply text the command set
    // judges comes, and one that expects none.
    QString query(const QByteArray &command);
    bool write(const QByteArray &command);
    WriteResult writeUnlocked(std::initializer_list<QByteArray> settings);
    bool getInfo(int row);
    bool getSwitch(SwitchByte sw);
    WriteResult setSwitch(SwitchByte sw);

    CommandChannel &m_channel;
    SettingsModel &m_model;
    CommandReport &m_report;
};
