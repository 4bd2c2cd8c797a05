#include "MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// Messages break their lines with CR LF or a lone CR; the box breaks on LF.
QString shownText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int showBox(const QString &text, const QString &title, QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(QMessageBox::NoIcon, title, shownText(text), buttons,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void MessageBoxPrompter::inform(const QString &text, const QString &title)
{
    showBox(text, title, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxPrompter::ask(const QString &text, const QString &title)
{
    return showBox(text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}
