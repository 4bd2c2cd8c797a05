#include "TestWindow.h"

#include <QComboBox>
#include <QTest>

#include <utility>

TestWindow::TestWindow(std::unique_ptr<DeviceResolver> resolver, std::unique_ptr<TcpClient> tcp)
    : window(prompter, shell, pump, testDevices(std::move(resolver), std::move(tcp)))
{}

void TestWindow::missingControl(const QString &name)
{
    qFatal("The window has no control named %s", qPrintable(name));
}

void chooseEntry(QComboBox *combo, int index)
{
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}
