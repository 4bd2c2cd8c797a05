#include "TestWindow.h"

#include <QComboBox>
#include <QDir>
#include <QTest>

#include <utility>

TestWindow::TestWindow(std::unique_ptr<DeviceResolver> resolver, std::unique_ptr<TcpClient> tcp)
    : window(prompter, shell, pump, testDevices(std::move(resolver), std::move(tcp)))
{}

PrinterDisplay &displayOf(const MainWindow &window)
{
    auto *display = window.findChild<PrinterDisplay *>(QStringLiteral("printerDisplay"));
    if (display == nullptr)
        qFatal("The window has no printer display");
    return *display;
}

void chooseEntry(QComboBox *combo, int index)
{
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

QString screenshotPath(const QString &file)
{
    const QDir folder(QDir(qEnvironmentVariable("PSU_BINARY_DIR", QDir::currentPath()))
                          .filePath(QStringLiteral("screenshots")));
    folder.mkpath(QStringLiteral("."));
    return folder.filePath(file);
}
