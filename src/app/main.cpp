#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Printer Software Switch Utility v1.1"));
    window.show();
    return app.exec();
}
