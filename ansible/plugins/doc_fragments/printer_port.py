# -*- coding: utf-8 -*-
# The options with which every module of the collection reaches one printer.

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  port:
    description:
      - The printer's port as printer-switch takes it, C(tcp:HOST[:PORT]) (port 9100 when left
        out), C(COMn), a device path such as C(/dev/ttyUSB0), or C(LPT1).
    type: str
    required: true
  baud:
    description: The serial baud rate (printer-switch's default is 115200).
    type: int
    choices: [115200, 38400, 19200, 9600]
  parity:
    description: The serial parity (printer-switch's default is none).
    type: str
    choices: [none, even]
  handshake:
    description: The serial handshake, C(dtr) for DTR/DSR (the default) or C(xon) for XON/XOFF.
    type: str
    choices: [dtr, xon]
"""
