#pragma once

#include "CommandSet.h"
#include "SwitchTypes.h"

#include <QByteArray>
#include <QString>

#include <array>

#include <initializer_list>
#include <optional>

class CommandChannel;
class CommandReport;
struct SettingsModel;

// The printer's command set: the queries that fill the settings model, the switch and language
// writes that take their bytes from it, and the self test.
class PrinterCommands : public CommandSet
{
public:
    PrinterCommands(CommandChannel &channel, SettingsModel &settings, CommandReport &report);

    bool getMakerInfo() override;
    bool getInfo(InfoGroup group, int index) override;
    bool getSwitch(SwitchByte sw) override;
    InStepProof proveInStep() override;

    // Each write first proves the link in step and reads the settings it starts from again; it
    // sends nothing when the proof fails or they are not what the settings were read with. Then it
    // sends unlock, its settings and lock, in that order and all of them, even after a command
    // that could not be sent; the lock after an unlock the printer took leaves however late the
    // printer takes it, so that the printer is never left unlocked when the link lasts.
    WriteResult setSwitch(SwitchByte sw) override;
    // Refused when the settings hold no code page of the list, or no character set, to write.
    WriteResult setLanguage() override;

    // The digit codes of the switch byte the settings hold to write: 37 gives '3', '7', 0.
    std::array<quint8, 3> switchDigits(SwitchByte sw) const;
    std::array<quint8, 3> GetSW1Digits() const { return switchDigits(SwitchByte::SW1); }
    std::array<quint8, 3> GetSW2Digits() const { return switchDigits(SwitchByte::SW2); }
    std::array<quint8, 3> GetSW3Digits() const { return switchDigits(SwitchByte::SW3); }

    // Sends the lock command alone, to a printer that may have been left unlocked by a link that
    // ended between an unlock and its lock.
    bool sendLock();

    // Sends the self-test command; the printer prints and its reply says nothing.
    void startSelfTest();

    // The greeting a printer of the right maker gets from the maker query.
    static QString greeting();
    // What the user is told after a write that reached the printer: the printer takes its new
    // settings when it is switched off and on.
    static QString powerCycleReminder();
    // What the user is told when the printer's answers proved out of step with the questions.
    static QString outOfStepMessage();
    // What the user is told, after what became of the write, when the link ended between an
    // unlock and its lock.
    static QString mayBeUnlocked();

private:
    // One transaction that expects a reply, through which every reply text the command set
    // judges comes, and one that expects none.
    QString query(const QByteArray &command);
    // The reply's switch byte: a whole reply of digits from 0 to 255. Logged when it is one, and
    // when the reply came with foreign bytes inside, as it came.
    std::optional<int> switchReply(SwitchByte sw, const QString &reply);
    // Proves the link in step, then reads `sw` again: Written when it still holds what the settings
    // were read with.
    WriteResult provedUnchanged(SwitchByte sw);
    WriteResult provedLanguageUnchanged();
    WriteResult proved();
    bool write(const QByteArray &command);
    WriteResult writeUnlocked(std::initializer_list<QByteArray> settings);
    bool getInfoRow(int row);

    CommandChannel &m_channel;
    SettingsModel &m_settings;
    CommandReport &m_report;
    // The values the settings took since the link was last proved in step.
    std::array<bool, 3> m_switchesSinceProof{};
    std::array<std::array<bool, 4>, 2> m_infoSinceProof{};
};
