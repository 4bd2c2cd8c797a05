#include "PortComboBox.h"

void PortComboBox::showPopup()
{
    Q_EMIT aboutToShowPopup();
    QComboBox::showPopup();
}
