#include "PseudoTerminal.h"

// Windows has no pseudo-terminals: the emulator serves TCP clients only there.
PseudoTerminal::PseudoTerminal(const QString &linkPath, QObject *parent)
    : ClientLink(parent)
    , m_linkPath(linkPath)
{}

PseudoTerminal::~PseudoTerminal() = default;

bool PseudoTerminal::open(QString *error)
{
    *error = QStringLiteral("there are no pseudo-terminals on Windows; use --tcp");
    return false;
}

void PseudoTerminal::write(const QByteArray &) {}

void PseudoTerminal::hangUp() {}
