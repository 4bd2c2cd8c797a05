#include "SerialSettings.h"

QString settingsText(const SerialSettings &settings)
{
    const QLatin1Char parity(settings.parity == Parity::Even ? 'E' : 'N');
    return QString::number(static_cast<qint32>(settings.baudRate)) + QLatin1Char(',') + parity +
           QStringLiteral(",8,1");
}
