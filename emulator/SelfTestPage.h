#pragma once

#include "PrinterSettings.h"

#include <QStringList>

// The page the printer prints for its self test: who it is, its counters, its language settings
// and the three switch bytes, each as bits and value with what every switch does.
namespace SelfTestPage {

QStringList lines(const PrinterSettings &settings);

// Whether the cutter cuts partially, as the model's switch byte sets it.
bool partialCut(const PrinterSettings &settings);

} // namespace SelfTestPage
