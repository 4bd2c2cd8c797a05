#include "HelpViewer.h"

#include "HelpLocator.h"

#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Lines shown at once where the screen has room for them.
constexpr int kLines = 36;

// A text file holds no control characters but tab, line feed, form feed and carriage return;
// any other file has them (NUL above all).
bool isText(const QByteArray &bytes)
{
    return std::none_of(bytes.cbegin(), bytes.cend(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\f' &&
               c != '\r';
    });
}

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
    auto *closing = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closing, &QShortcut::activated, this, &QWidget::close);
}

bool HelpViewer::showFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    // No more than one byte past the limit is read, whatever the file holds.
    const QByteArray bytes = file.read(kMaximumSize + 1);
    if (bytes.size() > kMaximumSize) {
        *error = QStringLiteral("it is larger than 1 MiB.");
        return false;
    }
    if (!isText(bytes)) {
        *error = QStringLiteral("it is not a text file.");
        return false;
    }
    const QString text =
        QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(text);
    // A size the user gave the window stays.
    if (!isVisible())
        fitText(text);
    show();
    raise();
    activateWindow();
    return true;
}

void HelpViewer::fitText(const QString &text)
{
    const QFontMetrics metrics(m_text->font());
    int longest = 0;
    for (const QStringView line : QStringView(text).split(u'\n'))
        longest = std::max(longest, metrics.horizontalAdvance(line.toString()));
    // Beside the text: the document's margins, the frame, the cursor and the scroll bar.
    const int margins = 2 * (int(m_text->document()->documentMargin()) + m_text->frameWidth()) +
                        m_text->cursorWidth();
    const int scrollBar = m_text->verticalScrollBar()->sizeHint().width();
    const QSize wanted(longest + margins + scrollBar, metrics.lineSpacing() * kLines + margins);
    const QSize room = screen()->availableGeometry().size();
    // Where the screen is too narrow for the longest line, lines wrap rather than hide a part.
    m_text->setLineWrapMode(wanted.width() > room.width() ? QPlainTextEdit::WidgetWidth
                                                          : QPlainTextEdit::NoWrap);
    resize(wanted.boundedTo(room));
}
