#include "SettingsModel.h"

#include "LanguageTables.h"

namespace {

constexpr std::size_t kCodePageRow = 2;
constexpr std::size_t kCharsetRow = 3;

std::size_t slot(SwitchByte sw)
{
    return static_cast<std::size_t>(sw);
}

} // namespace

QString SettingsModel::modelName() const
{
    return printerInfo[0].value_or(QString());
}

std::optional<QString> &SettingsModel::info(InfoGroup group, int index)
{
    auto &rows = group == InfoGroup::Printer ? printerInfo : languageInfo;
    return rows.at(std::size_t(index));
}

std::optional<quint8> SettingsModel::switchByte(SwitchByte sw) const
{
    return switches[slot(sw)];
}

std::optional<quint8> &SettingsModel::switchByte(SwitchByte sw)
{
    return switches[slot(sw)];
}

quint8 SettingsModel::switchToWrite(SwitchByte sw) const
{
    return switchesToWrite[slot(sw)];
}

quint8 &SettingsModel::switchToWrite(SwitchByte sw)
{
    return switchesToWrite[slot(sw)];
}

std::optional<int> SettingsModel::codePage() const
{
    return LanguageTables::reportedNumber(codePageText());
}

std::optional<int> SettingsModel::charset() const
{
    return LanguageTables::reportedNumber(charsetText());
}

QString SettingsModel::codePageText() const
{
    return languageInfo[kCodePageRow].value_or(QString());
}

QString SettingsModel::charsetText() const
{
    return languageInfo[kCharsetRow].value_or(QString());
}
