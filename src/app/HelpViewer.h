#pragma once

#include <QWidget>

class QPlainTextEdit;

// The help file in a window of the program's own, for a desktop that cannot show it: the file's
// text, read-only, in a window titled with the file's name, wide enough for its longest line
// (or wrapping its lines where the screen is narrower) and free to be resized. Escape closes it.
class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    // The largest file the viewer shows; a help file is a few pages of text.
    static constexpr qint64 kMaximumSize = 1024 * 1024;

    explicit HelpViewer(QWidget *parent = nullptr);

    // Shows the text of the file at `path` and brings the window to the front. False when the
    // file cannot be read, is larger than kMaximumSize or is not text; `error` then says why.
    bool showFile(const QString &path, QString *error);

private:
    // Sizes the window for `text`, its longest line whole, within the screen's available area.
    void fitText(const QString &text);

    QPlainTextEdit *m_text;
};
