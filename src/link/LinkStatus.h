#pragma once

#include <QString>

// How the TCP status box shows a state code: its text and text colour.
struct LinkStatusStyle
{
    QString text;
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The style of a state code; codes without one of their own show as "unknown".
LinkStatusStyle linkStatusStyle(int stateCode);
