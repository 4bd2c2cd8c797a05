#pragma once

#include <QString>
#include <QStringList>

// Finds the help file: the first folder of a list that holds it wins.
class HelpLocator
{
public:
    // "KV_SW_Help.txt"
    static QString helpFileName();

    // The folders of this program, in the order they are searched: the working directory, the
    // folder of the executable, then the installed data folders (the one beside the installed
    // executable first, then those of the desktop's data directories).
    static HelpLocator forThisProgram();

    explicit HelpLocator(QStringList folders);

    // The full path of the help file in the first folder that holds it as a readable file, or
    // an empty text when none does.
    QString find() const;
    // The folders searched, in order.
    QStringList folders() const;

private:
    QStringList m_folders;
};
