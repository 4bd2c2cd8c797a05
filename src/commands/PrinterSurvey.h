#pragma once

#include <QString>

class CommandSet;
struct SettingsModel;

// Where a communication test stopped: nowhere, at the port, at the query that failed, or at the
// proof that ends it, when the printer's answers proved out of step with the questions.
enum class TestStop {
    None,
    PortOpen,
    MakerInfo,
    PrinterInfo1,
    PrinterInfo2,
    PrinterInfo3,
    PrinterInfo4,
    LanguageInfo1,
    OutOfStep,
};

// The communication test's queries in their order and where they stop: the maker first (any maker
// but NORVANTA, or none, stops it), printer information 1 to 4 and the language model (each stops
// it when it gets no reply), then the font ROM, code page and character set, which do not, and
// last the switch bytes of the model. The front ends open the port before and tell the user.
class PrinterSurvey
{
public:
    PrinterSurvey(CommandSet &commands, const SettingsModel &settings);

    // Maker, printer information 1 to 4 and the language information, in that order; the query
    // that stopped the test, or TestStop::None.
    TestStop identifyPrinter();
    // Language information 1 to 4. Only a missing language model (TestStop::LanguageInfo1) stops
    // it.
    TestStop readLanguage();
    // The switch bytes the reported model has, in its order: SW2 and SW3 on a KV-4100; SW2 and,
    // while switch 1 of that SW2 is ON, SW1 on a ZEPHYR-550; none on any other model. Their
    // results do not stop anything.
    void readModelSwitches();
    // Proves that the printer's answers are still in step with the questions, which ends the
    // test: TestStop::OutOfStep when they are not, and all read since the maker's name is then
    // unread.
    TestStop proveValues();

    // What the user is told when the test stops at `stop`; empty for TestStop::None.
    static QString message(TestStop stop);
    // The advice that ends every message about a printer that does not answer.
    static QString checkPortSetting();

private:
    CommandSet &m_commands;
    const SettingsModel &m_settings;
};
