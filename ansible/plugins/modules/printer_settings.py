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
  - In diff mode it shows each changed setting before and after as printer-switch shows it, a
    switch byte with every switch's state and meaning, a code page or character set with its
    list entry; in check mode too, for the settings as they would be.
  - The port and the serial options are checked before printer-switch runs. A failure carries
    printer-switch's reason, every line of it, and returns C(result) and C(port).
  - Needs the package C(printer-switch-utility) on the managed host.
options:
  settings:
    description:
      - The settings the printer is to hold, with printer-switch's names, in any number and
        order, each setting once (C(SW2) with C(SW2.4) names switch 4 twice and is refused).
      - C(SW1), C(SW2), C(SW3) take a whole switch byte, 0 to 255.
      - C(SWn.k) (for example C("SW2.4")) takes one switch (k from 1 to 8), C(true) for ON and
        C(false) for OFF; Ansible's texts for them (C("yes"), C("no"), C("on"), C("off"),
        C("true"), C("false")) are taken too, as they come from C(-e) or a survey.
      - C(codepage) takes one of 0, 1, 2, 3, 4, 5, 17, 18, 19, 21, 22, 24, 25, 26, 27, 28, 29,
        31, 33, 34, 36, 37, 250 (the window's code-page list).
      - C(charset) takes one of 0 to 13 or 15 (the window's international character set list).
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
attributes:
  check_mode:
    description: Can run in check mode and return changed status prediction without modifying target.
    support: full
  diff_mode:
    description: Will return details on what has changed (or possibly needs changing in check_mode), when in diff mode.
    support: full
  platform:
    description: Target OS/families that can be operated against.
    support: N/A
    platforms: posix
author:
  - Printer Software Switch Utility developers (@printerswitch)
notes:
  - A printer that failed or refused fails the host with printer-switch's reason;
    C(failed_when) and C(ignore_errors) work as usual. In a loop, a failed printer hides the
    writes made to the others in the recap; one inventory host per printer (see the
    collection's README), or the role C(printerswitch.norvanta.store_printers), shows them.
  - After a write the printer wants to be switched off and on; the result says so in
    C(power_cycle_required), and printer-switch's reminder comes as a warning.
seealso:
  - module: printerswitch.norvanta.printer_info
  - module: printerswitch.norvanta.printer_facts
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
      printer held (null where it was no number), the value it holds now and whether the write
      reached the printer. Empty when the printer already held the settings.
    - On a failure, what was written before it (C(written) true) and what was not.
  returned: always
  type: list
  elements: dict
  sample: [{setting: SW2, from: 235, to: 227, written: true},
           {setting: codepage, from: 0, to: 17, written: true}]
result:
  description:
    - printer-switch's result for the printer, C(ok) (written, or in check mode would be) or
      C(unchanged) on success.
    - On a failure C(failed) (silent, off, another maker, a write that did not stick),
      C(refused) (nothing written - a setting the model does not have, a number not in the lists,
      another model than C(expected_model)), C(interrupted), or C(invalid) (options printer-switch
      does not run with, such as C(SW9) or C(baud) with a TCP port).
  returned: always
  type: str
  sample: ok
port:
  description: The printer's port as printer-switch names it, or as given where it did not run.
  returned: always
  type: str
  sample: "tcp:192.168.10.20:9100"
power_cycle_required:
  description:
    - A write reached the printer, which wants to be switched off and on to take the new
      settings; also after a failure that came after a write. False in check mode.
  returned: always
  type: bool
  sample: true
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.printerswitch.norvanta.plugins.module_utils.printer_switch import (
    PORT_ARGUMENT_SPEC,
    PrinterSwitch,
    PrinterSwitchError,
    diff,
    fail,
    setting_arguments,
)


def check_model(printer_switch, expected_model):
    """Refuses, before anything is written, a printer of another model."""
    info = printer_switch.info()
    if info.get("model") != expected_model:
        port = info.get("port") or printer_switch.port
        raise PrinterSwitchError('%s: refused: model "%s" is not the expected "%s"; nothing was '
                                 'written' % (port, info.get("model"), expected_model),
                                 "refused", port)


def main():
    module = AnsibleModule(
        argument_spec=dict(PORT_ARGUMENT_SPEC,
                           settings=dict(type="dict", required=True),
                           expected_model=dict(type="str")),
        supports_check_mode=True,
    )
    try:
        printer_switch = PrinterSwitch(module)
        settings, backup_model = setting_arguments(module.params["settings"])
        expected_model = module.params["expected_model"] or backup_model
        if expected_model:
            check_model(printer_switch, expected_model)
        outcome = printer_switch.set(settings, dry_run=module.check_mode, meanings=module._diff)
    except PrinterSwitchError as error:
        fail(module, error)

    changed = outcome["result"] == "ok"
    if outcome["power_cycle_required"]:
        # printer-switch's messages after a write: the reminder to switch the printer off and on.
        for message in outcome["messages"]:
            module.warn(message)
    changes = [dict((key, change.get(key)) for key in ("setting", "from", "to", "written"))
               for change in outcome["changes"]]
    result = dict(changed=changed, changes=changes, result=outcome["result"], port=outcome["port"],
                  power_cycle_required=outcome["power_cycle_required"])
    if module._diff:
        result["diff"] = diff(outcome["port"], outcome["changes"])
    module.exit_json(**result)


if __name__ == "__main__":
    main()
