#include "LinkStatus.h"

#include <array>

namespace {

struct StatusRow
{
    int code;
    const char *text;
    int red;
    int green;
    int blue;
};

constexpr std::array kStatusRows{
    StatusRow{0, "Disconnect", 255, 0, 0},
    StatusRow{6, "Connecting...", 0, 0, 0},
    StatusRow{7, "Connected", 0, 0, 192},
};
constexpr StatusRow kOtherState{-1, "unknown", 0, 0, 0};

LinkStatusStyle styleOf(const StatusRow &row)
{
    return {QLatin1String(row.text), row.red, row.green, row.blue};
}

} // namespace

LinkStatusStyle linkStatusStyle(int stateCode)
{
    for (const StatusRow &row : kStatusRows) {
        if (row.code == stateCode)
            return styleOf(row);
    }
    return styleOf(kOtherState);
}
