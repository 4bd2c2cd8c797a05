#include "WinDeviceResolver.h"

#include "PortTexts.h"
#include "SetupApiUsbPrinters.h"

#include <QMap>

#include <algorithm>
#include <utility>

// clang-format off
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

namespace {

// Windows numbers its COM ports up to 256.
constexpr int kMaxComNumber = 256;
// Registry names and values are short; these bound them.
constexpr DWORD kMaxName = 256;

QString devicePath(const QString &name)
{
    return QStringLiteral("\\\\.\\") + name;
}

QString fromWide(const wchar_t *text)
{
    return QString::fromWCharArray(text);
}

// A text value of an open registry key; empty when there is none.
QString textValue(HKEY key, const wchar_t *name)
{
    wchar_t value[kMaxName] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return fromWide(value);
}

// "COM3" -> "USB Serial Port (COM3)", as the Device Manager lists the ports present.
QMap<QString, QString> friendlyNames()
{
    QMap<QString, QString> names;
    const HDEVINFO devices =
        ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return names;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        const HKEY key =
            ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        const QString port = textValue(key, L"PortName").toUpper();
        ::RegCloseKey(key);
        wchar_t friendly[kMaxName] = {};
        if (!port.isEmpty() &&
            ::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                reinterpret_cast<BYTE *>(friendly),
                                                sizeof friendly - sizeof(wchar_t), nullptr))
            names.insert(port, fromWide(friendly));
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return names;
}

} // namespace

WinDeviceResolver::WinDeviceResolver(PortLister listPorts,
                                     std::shared_ptr<const UsbPrinterSource> usbPrinters)
    : m_listPorts(std::move(listPorts))
    , m_usbPrinters(usbPrinters ? std::move(usbPrinters) : std::make_shared<SetupApiUsbPrinters>())
{}

QString WinDeviceResolver::serialPortName(int number) const
{
    return number >= 1 && number <= kMaxComNumber ? devicePath(QStringLiteral("COM%1").arg(number))
                                                  : QString();
}

QString WinDeviceResolver::lptDeviceName() const
{
    const QList<UsbPrinterList::Printer> printers = m_usbPrinters.printers();
    const UsbPrinterList::Printer *chosen = UsbPrinterList::chosen(printers);
    return chosen != nullptr ? chosen->port.device : parallelPort();
}

QString WinDeviceResolver::parallelPort()
{
    return devicePath(QStringLiteral("LPT1"));
}

QStringList WinDeviceResolver::serialPortDescriptions(int count) const
{
    const QList<SystemSerialPort> ports = m_listPorts ? m_listPorts() : QList<SystemSerialPort>();
    QStringList descriptions;
    for (int number = 1; number <= count; ++number) {
        const QString name = QStringLiteral("COM%1").arg(number);
        const auto port =
            std::find_if(ports.cbegin(), ports.cend(), [&name](const SystemSerialPort &p) {
                return p.portName.compare(name, Qt::CaseInsensitive) == 0;
            });
        descriptions.append(port == ports.cend() ? PortTexts::noDevice()
                                                 : PortTexts::serialPortDescription(*port));
    }
    return descriptions;
}

QString WinDeviceResolver::lptDescription() const
{
    const QString usb = UsbPrinterList::description(m_usbPrinters.printers());
    if (!usb.isEmpty())
        return usb;
    wchar_t target[kMaxName] = {};
    return PortTexts::noUsbPrinter(parallelPort(),
                                   ::QueryDosDeviceW(L"LPT1", target, kMaxName) != 0);
}

QList<PrinterPort> WinDeviceResolver::printerPorts() const
{
    QList<PrinterPort> ports;
    const QList<UsbPrinterList::Printer> printers = m_usbPrinters.printers();
    for (const UsbPrinterList::Printer &printer : printers)
        ports.append(printer.port);
    return ports;
}

QList<SystemSerialPort> WinDeviceResolver::systemSerialPorts()
{
    QList<SystemSerialPort> ports;
    HKEY map = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &map) != ERROR_SUCCESS)
        return ports;
    const QMap<QString, QString> friendly = friendlyNames();
    for (DWORD index = 0;; ++index) {
        // Each value maps the driver's device ("\Device\Serial0") to its port name ("COM1").
        wchar_t device[kMaxName] = {};
        wchar_t port[kMaxName] = {};
        DWORD deviceLength = kMaxName;
        DWORD portSize = sizeof port - sizeof(wchar_t);
        DWORD type = 0;
        const LSTATUS status = ::RegEnumValueW(map, index, device, &deviceLength, nullptr, &type,
                                               reinterpret_cast<BYTE *>(port), &portSize);
        if (status == ERROR_MORE_DATA) // no port name is this long
            continue;
        if (status != ERROR_SUCCESS)
            break;
        if (type != REG_SZ)
            continue;
        const QString name = fromWide(port).toUpper();
        ports.append(
            {name, devicePath(name), QString(), friendly.value(name, fromWide(device)), QString()});
    }
    ::RegCloseKey(map);
    return ports;
}
