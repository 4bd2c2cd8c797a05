#include "PtyAnnouncement.h"

// Windows has no pseudo-terminals, so there is nothing to announce.
PtyAnnouncement::PtyAnnouncement()
    : m_number(0)
{}

PtyAnnouncement::~PtyAnnouncement() = default;

QString PtyAnnouncement::folder()
{
    return {};
}

bool PtyAnnouncement::announce(const QString &, QString *error)
{
    *error = QStringLiteral("there are no pseudo-terminals on Windows");
    return false;
}

void PtyAnnouncement::withdraw() {}
