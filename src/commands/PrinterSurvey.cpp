#include "PrinterSurvey.h"

#include "CommandSet.h"
#include "PrinterCommands.h"
#include "PrinterModels.h"
#include "SettingsModel.h"

#include <array>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Printer information 1 to 4 and the stop each one makes when it fails.
struct InfoStep
{
    bool (CommandSet::*query)();
    TestStop stop;
};

constexpr std::array kPrinterInfoSteps{
    InfoStep{&CommandSet::getPrinterInfo1, TestStop::PrinterInfo1},
    InfoStep{&CommandSet::getPrinterInfo2, TestStop::PrinterInfo2},
    InfoStep{&CommandSet::getPrinterInfo3, TestStop::PrinterInfo3},
    InfoStep{&CommandSet::getPrinterInfo4, TestStop::PrinterInfo4},
};

} // namespace

PrinterSurvey::PrinterSurvey(CommandSet &commands, const SettingsModel &settings)
    : m_commands(commands)
    , m_settings(settings)
{}

TestStop PrinterSurvey::identifyPrinter()
{
    if (!m_commands.getMakerInfo())
        return TestStop::MakerInfo;
    for (const InfoStep &step : kPrinterInfoSteps) {
        if (!(m_commands.*step.query)())
            return step.stop;
    }
    return readLanguage();
}

TestStop PrinterSurvey::readLanguage()
{
    if (!m_commands.getLanguageInfo1())
        return TestStop::LanguageInfo1;
    // A missing font ROM, code page or character set still leaves a usable printer.
    m_commands.getLanguageInfo2();
    m_commands.getLanguageInfo3();
    m_commands.getLanguageInfo4();
    return TestStop::None;
}

void PrinterSurvey::readModelSwitches()
{
    // A byte is judged once the bytes before it are read, so that SW2 decides about SW1.
    for (const SwitchByte sw : PrinterModels::switchBytes(m_settings.modelName())) {
        if (PrinterModels::isInUse(m_settings, sw))
            m_commands.getSwitch(sw);
    }
}

TestStop PrinterSurvey::proveValues()
{
    return m_commands.proveInStep() == InStepProof::OutOfStep ? TestStop::OutOfStep
                                                              : TestStop::None;
}

QString PrinterSurvey::message(TestStop stop)
{
    switch (stop) {
    case TestStop::None:
        break;
    case TestStop::PortOpen:
        return QStringLiteral("Communication test error!!") + kCrLf + checkPortSetting();
    case TestStop::MakerInfo:
        return QStringLiteral("Please connected NORVANTA POS printer before test.");
    case TestStop::PrinterInfo1:
    case TestStop::PrinterInfo2:
    case TestStop::PrinterInfo3:
    case TestStop::PrinterInfo4: {
        // Printer information errors stand apart from their advice by a blank line.
        const int query = int(stop) - int(TestStop::PrinterInfo1) + 1;
        return QStringLiteral("Read printer information%1 error!!").arg(query) + kCrLf + kCrLf +
               checkPortSetting();
    }
    case TestStop::LanguageInfo1:
        return QStringLiteral("Read language information1 error!!") + kCrLf + checkPortSetting();
    case TestStop::OutOfStep:
        return PrinterCommands::outOfStepMessage();
    }
    return {};
}

QString PrinterSurvey::checkPortSetting()
{
    return QStringLiteral("Please check the port setting of your printer.");
}
