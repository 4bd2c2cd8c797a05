#pragma once

#include <QJsonValue>
#include <QString>

// A JSON document as printer-switch prints it: members in the order the documents list them
// (maker, model, ..., switches, codePage, charset), two blanks per level, and an object or array
// that holds no other object or array on one line.
QString jsonText(const QJsonValue &value);
