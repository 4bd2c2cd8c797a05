#include "WinErrors.h"

#include <windows.h>

namespace WinErrors {

SystemError fromCode(unsigned long code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    QString text = length > 0 ? QString::fromWCharArray(buffer, static_cast<qsizetype>(length))
                              : QStringLiteral("Windows error %1").arg(code);
    ::LocalFree(buffer);
    // The system's texts end in a full stop and a line break; the messages add their own.
    text = text.trimmed();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return {static_cast<int>(code), text};
}

OpenFailure openFailure(const QString &device, unsigned long code)
{
    const SystemError error = fromCode(code);
    OpenFailure failure;
    failure.device = device;
    failure.number = error.number;
    failure.systemText = error.text;
    if (device.isEmpty()) {
        failure.errorClass = OpenFailure::Class::CallerBug;
        failure.cause = OpenFailure::Cause::NoDevice;
        return failure;
    }
    failure.errorClass = OpenFailure::Class::SystemFailure;
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
        failure.cause = OpenFailure::Cause::NoDevice;
        break;
    // Windows lets one program at a time open a port, and refuses the others access.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        failure.cause = OpenFailure::Cause::Busy;
        break;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER:
        failure.errorClass = OpenFailure::Class::NotSupported;
        break;
    default:
        break;
    }
    return failure;
}

} // namespace WinErrors
