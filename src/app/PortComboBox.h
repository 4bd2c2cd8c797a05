#pragma once

#include <QComboBox>

// The port list. It tells when its list is about to open, so that what each entry stands for
// can be looked up afresh: adapters and emulators come and go while the window is open.
class PortComboBox : public QComboBox
{
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override;

Q_SIGNALS:
    void aboutToShowPopup();
};
