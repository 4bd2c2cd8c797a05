#include "SetupApiUsbPrinters.h"

#include "WinErrors.h"

#include <algorithm>
#include <memory>

// clang-format off
#include <windows.h>
#include <initguid.h>
#include <setupapi.h>
#include <usbprint.h>
// clang-format on

namespace {

// The driver's answer holds the two length bytes and at most 65533 more.
constexpr DWORD kMaxIdReply = 0x10000;
// How long a printer may take to give its ID: it answers from its own memory at once.
constexpr DWORD kIdBoundMs = 2000;
// How long a cancelled request may take to end.
constexpr DWORD kCancelBoundMs = 1000;
constexpr DWORD kMaxName = 64;

// A text value of an open registry key; empty when there is none.
QString textValue(HKEY key, const wchar_t *name)
{
    wchar_t value[kMaxName] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return QString::fromWCharArray(value);
}

// The printer port the driver numbers the device with, as the printer ports list shows it: kept
// whole ("Port Name") by some drivers, as "Base Name" ("USB") and "Port Number" (1) in the
// interface's own registry key by usbprint.sys, which make "USB001".
QString portName(HDEVINFO devices, SP_DEVICE_INTERFACE_DATA &entry)
{
    const HKEY key = ::SetupDiOpenDeviceInterfaceRegKey(devices, &entry, 0, KEY_READ);
    if (key == INVALID_HANDLE_VALUE)
        return {};
    QString name = textValue(key, L"Port Name");
    DWORD number = 0;
    DWORD size = sizeof number;
    if (name.isEmpty() && ::RegGetValueW(key, nullptr, L"Port Number", RRF_RT_REG_DWORD, nullptr,
                                         &number, &size) == ERROR_SUCCESS) {
        const QString base = textValue(key, L"Base Name");
        name = (base.isEmpty() ? QStringLiteral("USB") : base) +
               QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
    }
    ::RegCloseKey(key);
    return name;
}

QString interfacePath(HDEVINFO devices, SP_DEVICE_INTERFACE_DATA &entry)
{
    DWORD size = 0;
    ::SetupDiGetDeviceInterfaceDetailW(devices, &entry, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return {};
    const auto buffer = std::make_unique<DWORD[]>(size / sizeof(DWORD) + 1);
    auto *detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W *>(buffer.get());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!::SetupDiGetDeviceInterfaceDetailW(devices, &entry, detail, size, nullptr, nullptr))
        return {};
    return QString::fromWCharArray(detail->DevicePath);
}

} // namespace

QList<UsbPrinterInterface> SetupApiUsbPrinters::interfaces() const
{
    QList<UsbPrinterInterface> printers;
    const HDEVINFO devices = ::SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, nullptr,
                                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE)
        return printers;
    SP_DEVICE_INTERFACE_DATA entry = {};
    entry.cbSize = sizeof entry;
    for (DWORD index = 0; ::SetupDiEnumDeviceInterfaces(devices, nullptr,
                                                        &GUID_DEVINTERFACE_USBPRINT, index, &entry);
         ++index) {
        const QString path = interfacePath(devices, entry);
        if (!path.isEmpty())
            printers.append({path, portName(devices, entry)});
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return printers;
}

QByteArray SetupApiUsbPrinters::deviceIdReply(const QString &path, SystemError *error) const
{
    // Shared, so that asking does not keep another program from the printer meanwhile.
    const HANDLE device = ::CreateFileW(
        reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        *error = WinErrors::fromCode(::GetLastError());
        return {};
    }
    // The driver fills the buffer until the request ends, so both live as long as it runs.
    auto reply = std::make_unique<char[]>(kMaxIdReply);
    auto io = std::make_unique<OVERLAPPED>();
    io->hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD count = 0;
    DWORD code = ERROR_SUCCESS;
    if (!::DeviceIoControl(device, IOCTL_USBPRINT_GET_1284_ID, nullptr, 0, reply.get(), kMaxIdReply,
                           nullptr, io.get()))
        code = ::GetLastError();
    if (code == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(io->hEvent, kIdBoundMs) != WAIT_OBJECT_0) {
            ::CancelIoEx(device, io.get());
            ::WaitForSingleObject(io->hEvent, kCancelBoundMs);
        }
        code = ::GetOverlappedResult(device, io.get(), &count, FALSE) ? ERROR_SUCCESS
                                                                      : ::GetLastError();
    } else if (code == ERROR_SUCCESS) {
        ::GetOverlappedResult(device, io.get(), &count, FALSE);
    }
    ::CloseHandle(device);
    if (code == ERROR_IO_INCOMPLETE) {
        // A request that does not end even when cancelled may still write: its buffer, its
        // record and its event are left to it.
        reply.release();
        io.release();
    } else {
        ::CloseHandle(io->hEvent);
    }
    if (code != ERROR_SUCCESS) {
        *error = WinErrors::fromCode(code);
        return {};
    }
    return QByteArray(reply.get(), qsizetype(std::min<DWORD>(count, kMaxIdReply)));
}
