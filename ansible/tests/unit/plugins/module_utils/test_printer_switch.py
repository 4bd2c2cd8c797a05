# -*- coding: utf-8 -*-
# printer-switch's JSON text in, module results or the user's one-line message out.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import unittest

from ansible_collections.printerswitch.norvanta.plugins.module_utils.printer_switch import (
    PrinterSwitchError,
    describe,
    parse_info,
    parse_set,
    setting_arguments,
)

PORT = "tcp:127.0.0.1:9100"


class SettingArguments(unittest.TestCase):
    def test_rows(self):
        rows = [
            ("switch byte, one switch ON, code page",
             {"SW2": 37, "SW2.4": True, "codepage": 17}, (["SW2=37", "SW2.4=ON", "codepage=17"],
                                                         None)),
            ("switch OFF, a number templated as text", {"SW3.1": False, "charset": "12"},
             (["SW3.1=OFF", "charset=12"], None)),
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
            ("a digit that is no ASCII digit", {"SW2": "\u00b2"}, "SW2 is true or false"),
            ("a switch as text", {"SW2.4": "yes"}, "SW2.4 is true or false"),
            ("a negative byte", {"SW2": -1}, "SW2 is true or false"),
        ]
        for name, settings, message in rows:
            with self.subTest(name):
                with self.assertRaisesRegex(PrinterSwitchError, message):
                    setting_arguments(settings)


class ParseSet(unittest.TestCase):
    def test_good_results(self):
        rows = [
            ("written: changes without the written flag, the reminder without the summary", 0,
             '{"port": "%s", "result": "ok", "changes": [{"setting": "SW2", "from": 37, '
             '"to": 45, "written": true}], "error": null}\n' % PORT,
             "%s: After writed software switch, please re-power on printer!!\n1 ok\n" % PORT,
             {"result": "ok", "changes": [{"setting": "SW2", "from": 37, "to": 45}],
              "messages": ["%s: After writed software switch, please re-power on printer!!"
                           % PORT]}),
            ("already held: no change", 0,
             '{"port": "%s", "result": "unchanged", "changes": [], "error": null}\n' % PORT,
             "1 unchanged\n", {"result": "unchanged", "changes": [], "messages": []}),
        ]
        for name, rc, stdout, stderr, expected in rows:
            with self.subTest(name):
                self.assertEqual(parse_set("tcp:127.0.0.1", rc, stdout, stderr), expected)

    def test_failures_carry_printer_switch_message(self):
        rows = [
            ("refused printer", 1,
             '{"port": "%s", "result": "refused", "changes": [], "error": "model \\"ZEPHYR-550\\" '
             'has no SW1"}\n' % PORT, "",
             '%s: model "ZEPHYR-550" has no SW1' % PORT),
            ("partial write reported", 1,
             '{"port": "%s", "result": "failed", "changes": [{"setting": "SW2", "from": 37, '
             '"to": 45, "written": true}], "error": "SW2 37->45 written; SW3 could not be '
             'written"}\n' % PORT, "",
             "%s: SW2 37->45 written; SW3 could not be written" % PORT),
            ("bad usage: no JSON, the reason on stderr", 2, "",
             "printer-switch: unknown option --json\n", "%s: printer-switch: unknown option" % PORT),
            ("a line that is no JSON", 0, "SW2 37->45\n", "", "printed no JSON: SW2 37->45"),
            ("silent: nothing at all", 1, "", "", "set ended with status 1"),
        ]
        for name, rc, stdout, stderr, message in rows:
            with self.subTest(name):
                with self.assertRaises(PrinterSwitchError) as caught:
                    parse_set(PORT, rc, stdout, stderr)
                self.assertIn(message, str(caught.exception))


class ParseInfo(unittest.TestCase):
    def test_rows(self):
        self.assertEqual(parse_info(PORT, 0, '{"maker": "NORVANTA", "model": "KV-4100"}', ""),
                         {"maker": "NORVANTA", "model": "KV-4100"})
        rows = [
            ("closed port: an object with the error", 1,
             '{"port": "%s", "error": "Connection refused"}' % PORT, "",
             "%s: Connection refused" % PORT),
            ("no object: the last line of stderr", 1, "",
             "%s: Communication Test failed\n" % PORT, "%s: Communication Test failed" % PORT),
        ]
        for name, rc, stdout, stderr, message in rows:
            with self.subTest(name):
                with self.assertRaises(PrinterSwitchError) as caught:
                    parse_info(PORT, rc, stdout, stderr)
                self.assertEqual(str(caught.exception), message)


class Describe(unittest.TestCase):
    def test_changed_settings_with_meanings(self):
        info = {"switches": {"SW2": {"value": 8, "switches": [
            {"number": 4, "on": False, "meaning": "Two lines\r\nof meaning"},
            {"number": 5, "on": True, "meaning": None}]}},
            "language": {"codePage": 0, "charset": 0}}
        changes = [{"setting": "SW2", "from": 8, "to": 0},
                   {"setting": "codepage", "from": 0, "to": 17}]
        self.assertEqual(describe(info, changes),
                         "SW2: 8\n  4: OFF  Two lines\n          of meaning\n  5: ON \n"
                         "codepage: 0\n")
        self.assertIsNone(describe(None, changes))


if __name__ == "__main__":
    unittest.main()
