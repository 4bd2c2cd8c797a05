# -*- coding: utf-8 -*-
# Runs printer-switch on the managed host and reads its JSON output. Every byte, bit and rule
# of the printer stays in printer-switch: this file turns module options into its command line
# and its JSON into module results, nothing more.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import re

COMMAND = "printer-switch"
PACKAGE = "printer-switch-utility"

# Results of `set --json` that leave the printer as wanted.
GOOD_RESULTS = ("ok", "unchanged")

# A setting name goes to printer-switch as NAME=VALUE, so it may not look like an option or carry
# a second "=".
_SETTING_NAME = re.compile(r"[A-Za-z][A-Za-z0-9.]*")
_DIGITS = re.compile(r"[0-9]+")

# The options every module takes to reach one printer.
PORT_ARGUMENT_SPEC = dict(
    port=dict(type="str", required=True),
    baud=dict(type="int", choices=[115200, 38400, 19200, 9600]),
    parity=dict(type="str", choices=["none", "even"]),
    handshake=dict(type="str", choices=["dtr", "xon"]),
)


class PrinterSwitchError(Exception):
    """A printer that failed or refused, or printer-switch that could not be run; the message is
    one line for the user."""


def port_arguments(params):
    """--port and the serial options that were given, in printer-switch's spelling."""
    arguments = ["--port", params["port"]]
    for name in ("baud", "parity", "handshake"):
        if params.get(name) is not None:
            arguments += ["--" + name, str(params[name])]
    return arguments


def is_backup(settings):
    """A backup document of `printer-switch backup` rather than a dict of settings."""
    return isinstance(settings.get("switches"), dict)


def setting_arguments(settings):
    """The SETTING arguments of `printer-switch set` for a dict of settings or a backup document,
    and the model a backup was taken from (None for a plain dict)."""
    if is_backup(settings):
        pairs = list(settings["switches"].items())
        pairs += [(name, settings[key]) for key, name in (("codePage", "codepage"),
                                                          ("charset", "charset"))
                  if settings.get(key) is not None]
        model = settings.get("model")
    else:
        pairs = list(settings.items())
        model = None
    if not pairs:
        raise PrinterSwitchError("settings: no setting given")
    arguments = []
    for name, value in pairs:
        if not isinstance(name, str) or not _SETTING_NAME.fullmatch(name):
            raise PrinterSwitchError("settings: %r is no setting name" % (name,))
        arguments.append("%s=%s" % (name, _setting_value(name, value)))
    return arguments, model


def _setting_value(name, value):
    # A switch is true (ON) or false (OFF); a byte, code page or character set is a number.
    if isinstance(value, bool):
        return "ON" if value else "OFF"
    if (isinstance(value, int) and value >= 0) or (isinstance(value, str) and _DIGITS.fullmatch(value)):
        return str(int(value))
    raise PrinterSwitchError("settings: %s is true or false for a switch, or a whole number"
                             % name)


def _failure(port, text):
    # printer-switch's own lines start with the port; a message of ours gets it in front.
    text = text.strip()
    return text if text.startswith(port) else "%s: %s" % (port, text)


def _last_line(text):
    lines = [line for line in text.splitlines() if line.strip()]
    return lines[-1] if lines else ""


def parse_info(port, rc, stdout, stderr):
    """The object of `info --json`; PrinterSwitchError with printer-switch's message when the
    printer could not be read."""
    info = None
    try:
        info = json.loads(stdout) if stdout.strip() else None
    except ValueError:
        pass
    if isinstance(info, dict) and info.get("error"):
        raise PrinterSwitchError(_failure(port, info["error"]))
    if rc != 0 or not isinstance(info, dict):
        raise PrinterSwitchError(_failure(port, _last_line(stderr) or
                                          "printer-switch info ended with status %d" % rc))
    return info


def parse_backup(port, rc, stdout, stderr):
    """The backup document of `backup`."""
    try:
        backup = json.loads(stdout) if rc == 0 else None
    except ValueError:
        backup = None
    if not isinstance(backup, dict):
        raise PrinterSwitchError(_failure(port, _last_line(stderr) or
                                          "printer-switch backup ended with status %d" % rc))
    return backup


def parse_set(port, rc, stdout, stderr):
    """The one result line of `set --json` for one printer: its result, its changes as
    {setting, from, to} and printer-switch's messages about it. PrinterSwitchError with printer-switch's message when the printer failed,
    refused or was interrupted."""
    results = []
    for line in stdout.splitlines():
        if line.strip():
            try:
                results.append(json.loads(line))
            except ValueError:
                raise PrinterSwitchError(_failure(port, "printer-switch printed no JSON: %s"
                                                  % line.strip()))
    if len(results) != 1 or not isinstance(results[0], dict):
        raise PrinterSwitchError(_failure(port, _last_line(stderr) or
                                          "printer-switch set ended with status %d" % rc))
    result = results[0]
    # printer-switch names the port in its own spelling ("tcp:10.1.2.3:9100").
    port = result.get("port") or port
    if result.get("result") not in GOOD_RESULTS or rc != 0:
        raise PrinterSwitchError(_failure(port, result.get("error") or _last_line(stderr) or
                                          "%s" % result.get("result")))
    changes = [{"setting": change["setting"], "from": change["from"], "to": change["to"]}
               for change in result.get("changes") or []]
    # What printer-switch tells the user about this printer, the power-cycle reminder after a
    # write; its summary of the run is left out.
    messages = [line for line in stderr.splitlines() if line.startswith(port + ":")]
    return {"result": result["result"], "changes": changes, "messages": messages}


def describe(info, changes):
    """The settings that `changes` touch as the printer holds them in `info`: each switch byte
    with its switches and their meanings, then the code page and character set. None for a
    printer that was not read."""
    if info is None:
        return None
    lines = []
    for change in changes:
        setting = change["setting"]
        byte = (info.get("switches") or {}).get(setting)
        if isinstance(byte, dict):
            lines.append("%s: %s" % (setting, byte.get("value")))
            for switch in byte.get("switches") or []:
                line = "  %s: %-3s" % (switch.get("number"), "ON" if switch.get("on") else "OFF")
                if switch.get("meaning"):
                    # A meaning of two lines goes on under the first.
                    line += "  " + switch["meaning"].replace("\r\n", "\n" + " " * 10)
                lines.append(line)
        elif setting in ("codepage", "charset"):
            key = "codePage" if setting == "codepage" else "charset"
            lines.append("%s: %s" % (setting, (info.get("language") or {}).get(key)))
        else:
            lines.append("%s: %s" % (setting, change["from"]))
    return "".join(line + "\n" for line in lines)


class PrinterSwitch:
    """printer-switch on the managed host, run by an AnsibleModule."""

    def __init__(self, module):
        self._module = module
        self._binary = module.get_bin_path(COMMAND)
        if self._binary is None:
            module.fail_json(msg="%s is not installed on this host: install the package %s"
                             % (COMMAND, PACKAGE))
        self._port = module.params["port"]
        self._port_arguments = port_arguments(module.params)

    def _run(self, command, extra):
        return self._module.run_command([self._binary, command] + self._port_arguments + extra)

    def info(self):
        return parse_info(self._port, *self._run("info", ["--json"]))

    def backup(self):
        return parse_backup(self._port, *self._run("backup", []))

    def set(self, settings, dry_run):
        return parse_set(self._port, *self._run("set", ["--json"] +
                                                (["--dry-run"] if dry_run else []) + settings))
