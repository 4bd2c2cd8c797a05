#include "HelpViewer.h"

#include "HelpLocator.h"

#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

// The help file is laid out for a fixed-width font, about 80 columns wide.
constexpr int kColumns = 82;
constexpr int kLines = 36;

} // namespace

HelpViewer::HelpViewer(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("helpViewer"));
    setWindowTitle(HelpLocator::helpFileName());
    m_text->setObjectName(QStringLiteral("helpText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setAccessibleName(HelpLocator::helpFileName());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    const QFontMetrics metrics(m_text->font());
    resize(metrics.horizontalAdvance(QLatin1Char('M')) * kColumns, metrics.lineSpacing() * kLines);
    auto *closing = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closing, &QShortcut::activated, this, &QWidget::close);
}

bool HelpViewer::showFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = file.errorString();
        return false;
    }
    m_text->setPlainText(QString::fromUtf8(file.readAll()));
    show();
    raise();
    activateWindow();
    return true;
}
