# -*- coding: utf-8 -*-
# printer_settings as Ansible runs it, with printer-switch's runs answered by the rows: the
# command lines it runs, what it returns, and the options refused before printer-switch runs.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import io
import json
import unittest
from unittest import mock

from ansible.module_utils import basic
from ansible.module_utils.common.text.converters import to_bytes
from ansible_collections.printerswitch.norvanta.plugins.modules import printer_settings

BINARY = "/usr/bin/printer-switch"
PORT = "tcp:127.0.0.1:9100"
KV_SW2 = ["SW2: 235", "  4: OFF  Partial cut paper."]
KV_SW2_AFTER = ["SW2: 227", "  4: ON   Full cut paper"]
DRY_RUN = (0, json.dumps({"port": PORT, "result": "ok", "error": None, "changes": [
    {"setting": "SW2", "from": 235, "to": 227, "written": False, "before": KV_SW2,
     "after": KV_SW2_AFTER}]}), "%s: dry run: nothing was written\n1 ok\n" % PORT)
WRITTEN = (0, json.dumps({"port": PORT, "result": "ok", "error": None, "changes": [
    {"setting": "SW2", "from": 235, "to": 227, "written": True}]}),
    "%s: After writed software switch, please re-power on printer!!\n1 ok\n" % PORT)
ZEPHYR = (0, json.dumps({"port": PORT, "error": None, "model": "ZEPHYR-550"}), "")


class PrinterSettings(unittest.TestCase):
    def run_module(self, arguments, replies):
        """The module with ARGUMENTS: what it returned and the command lines it ran."""
        basic._ANSIBLE_ARGS = to_bytes(json.dumps({"ANSIBLE_MODULE_ARGS": arguments}))
        with mock.patch.multiple(basic.AnsibleModule, get_bin_path=lambda *a, **k: BINARY,
                                 run_command=mock.DEFAULT) as patched, \
                mock.patch("sys.stdout", new_callable=io.StringIO) as out:
            patched["run_command"].side_effect = list(replies)
            with self.assertRaises(SystemExit):
                printer_settings.main()
        ran = [call.args[0] for call in patched["run_command"].call_args_list]
        return json.loads(out.getvalue()), ran

    def test_rows(self):
        set_sw2 = [BINARY, "set", "--port", "tcp:127.0.0.1", "--json"]
        rows = [
            ("check mode with diff: a dry run; both sides with the switches' meanings",
             {"port": "tcp:127.0.0.1", "settings": {"SW2.4": "yes"}, "_ansible_check_mode": True,
              "_ansible_diff": True}, [DRY_RUN],
             [set_sw2 + ["--dry-run", "--meanings", "SW2.4=ON"]],
             {"changed": True, "result": "ok", "port": PORT, "power_cycle_required": False,
              "diff": {"before_header": PORT, "before": "SW2: 235\n  4: OFF  Partial cut paper.\n",
                       "after_header": PORT, "after": "SW2: 227\n  4: ON   Full cut paper\n"}}),
            ("written on a printer busy printing: the reply bound passed on, a power cycle wanted",
             {"port": "tcp:127.0.0.1", "settings": {"SW2": 227}, "reply_timeout": 5000},
             [WRITTEN], [[BINARY, "set", "--port", "tcp:127.0.0.1", "--reply-timeout", "5000",
                          "--json", "SW2=227"]],
             {"changed": True, "result": "ok", "power_cycle_required": True,
              "warnings": ["%s: After writed software switch, please re-power on printer!!"
                           % PORT]}),
            ("another model than expected: refused, with its result and port, nothing set",
             {"port": "tcp:127.0.0.1", "settings": {"SW2": 227}, "expected_model": "KV-4100"},
             [ZEPHYR], [[BINARY, "info", "--port", "tcp:127.0.0.1", "--json"]],
             {"failed": True, "changed": False, "result": "refused", "port": PORT,
              "msg": '%s: refused: model "ZEPHYR-550" is not the expected "KV-4100"; nothing '
                     'was written' % PORT}),
            ("baud with a TCP port: refused before printer-switch runs",
             {"port": "tcp:127.0.0.1", "baud": 9600, "settings": {"SW2": 227}}, [], [],
             {"failed": True, "result": "invalid", "port": "tcp:127.0.0.1",
              "msg": "baud set up a serial port; tcp:127.0.0.1 is none"}),
            ("an option as the port: refused before printer-switch runs",
             {"port": "--help", "settings": {"SW2": 227}}, [], [],
             {"failed": True, "result": "invalid", "port": "--help",
              "msg": 'port: "--help" names no port: give tcp:HOST[:PORT], COM1 to COM16, a '
                     'device path or LPT1'}),
        ]
        for name, arguments, replies, commands, expected in rows:
            with self.subTest(name):
                result, ran = self.run_module(arguments, replies)
                self.assertEqual(ran, commands)
                self.assertEqual(dict((key, result.get(key)) for key in expected), expected)


if __name__ == "__main__":
    unittest.main()
