# -*- coding: utf-8 -*-
# Runs printer-switch on the managed host and reads its JSON output. Every byte, bit and rule
# of the printer stays in printer-switch: this file turns module options into its command line
# and its JSON into module results. It checks only what must hold before printer-switch may run
# at all: the form of the port, and the serial options with a serial port.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import re

from ansible.module_utils.parsing.convert_bool import boolean

COMMAND = "printer-switch"
PACKAGE = "printer-switch-utility"

# Results of `set --json` that leave the printer as wanted.
GOOD_RESULTS = ("ok", "unchanged")
# The result of options that printer-switch would not run with (its bad usage, status 2).
INVALID = "invalid"
BAD_USAGE = 2

# A setting name goes to printer-switch as NAME=VALUE, so it may not look like an option or carry
# a second "=".
_SETTING_NAME = re.compile(r"[A-Za-z][A-Za-z0-9.]*")
# One switch of a switch byte, SWn.k: a state, not a number.
_SWITCH_NAME = re.compile(r"SW[0-9]+\.[0-9]+", re.IGNORECASE)
_DIGITS = re.compile(r"[0-9]+")
_COM_PORT = re.compile(r"COM([0-9]+)", re.IGNORECASE)
COM_PORTS = 16
SERIAL_OPTIONS = ("baud", "parity", "handshake")

# printer-switch's lines on standard error that say nothing about why: the pointer to its help
# after bad usage, and the count of results at the end of a run.
_NOT_A_REASON = re.compile(r"Try printer-switch( \S+)? --help\.$"
                           r"|[0-9]+ (ok|unchanged|failed|refused|interrupted)(, [0-9]+ \w+)*$")

# The options every module takes to reach one printer.
PORT_ARGUMENT_SPEC = dict(
    port=dict(type="str", required=True),
    baud=dict(type="int", choices=[115200, 38400, 19200, 9600]),
    parity=dict(type="str", choices=["none", "even"]),
    handshake=dict(type="str", choices=["dtr", "xon"]),
    reply_timeout=dict(type="int"),
)


class PrinterSwitchError(Exception):
    """A printer that failed or refused, options printer-switch would not run with, or
    printer-switch that could not be run. The message is one line for the user; `result` is
    printer-switch's word for it (failed, refused, interrupted) or `invalid`; `changes` what was
    written before it failed."""

    def __init__(self, message, result="failed", port=None, changes=None):
        super(PrinterSwitchError, self).__init__(message)
        self.result = result
        self.port = port
        self.changes = changes or []

    def fields(self):
        """What a failed module returns besides `msg`."""
        return dict(result=self.result, port=self.port, changes=self.changes,
                    power_cycle_required=power_cycle_required(self.changes),
                    changed=power_cycle_required(self.changes))


def port_kind(port):
    """tcp, serial or printer for a port as printer-switch takes it; PrinterSwitchError for a
    text that names no port, before it could be taken for an option."""
    if port.lower().startswith("tcp:") and len(port) > 4:
        return "tcp"
    if port.upper() == "LPT1":
        return "printer"
    if port.startswith("/"):
        # Linux names its printer devices lp0, lp1 ... (/dev/lp0, /dev/usb/lp0).
        return "printer" if port.rsplit("/", 1)[-1].startswith("lp") else "serial"
    com = _COM_PORT.fullmatch(port)
    if com and 1 <= int(com.group(1)) <= COM_PORTS and not com.group(1).startswith("0"):
        return "serial"
    raise PrinterSwitchError('port: "%s" names no port: give tcp:HOST[:PORT], COM1 to COM%d, a '
                             'device path or LPT1' % (port, COM_PORTS), INVALID, port)


def check_port(params):
    """PrinterSwitchError when the port names no port, or the serial options come with a port
    that is no serial port."""
    kind = port_kind(params["port"])
    given = [name for name in SERIAL_OPTIONS if params.get(name) is not None]
    if given and kind != "serial":
        raise PrinterSwitchError("%s set up a serial port; %s is none"
                                 % (", ".join(given), params["port"]), INVALID, params["port"])


def port_arguments(params):
    """--port, the serial options and the reply timeout that were given, in printer-switch's
    spelling."""
    arguments = ["--port", params["port"]]
    for name in SERIAL_OPTIONS + ("reply_timeout",):
        if params.get(name) is not None:
            arguments += ["--" + name.replace("_", "-"), str(params[name])]
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
        raise PrinterSwitchError("settings: no setting given", INVALID)
    arguments = []
    for name, value in pairs:
        if not isinstance(name, str) or not _SETTING_NAME.fullmatch(name):
            raise PrinterSwitchError("settings: %r is no setting name" % (name,), INVALID)
        arguments.append("%s=%s" % (name, _setting_value(name, value)))
    return arguments, model


def _setting_value(name, value):
    # A switch is a state: true (ON) or false (OFF), also as Ansible's texts for them ("yes",
    # "off"...) from -e or a survey. A switch byte, code page or character set is a number.
    if _SWITCH_NAME.fullmatch(name):
        try:
            return "ON" if boolean(value, strict=True) else "OFF"
        except TypeError:
            raise PrinterSwitchError("settings: %s is a switch: true (ON) or false (OFF)" % name,
                                     INVALID)
    if isinstance(value, bool):
        value = None
    if (isinstance(value, int) and value >= 0) or (isinstance(value, str) and _DIGITS.fullmatch(value)):
        return str(int(value))
    raise PrinterSwitchError("settings: %s is a whole number" % name, INVALID)


def power_cycle_required(changes):
    """A write reached the printer, so it wants to be switched off and on."""
    return any(change.get("written") for change in changes)


def _reasons(port, text):
    # printer-switch's own lines start with the port, or with its name after bad usage; the
    # reason is what follows.
    reasons = []
    for line in text.splitlines():
        line = line.strip()
        for prefix in (port + ":", COMMAND + ":"):
            if line.startswith(prefix):
                line = line[len(prefix):].strip()
        if line and not _NOT_A_REASON.match(line):
            reasons.append(line)
    return reasons


def _failure(port, rc, stderr, error=None, result=None, changes=None, command="printer-switch"):
    """PrinterSwitchError for a run that failed: the port, then printer-switch's reason, every
    line on standard error that says why (they carry its JSON error in words), else that
    error."""
    reasons = _reasons(port, stderr) or ([error] if error else
                                         ["%s ended with status %d" % (command, rc)])
    if result is None:
        result = INVALID if rc == BAD_USAGE else "failed"
    return PrinterSwitchError("%s: %s" % (port, "; ".join(reasons)), result, port, changes)


def _json_object(text):
    try:
        value = json.loads(text) if text.strip() else None
    except ValueError:
        return None
    return value if isinstance(value, dict) else None


def parse_info(port, rc, stdout, stderr):
    """The object of `info --json`; PrinterSwitchError with printer-switch's reason when the
    printer could not be read."""
    info = _json_object(stdout)
    port = (info or {}).get("port") or port
    if info is None or info.get("error") or rc != 0:
        raise _failure(port, rc, stderr, (info or {}).get("error"), command="printer-switch info")
    return info


def parse_backup(port, rc, stdout, stderr):
    """The backup document of `backup`."""
    backup = _json_object(stdout) if rc == 0 else None
    if backup is None:
        raise _failure(port, rc, stderr, command="printer-switch backup")
    return backup


def parse_set(port, rc, stdout, stderr):
    """The one result line of `set --json` for one printer: its port, result, changes as
    {setting, from, to, written} (with before and after, each setting's lines with their
    meanings, where --meanings asked for them), whether it wants a power cycle and printer-switch's
    messages about it. PrinterSwitchError with printer-switch's reason when the printer failed,
    refused or was interrupted."""
    lines = [line for line in stdout.splitlines() if line.strip()]
    result = _json_object(lines[0]) if len(lines) == 1 else None
    if result is None:
        if lines and rc != BAD_USAGE:
            raise PrinterSwitchError("%s: printer-switch printed no JSON: %s"
                                     % (port, lines[0].strip()), "failed", port)
        raise _failure(port, rc, stderr, command="printer-switch set")
    # printer-switch names the port in its own spelling ("tcp:10.1.2.3:9100").
    port = result.get("port") or port
    changes = result.get("changes") or []
    if result.get("result") not in GOOD_RESULTS or rc != 0:
        raise _failure(port, rc, stderr, result.get("error"), result.get("result") or "failed",
                       changes)
    # What printer-switch tells the user about this printer, the power-cycle reminder after a
    # write; its summary of the run is left out.
    messages = [line for line in stderr.splitlines() if line.startswith(port + ":")]
    return {"port": port, "result": result["result"], "changes": changes,
            "power_cycle_required": power_cycle_required(changes), "messages": messages}


def diff(port, changes):
    """The diff of the changed settings: both sides as printer-switch shows them, a switch byte
    with every switch and its meaning."""
    def side(key):
        return "".join("%s\n" % line for change in changes
                       for line in change.get(key) or ["%s: %s" % (change["setting"],
                                                                   change["from" if key == "before"
                                                                          else "to"])])
    return dict(before_header=port, before=side("before"), after_header=port, after=side("after"))


class PrinterSwitch:
    """printer-switch on the managed host, run by an AnsibleModule, for one printer's options
    (a module's own, or one entry of a list of printers)."""

    def __init__(self, module, params=None):
        self._module = module
        params = module.params if params is None else params
        self.port = params["port"]
        check_port(params)
        self._binary = module.get_bin_path(COMMAND)
        if self._binary is None:
            raise PrinterSwitchError("%s is not installed on this host: install the package %s"
                                     % (COMMAND, PACKAGE), "failed", self.port)
        self._port_arguments = port_arguments(params)

    def _run(self, command, extra):
        return self._module.run_command([self._binary, command] + self._port_arguments + extra)

    def info(self):
        return parse_info(self.port, *self._run("info", ["--json"]))

    def backup(self):
        return parse_backup(self.port, *self._run("backup", []))

    def set(self, settings, dry_run, meanings):
        options = ["--json"] + (["--dry-run"] if dry_run else []) + (["--meanings"] if meanings else [])
        return parse_set(self.port, *self._run("set", options + settings))


def fail(module, error):
    """Ends the module for a PrinterSwitchError, with its result, port and changes."""
    fields = error.fields()
    fields["port"] = fields["port"] or module.params.get("port")
    module.fail_json(msg=str(error), **fields)
