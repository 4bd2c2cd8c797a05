#pragma once

#include "UsbPrinterSource.h"

#include <QList>
#include <QMetaType>

#include <utility>

// A USB printer as the fake system reports it: its interface, and its ID reply or why none came.
struct ReportedPrinter
{
    UsbPrinterInterface reported;
    QByteArray idReply;
    SystemError idError;
};

Q_DECLARE_METATYPE(ReportedPrinter)

// SetupAPI's answers and the printers' ID replies, as a test gives them.
class FakeUsbPrinters : public UsbPrinterSource
{
public:
    explicit FakeUsbPrinters(QList<ReportedPrinter> printers)
        : m_printers(std::move(printers))
    {}

    QList<UsbPrinterInterface> interfaces() const override
    {
        QList<UsbPrinterInterface> found;
        for (const ReportedPrinter &printer : m_printers)
            found.append(printer.reported);
        return found;
    }
    QByteArray deviceIdReply(const QString &path, SystemError *error) const override
    {
        for (const ReportedPrinter &printer : m_printers) {
            if (printer.reported.path == path) {
                *error = printer.idError;
                return printer.idReply;
            }
        }
        *error = {kFileNotFound, QStringLiteral("The system cannot find the file specified")};
        return {};
    }

private:
    static constexpr int kFileNotFound = 2; // ERROR_FILE_NOT_FOUND

    QList<ReportedPrinter> m_printers;
};
