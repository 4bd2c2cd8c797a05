#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: printer_settings
short_description: Make a NORVANTA receipt printer hold given switch and language settings
version_added: "1.1.0"
description:
  - Runs C(printer-switch set --json) on the managed host against one printer. printer-switch
    reads the printer and writes only the settings that differ, each switch byte between unlock
    and lock, and reads them back; a printer that already holds them gets no write at all.
  - In check mode it runs C(printer-switch set --dry-run --json), which reads the printer and
    reports what would change, writing nothing.
  - In diff mode it shows each changed setting before and after, the switch bytes with every
    switch's state and meaning as C(printer-switch info --json) reports them. In check mode the
    printer is not changed, so the switches' meanings after the change cannot be read back and
    only the new values are shown.
  - Needs the package C(printer-switch-utility) on the managed host.
options:
  settings:
    description:
      - The settings the printer is to hold, with printer-switch's names, in any number and
        order.
      - C(SW1), C(SW2), C(SW3) take a whole switch byte, 0 to 255.
      - C(SWn.k) (for example C("SW2.4")) takes one switch, C(true) for ON and C(false) for OFF.
      - C(codepage) and C(charset) take a number of the window's lists.
      - A backup document, the C(backup) of M(printerswitch.norvanta.printer_info) or the output
        of C(printer-switch backup), is taken as it is; the printer must then be of the
        backup's model.
      - printer-switch refuses, writing nothing, a setting the model does not have or that
        could not be read, and a number that is not in the lists.
    type: dict
    required: true
  expected_model:
    description:
      - Refuse, writing nothing, a printer whose model is another (for example C(KV-4100) or
        C(ZEPHYR-550)). A backup document in C(settings) sets it to the backup's model unless
        it is given.
    type: str
extends_documentation_fragment:
  - printerswitch.norvanta.printer_port
author:
  - Printer Software Switch Utility developers
notes:
  - Supports check mode and diff mode.
  - A printer that failed or refused fails the host with printer-switch's message;
    C(failed_when) and C(ignore_errors) work as usual.
  - After a write the printer wants to be switched off and on; the result carries that as a
    warning.
seealso:
  - module: printerswitch.norvanta.printer_info
"""

EXAMPLES = r"""
- name: SW2 switch 4 ON and code page 17 on every store's printers
  printerswitch.norvanta.printer_settings:
    port: "{{ item.port }}"
    settings:
      SW2.4: true
      codepage: 17
    expected_model: KV-4100
  loop: "{{ printers }}"

- name: A printer on a serial port, whole switch bytes
  printerswitch.norvanta.printer_settings:
    port: /dev/ttyUSB0
    baud: 9600
    settings:
      SW2: 37
      SW3: 1
      charset: 12

- name: Put a printer back as a backup file on the controller has it
  printerswitch.norvanta.printer_settings:
    port: tcp:192.168.10.20
    settings: "{{ lookup('ansible.builtin.file', 'backups/store-17/till.json') | from_json }}"
"""

RETURN = r"""
changes:
  description:
    - One entry per setting that changed, or in check mode would change, with the value the
      printer held and the value it holds now. Empty when the printer already held the settings.
  returned: success
  type: list
  elements: dict
  sample: [{setting: SW2, from: 235, to: 227}, {setting: codepage, from: 0, to: 17}]
result:
  description: printer-switch's result for the printer, C(ok) or C(unchanged).
  returned: success
  type: str
  sample: ok
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.printerswitch.norvanta.plugins.module_utils.printer_switch import (
    PORT_ARGUMENT_SPEC,
    PrinterSwitch,
    PrinterSwitchError,
    describe,
    setting_arguments,
)


def main():
    module = AnsibleModule(
        argument_spec=dict(PORT_ARGUMENT_SPEC,
                           settings=dict(type="dict", required=True),
                           expected_model=dict(type="str")),
        supports_check_mode=True,
    )
    printer_switch = PrinterSwitch(module)
    port = module.params["port"]
    try:
        settings, backup_model = setting_arguments(module.params["settings"])
        expected_model = module.params["expected_model"] or backup_model
        before = printer_switch.info() if expected_model or module._diff else None
        if expected_model and before.get("model") != expected_model:
            raise PrinterSwitchError('%s: refused: model "%s" is not the expected "%s"; nothing '
                                     'was written' % (before.get("port") or port, before.get("model"),
                                                      expected_model))
        outcome = printer_switch.set(settings, dry_run=module.check_mode)
        changed = outcome["result"] == "ok"
        after = None
        if module._diff and changed and not module.check_mode:
            after = printer_switch.info()
    except PrinterSwitchError as error:
        module.fail_json(msg=str(error))

    if changed and not module.check_mode:
        # printer-switch's messages after a write: the reminder to switch the printer off and on.
        for message in outcome["messages"]:
            module.warn(message)
    result = dict(changed=changed, changes=outcome["changes"], result=outcome["result"])
    if module._diff:
        planned = "".join("%s: %s\n" % (change["setting"], change["to"])
                          for change in outcome["changes"])
        result["diff"] = dict(before_header="%s before" % port, before=describe(before,
                                                                             outcome["changes"]),
                              after_header="%s after" % port,
                              after=describe(after, outcome["changes"]) or planned)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
