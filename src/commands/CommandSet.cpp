#include "CommandSet.h"

bool getSwitch(CommandSet &commands, SwitchByte sw)
{
    switch (sw) {
    case SwitchByte::SW1:
        return commands.getSW1();
    case SwitchByte::SW2:
        return commands.getSW2();
    case SwitchByte::SW3:
        return commands.getSW3();
    }
    return false;
}

WriteResult setSwitch(CommandSet &commands, SwitchByte sw)
{
    switch (sw) {
    case SwitchByte::SW1:
        return commands.setSW1();
    case SwitchByte::SW2:
        return commands.setSW2();
    case SwitchByte::SW3:
        return commands.setSW3();
    }
    return WriteResult::Failed;
}
