#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: printer_info
short_description: Read a NORVANTA receipt printer's information and settings
version_added: "1.1.0"
description:
  - Runs C(printer-switch info --json) and C(printer-switch backup) on the managed host against
    one printer, and returns what the printer is and holds, and its backup document.
  - Changes nothing on the printer; runs in check mode too.
  - Needs the package C(printer-switch-utility) on the managed host.
extends_documentation_fragment:
  - printerswitch.norvanta.printer_port
attributes:
  check_mode:
    description: Can run in check mode and return changed status prediction without modifying target.
    support: full
  diff_mode:
    description: Will return details on what has changed (or possibly needs changing in check_mode), when in diff mode.
    support: N/A
    details: Changes nothing.
  platform:
    description: Target OS/families that can be operated against.
    support: N/A
    platforms: posix
author:
  - Printer Software Switch Utility developers (@printerswitch)
notes:
  - A printer that cannot be read fails the host with printer-switch's reason and returns
    C(result) and C(port).
  - M(printerswitch.norvanta.printer_facts) reads all of a host's printers into its facts.
seealso:
  - module: printerswitch.norvanta.printer_settings
  - module: printerswitch.norvanta.printer_facts
"""

EXAMPLES = r"""
- name: Read the printer at the till
  printerswitch.norvanta.printer_info:
    port: tcp:192.168.10.20
  register: till

- name: Show its model and SW2
  ansible.builtin.debug:
    msg: "{{ till.printer.model }} SW2={{ till.printer.switches.SW2.value }}"

- name: Keep its backup on the controller
  ansible.builtin.copy:
    content: "{{ till.backup | to_nice_json }}"
    dest: "backups/{{ inventory_hostname }}-till.json"
  delegate_to: localhost
"""

RETURN = r"""
printer:
  description:
    - The object of C(printer-switch info --json), as it printed it, with the C(port) as
      printer-switch names it and C(error) null.
    - C(switches) holds each switch byte the model uses as C(value) and C(switches), a list of
      C(number) (1 to 8), C(on) and C(meaning); a byte that could not be read is null.
  returned: success
  type: dict
  sample:
    port: "tcp:192.168.10.20:9100"
    error: null
    maker: NORVANTA
    model: KV-4100
    firmware: "1.07.02"
    hoursPowered: "1283"
    cutCount: "48213"
    language: {model: STANDARD, fontRom: "ANK 12x24 9x17", codePage: 0, charset: 0}
    switches:
      SW2:
        value: 235
        switches:
          - {number: 1, "on": false, meaning: "Print Density = NORMAL"}
          - {number: 4, "on": false, meaning: "Partial cut paper."}
backup:
  description:
    - The backup document of C(printer-switch backup), which C(printer-switch restore) and the
      C(settings) option of M(printerswitch.norvanta.printer_settings) take as it is.
  returned: success
  type: dict
  sample: {maker: NORVANTA, model: KV-4100, switches: {SW2: 235, SW3: 0}, codePage: 0,
           charset: 0}
result:
  description: C(ok), or on a failure C(failed) or C(invalid) (options printer-switch does not run with).
  returned: always
  type: str
  sample: ok
port:
  description: The printer's port as printer-switch names it, or as given where it did not run.
  returned: always
  type: str
  sample: "tcp:192.168.10.20:9100"
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.printerswitch.norvanta.plugins.module_utils.printer_switch import (
    PORT_ARGUMENT_SPEC,
    PrinterSwitch,
    PrinterSwitchError,
    fail,
)


def main():
    module = AnsibleModule(argument_spec=PORT_ARGUMENT_SPEC, supports_check_mode=True)
    try:
        printer_switch = PrinterSwitch(module)
        printer = printer_switch.info()
        backup = printer_switch.backup()
    except PrinterSwitchError as error:
        fail(module, error)
    module.exit_json(changed=False, printer=printer, backup=backup, result="ok",
                     port=printer.get("port") or module.params["port"])


if __name__ == "__main__":
    main()
