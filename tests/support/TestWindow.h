#pragma once

#include "MainWindow.h"
#include "PrinterDisplay.h"
#include "QtEventPump.h"
#include "RecordingPrompter.h"
#include "RecordingShell.h"
#include "TestDevices.h"

#include <QString>
#include <QWidget>

#include <memory>

class QComboBox;

// The main window with recording seams, its port names pointed at the test's devices.
struct TestWindow
{
    explicit TestWindow(
        std::unique_ptr<DeviceResolver> resolver = std::make_unique<FixedDeviceResolver>(),
        std::unique_ptr<TcpClient> tcp = nullptr);

    // A control of the window by its object name; a name the window lacks stops the test run.
    template<typename Control> Control *control(const QString &name) const
    {
        Control *found = window.findChild<Control *>(name);
        if (found == nullptr)
            qFatal("The window has no control named %s", qPrintable(name));
        return found;
    }

    RecordingPrompter prompter;
    RecordingShell shell;
    QtEventPump pump;
    MainWindow window;
};

// The window's view of the settings model, found by its object name.
PrinterDisplay &displayOf(const MainWindow &window);

// Picks entry `index` of a list with the keyboard, as a user would.
void chooseEntry(QComboBox *combo, int index);
// Where a test saves a picture of the window: the build folder's screenshots/ folder.
QString screenshotPath(const QString &file);

// What the communication test shows when it passed, and when the printer is no NORVANTA printer.
inline const QString kGreeting =
    QStringLiteral("Welcome to NORVANTA world.\r\n\r\nCommunication test finished.");
inline const QString kWrongMaker =
    QStringLiteral("Please connected NORVANTA POS printer before test.");
