# -*- coding: utf-8 -*-
# printer-switch's JSON text in, module results or the user's one-line message out; the options
# refused before printer-switch runs.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import unittest

from ansible_collections.printerswitch.norvanta.plugins.module_utils.printer_switch import (
    PrinterSwitchError,
    check_port,
    diff,
    parse_info,
    parse_set,
    port_arguments,
    setting_arguments,
)

PORT = "tcp:127.0.0.1:9100"
HELP = "Try printer-switch set --help.\n"


class SettingArguments(unittest.TestCase):
    def test_rows(self):
        rows = [
            ("switch byte, one switch ON, code page", {"SW2": 37, "SW2.4": True, "codepage": 17},
             (["SW2=37", "SW2.4=ON", "codepage=17"], None)),
            ("switch OFF, a number templated as text", {"SW3.1": False, "charset": "12"},
             (["SW3.1=OFF", "charset=12"], None)),
            ("switch states as texts from -e or a survey",
             {"SW2.1": "true", "SW2.2": "yes", "SW2.3": "off", "SW2.4": "False"},
             (["SW2.1=ON", "SW2.2=ON", "SW2.3=OFF", "SW2.4=OFF"], None)),
            ("a switch byte or switch printer-switch judges", {"SW9": 1, "SW2.9": True},
             (["SW9=1", "SW2.9=ON"], None)),
            ("a backup document as printer-switch backup prints it",
             {"maker": "NORVANTA", "model": "ZEPHYR-550", "switches": {"SW1": 0, "SW2": 129},
              "codePage": 17, "charset": 12},
             (["SW1=0", "SW2=129", "codepage=17", "charset=12"], "ZEPHYR-550")),
        ]
        for name, settings, expected in rows:
            with self.subTest(name):
                self.assertEqual(setting_arguments(settings), expected)

    def test_refused_before_printer_switch_runs(self):
        rows = [
            ("nothing to set", {}, "no setting given"),
            ("a name that would be an option", {"--port": 1}, "is no setting name"),
            ("a second equals sign", {"SW2=1": 1}, "is no setting name"),
            ("a line break after the name", {"SW2\n": 1}, "is no setting name"),
            ("a digit that is no ASCII digit", {"SW2": "\u00b2"}, "SW2 is a whole number"),
            ("a switch neither true nor false", {"SW2.4": "maybe"}, "SW2.4 is a switch"),
            ("a byte given as a state", {"SW2": True}, "SW2 is a whole number"),
            ("a negative byte", {"SW2": -1}, "SW2 is a whole number"),
        ]
        for name, settings, message in rows:
            with self.subTest(name):
                with self.assertRaisesRegex(PrinterSwitchError, message) as caught:
                    setting_arguments(settings)
                self.assertEqual(caught.exception.result, "invalid")


class PortOptions(unittest.TestCase):
    def test_taken(self):
        rows = [
            ("TCP with the printer's reply bound",
             dict(port="tcp:10.1.2.3", reply_timeout=5000),
             ["--port", "tcp:10.1.2.3", "--reply-timeout", "5000"]),
            ("a COM port with its serial options",
             dict(port="COM16", baud=9600, parity="even", handshake="xon"),
             ["--port", "COM16", "--baud", "9600", "--parity", "even", "--handshake", "xon"]),
            ("a serial device path", dict(port="/dev/ttyUSB0", baud=19200),
             ["--port", "/dev/ttyUSB0", "--baud", "19200"]),
            ("LPT1", dict(port="LPT1"), ["--port", "LPT1"]),
        ]
        for name, params, arguments in rows:
            with self.subTest(name):
                check_port(params)
                self.assertEqual(port_arguments(params), arguments)

    def test_refused_before_printer_switch_runs(self):
        rows = [
            ("an option as the port", dict(port="--help"), '"--help" names no port'),
            ("COM99 is not in the port list", dict(port="COM99"), '"COM99" names no port'),
            ("baud on a TCP port", dict(port="tcp:10.1.2.3", baud=9600),
             "baud set up a serial port; tcp:10.1.2.3 is none"),
            ("parity and handshake on the printer device", dict(port="/dev/usb/lp0",
                                                                parity="even", handshake="dtr"),
             "parity, handshake set up a serial port; /dev/usb/lp0 is none"),
        ]
        for name, params, message in rows:
            with self.subTest(name):
                with self.assertRaisesRegex(PrinterSwitchError, message) as caught:
                    check_port(params)
                self.assertEqual((caught.exception.result, caught.exception.port),
                                 ("invalid", params["port"]))


class ParseSet(unittest.TestCase):
    def test_good_results(self):
        written = {"setting": "SW2", "from": 37, "to": 45, "written": True}
        rows = [
            ("written: a power cycle wanted, the reminder without the summary", 0,
             '{"port": "%s", "result": "ok", "changes": [{"setting": "SW2", "from": 37, '
             '"to": 45, "written": true}], "error": null}\n' % PORT,
             "%s: After writed software switch, please re-power on printer!!\n1 ok\n" % PORT,
             {"port": PORT, "result": "ok", "changes": [written], "power_cycle_required": True,
              "messages": ["%s: After writed software switch, please re-power on printer!!"
                           % PORT]}),
            ("already held: no change", 0,
             '{"port": "%s", "result": "unchanged", "changes": [], "error": null}\n' % PORT,
             "1 unchanged\n", {"port": PORT, "result": "unchanged", "changes": [],
                               "power_cycle_required": False, "messages": []}),
        ]
        for name, rc, stdout, stderr, expected in rows:
            with self.subTest(name):
                self.assertEqual(parse_set("tcp:127.0.0.1", rc, stdout, stderr), expected)

    def test_failures_carry_printer_switch_reasons(self):
        rows = [
            ("refused printer", 1,
             '{"port": "%s", "result": "refused", "changes": [], "error": "model \\"ZEPHYR-550\\" '
             'has no SW1"}\n' % PORT, '%s: refused: model "ZEPHYR-550" has no SW1; nothing was '
             'written\n0 ok, 1 refused\n' % PORT, "refused",
             '%s: refused: model "ZEPHYR-550" has no SW1; nothing was written' % PORT),
            ("refused, nothing on stderr: the JSON's error", 1,
             '{"port": "%s", "result": "refused", "changes": [], "error": "code page 6 is not in '
             'the list"}\n' % PORT, "", "refused", "%s: code page 6 is not in the list" % PORT),
            ("partial write: what reached the printer first, then the reminder", 1,
             '{"port": "%s", "result": "failed", "changes": [{"setting": "SW2", "from": 37, '
             '"to": 45, "written": true}], "error": "SW2 37->45 written; SW3 could not be '
             'written"}\n' % PORT,
             "%s: SW2 37->45 written; SW3 could not be written\n%s: After writed software "
             "switch, please re-power on printer!!\n" % (PORT, PORT), "failed",
             "%s: SW2 37->45 written; SW3 could not be written; After writed software switch, "
             "please re-power on printer!!" % PORT),
            ("bad usage: the reason, not the pointer to the help", 2, "",
             "printer-switch: SW2.9=ON: a setting is SW1=N, SW2=N, SW3=N, SWn.k=ON|OFF, "
             "codepage=N or charset=N\n" + HELP, "invalid",
             "tcp:127.0.0.1: SW2.9=ON: a setting is SW1=N, SW2=N, SW3=N, SWn.k=ON|OFF, "
             "codepage=N or charset=N"),
            ("a line that is no JSON", 0, "SW2 37->45\n", "", "failed",
             "tcp:127.0.0.1: printer-switch printed no JSON: SW2 37->45"),
            ("silent: nothing at all", 1, "", "", "failed",
             "tcp:127.0.0.1: printer-switch set ended with status 1"),
        ]
        for name, rc, stdout, stderr, result, message in rows:
            with self.subTest(name):
                with self.assertRaises(PrinterSwitchError) as caught:
                    parse_set("tcp:127.0.0.1", rc, stdout, stderr)
                self.assertEqual((str(caught.exception), caught.exception.result),
                                 (message, result))

    def test_failed_write_wants_a_power_cycle(self):
        with self.assertRaises(PrinterSwitchError) as caught:
            parse_set(PORT, 1, '{"port": "%s", "result": "failed", "changes": [{"setting": '
                               '"SW2", "from": 37, "to": 45, "written": true}], "error": "x"}'
                      % PORT, "")
        self.assertEqual(caught.exception.fields(), {
            "result": "failed", "port": PORT, "power_cycle_required": True, "changed": True,
            "changes": [{"setting": "SW2", "from": 37, "to": 45, "written": True}]})


class ParseInfo(unittest.TestCase):
    def test_rows(self):
        self.assertEqual(parse_info(PORT, 0, '{"maker": "NORVANTA", "model": "KV-4100"}', ""),
                         {"maker": "NORVANTA", "model": "KV-4100"})
        rows = [
            ("closed port: the object's error, said once", 1,
             '{"port": "%s", "error": "Connection refused"}' % PORT,
             "%s: Connection refused\n" % PORT, "%s: Connection refused" % PORT),
            ("no object: every line of stderr", 1, "",
             "%s: no answer\n%s: Communication Test failed\n" % (PORT, PORT),
             "%s: no answer; Communication Test failed" % PORT),
        ]
        for name, rc, stdout, stderr, message in rows:
            with self.subTest(name):
                with self.assertRaises(PrinterSwitchError) as caught:
                    parse_info(PORT, rc, stdout, stderr)
                self.assertEqual(str(caught.exception), message)


class Diff(unittest.TestCase):
    def test_both_sides_as_printer_switch_shows_them(self):
        changes = [{"setting": "SW2", "from": 8, "to": 0, "before": ["SW2: 8", "  4: OFF  Partial"],
                    "after": ["SW2: 0", "  4: ON   Full"]},
                   {"setting": "charset", "from": 0, "to": 12}]
        self.assertEqual(diff(PORT, changes), {
            "before_header": PORT, "before": "SW2: 8\n  4: OFF  Partial\ncharset: 0\n",
            "after_header": PORT, "after": "SW2: 0\n  4: ON   Full\ncharset: 12\n"})


if __name__ == "__main__":
    unittest.main()
