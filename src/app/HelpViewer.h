#pragma once

#include <QWidget>

class QPlainTextEdit;

// The help file in a window of the program's own, for a desktop that cannot show it: the file's
// text, read-only, in a window titled with the file's name. Escape closes it.
class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Shows the text of the file at `path` and brings the window to the front. False when the
    // file cannot be read; `error` then says why.
    bool showFile(const QString &path, QString *error);

private:
    QPlainTextEdit *m_text;
};
