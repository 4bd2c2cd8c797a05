#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: printer_facts
short_description: Read all of a host's NORVANTA receipt printers into its facts
version_added: "1.2.0"
description:
  - Runs C(printer-switch info --json) and C(printer-switch backup) on the managed host against
    each printer of a list, and sets the fact C(norvanta_printers) with what each printer is
    and holds.
  - A printer that cannot be read is listed with its result and printer-switch's reason, not
    dropped; the module itself fails only on options it cannot take.
  - Changes nothing on the printers; runs in check mode too.
  - Needs the package C(printer-switch-utility) on the managed host.
options:
  printers:
    description:
      - The host's printers, as the inventory lists them.
      - Further keys of an entry (such as C(model) or C(settings), which the role
        C(printerswitch.norvanta.store_printers) reads) are taken and left unused.
    type: list
    elements: dict
    required: true
    suboptions:
      name:
        description: The printer's name within the host, the key of its entry in the fact.
        type: str
        required: true
      port:
        description:
          - The printer's port as printer-switch takes it, C(tcp:HOST[:PORT]), C(COM1) to
            C(COM16), a device path such as C(/dev/ttyUSB0), or C(LPT1).
        type: str
        required: true
      baud:
        description: The serial baud rate; only with a serial port, as C(parity) and C(handshake).
        type: int
        choices: [115200, 38400, 19200, 9600]
      parity:
        description: The serial parity.
        type: str
        choices: [none, even]
      handshake:
        description: The serial handshake, C(dtr) for DTR/DSR or C(xon) for XON/XOFF.
        type: str
        choices: [dtr, xon]
      reply_timeout:
        description: How long printer-switch waits for each reply, in milliseconds (C(--reply-timeout)).
        type: int
      model:
        description: Not used here.
        type: str
      settings:
        description: Not used here.
        type: dict
attributes:
  check_mode:
    description: Can run in check mode and return changed status prediction without modifying target.
    support: full
  diff_mode:
    description: Will return details on what has changed (or possibly needs changing in check_mode), when in diff mode.
    support: N/A
    details: Changes nothing.
  facts:
    description: Action returns an C(ansible_facts) dictionary that will update existing host facts.
    support: full
  platform:
    description: Target OS/families that can be operated against.
    support: N/A
    platforms: posix
author:
  - Printer Software Switch Utility developers (@printerswitch)
seealso:
  - module: printerswitch.norvanta.printer_info
  - module: printerswitch.norvanta.printer_settings
"""

EXAMPLES = r"""
- name: Read the store's printers
  printerswitch.norvanta.printer_facts:
    printers: "{{ printers }}"

- name: Show each printer's model and firmware, or why it could not be read
  ansible.builtin.debug:
    msg: "{{ item.key }}: {{ item.value.printer.model ~ ' ' ~ item.value.printer.firmware
             if item.value.result == 'ok' else item.value.error }}"
  loop: "{{ ansible_facts.norvanta_printers | dict2items }}"
"""

RETURN = r"""
ansible_facts:
  description: The host's printers.
  returned: always
  type: complex
  contains:
    norvanta_printers:
      description:
        - One entry per printer, by its name, in the order given. C(result) is C(ok), C(failed)
          or C(invalid) (options printer-switch does not run with); C(error) null or the
          reason; C(printer) what C(printer-switch info --json) printed (null for a printer that
          could not be read); C(backup) the backup document of C(printer-switch backup).
      returned: always
      type: dict
      sample:
        till:
          name: till
          port: "tcp:192.168.10.20:9100"
          result: ok
          error: null
          printer: {maker: NORVANTA, model: KV-4100, firmware: "1.07.02", hoursPowered: "1283",
                    cutCount: "48213", switches: {SW2: {value: 235, switches: []}},
                    language: {model: STANDARD, fontRom: "ANK 12x24 9x17", codePage: 0, charset: 0}}
          backup: {maker: NORVANTA, model: KV-4100, switches: {SW2: 235, SW3: 0}, codePage: 0,
                   charset: 0}
        kitchen:
          name: kitchen
          port: "tcp:192.168.10.21"
          result: failed
          error: "tcp:192.168.10.21:9100: Connection refused"
          printer: null
          backup: null
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.printerswitch.norvanta.plugins.module_utils.printer_switch import (
    PORT_ARGUMENT_SPEC,
    PrinterSwitch,
    PrinterSwitchError,
)


def read(module, params):
    """One printer's entry in the fact."""
    entry = dict(name=params["name"], port=params["port"], result="ok", error=None, printer=None,
                 backup=None)
    try:
        printer_switch = PrinterSwitch(module, params)
        entry["printer"] = printer_switch.info()
        entry["port"] = entry["printer"].get("port") or params["port"]
        entry["backup"] = printer_switch.backup()
    except PrinterSwitchError as error:
        entry.update(result=error.result, error=str(error), port=error.port or entry["port"])
    return entry


def main():
    entry_spec = dict(PORT_ARGUMENT_SPEC, name=dict(type="str", required=True),
                      model=dict(type="str"), settings=dict(type="dict"))
    module = AnsibleModule(
        argument_spec=dict(printers=dict(type="list", elements="dict", required=True,
                                         options=entry_spec)),
        supports_check_mode=True,
    )
    names = [params["name"] for params in module.params["printers"]]
    twice = sorted(set(name for name in names if names.count(name) > 1))
    if twice:
        module.fail_json(msg="printers: each name once; given twice: %s" % ", ".join(twice),
                         result="invalid")
    printers = dict((params["name"], read(module, params)) for params in module.params["printers"])
    module.exit_json(changed=False, ansible_facts=dict(norvanta_printers=printers))


if __name__ == "__main__":
    main()
