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
        out), C(COM1) to C(COM16), a device path such as C(/dev/ttyUSB0), or C(LPT1).
      - Checked before printer-switch runs; a text of another form fails with result C(invalid).
    type: str
    required: true
  baud:
    description:
      - The serial baud rate (printer-switch's default is 115200).
      - Only with a serial port (C(COMn) or a serial device path), as C(parity) and C(handshake).
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
  reply_timeout:
    description:
      - How long printer-switch waits for each reply of the printer, in milliseconds, passed as
        its C(--reply-timeout); for a printer busy printing a long job.
      - printer-switch's own bound applies when left out.
    type: int
    version_added: "1.2.0"
"""
