#!/usr/bin/env python3
"""The Ansible collection against a fleet of stores, each a host with `ansible_connection: local`
that owns printer emulators on its own 127.0.0.x addresses.

  fleet_test.py --bin-dir build/bin --collection ansible
      the checks: facts, check mode, diff, the first and second run, a silent printer and a
      printer of the other model, backup and restore of the fleet

Exits 77 (skipped) where ansible-core is not installed."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
HERE = os.path.dirname(os.path.abspath(__file__))
RECAP = re.compile(r"^(\S+)\s+:\s+((?:\w+=\d+\s*)+)$")


class Emulator:
    """One printer-emulator on ADDRESS, a free port, its command lines in a log file."""

    def __init__(self, bin_dir, folder, address, options=()):
        self.log_path = os.path.join(folder, "%s.log" % address)
        with open(self.log_path, "w") as log:
            self.process = subprocess.Popen(
                [os.path.join(bin_dir, "printer-emulator"), "--tcp", address + ":0"] +
                list(options), stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log,
                text=True)
        ready = self.process.stdout.readline().split()
        if len(ready) != 2 or ready[0] != "tcp":
            raise SystemExit("printer-emulator on %s did not start: %r" % (address, ready))
        self.port = "tcp:" + ready[1]

    def log(self):
        with open(self.log_path) as log:
            return log.read()

    def count(self, pattern):
        """Command lines that match PATTERN from their start."""
        return len(re.findall("^" + pattern, self.log(), re.MULTILINE))

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Fleet:
    def __init__(self, args, folder):
        self.args = args
        self.folder = folder
        self.stores = {}   # store -> [(name, emulator)]
        self.environment = dict(
            os.environ,
            PATH=args.bin_dir + os.pathsep + os.environ.get("PATH", ""),
            ANSIBLE_COLLECTIONS_PATH=os.path.join(folder, "collections"),
            ANSIBLE_LOCAL_TEMP=os.path.join(folder, "ansible-local"),
            ANSIBLE_REMOTE_TEMP=os.path.join(folder, "ansible-remote"),
            ANSIBLE_NOCOLOR="1",
            ANSIBLE_FORKS="10",
            ANSIBLE_DEPRECATION_WARNINGS="0",
        )

    def add(self, store, name, address, *options):
        emulator = Emulator(self.args.bin_dir, self.folder, address, options)
        self.stores.setdefault(store, []).append((name, emulator))
        return emulator

    def emulators(self):
        return [emulator for printers in self.stores.values() for _, emulator in printers]

    def write_inventory(self):
        hosts = {store: {"printers": [{"name": name, "port": emulator.port}
                                      for name, emulator in printers]}
                 for store, printers in self.stores.items()}
        inventory = {"all": {"hosts": hosts, "vars": {
            "ansible_connection": "local",
            "ansible_python_interpreter": "{{ ansible_playbook_python }}"}}}
        self.inventory = os.path.join(self.folder, "stores.json")
        with open(self.inventory, "w") as out:
            json.dump(inventory, out)

    def run(self, *arguments):
        """ansible-playbook ARGUMENTS: its exit status, output and recap per host."""
        done = subprocess.run(["ansible-playbook", "-i", self.inventory] + list(arguments),
                              env=self.environment, cwd=self.folder, capture_output=True,
                              text=True, timeout=300)
        recap = {}
        for line in done.stdout.splitlines():
            match = RECAP.match(line.strip())
            if match:
                recap[match.group(1)] = {key: int(value) for key, value in
                                         (pair.split("=") for pair in match.group(2).split())}
        return done.returncode, done.stdout + done.stderr, recap

    def printer_switch(self, *arguments):
        return subprocess.run([os.path.join(self.args.bin_dir, "printer-switch")] +
                              list(arguments), capture_output=True, text=True, timeout=60)

    def info(self, emulator):
        return json.loads(self.printer_switch("info", "--port", emulator.port, "--json").stdout)

    def holds(self, saved):
        """Each printer holds its backup in SAVED (port -> backup) by printer-switch backup."""
        return all(backup == json.loads(self.printer_switch("backup", "--port", port).stdout)
                   for port, backup in saved.items())


class Checks:
    def __init__(self):
        self.passed = 0
        self.failures = []

    def expect(self, condition, what, output=""):
        print("%s %s" % ("ok  " if condition else "FAIL", what), flush=True)
        self.passed += bool(condition)
        if not condition:
            self.failures.append(what)
            if output:
                print(output)


def install_collection(args, folder):
    build = os.path.join(folder, "build")
    subprocess.run(["ansible-galaxy", "collection", "build", args.collection, "--output-path",
                    build], check=True, capture_output=True, timeout=120)
    archive = [name for name in os.listdir(build) if name.endswith(".tar.gz")][0]
    subprocess.run(["ansible-galaxy", "collection", "install", os.path.join(build, archive),
                    "-p", os.path.join(folder, "collections")], check=True, capture_output=True,
                   timeout=120)


def switches_on(info, byte):
    return [switch["on"] for switch in info["switches"][byte]["switches"]]


def check_fleet(fleet, checks):
    """Three stores; the third holds a silent printer and a ZEPHYR-550 beside a KV-4100."""
    for store, first in (("store1", 11), ("store2", 21), ("store3", 31)):
        fleet.add(store, "till", "127.0.0.%d" % first)
        if store != "store3":
            fleet.add(store, "kitchen", "127.0.0.%d" % (first + 1))
    silent = fleet.add("store3", "silent", "127.0.0.32", "--silent")
    zephyr = fleet.add("store3", "zephyr", "127.0.0.33", "--model", "ZEPHYR-550")
    healthy = [emulator for emulator in fleet.emulators() if emulator not in (silent, zephyr)]
    fleet.write_inventory()
    playbook = "printerswitch.norvanta.store_settings"
    before = {emulator.port: fleet.info(emulator) for emulator in healthy}

    docs = subprocess.run(["ansible-doc", "printerswitch.norvanta.printer_settings",
                           "printerswitch.norvanta.printer_info"], env=fleet.environment,
                          capture_output=True, text=True, timeout=120)
    checks.expect(docs.returncode == 0 and "expected_model" in docs.stdout and
                  "RETURN VALUES" in docs.stdout, "ansible-doc shows both modules",
                  docs.stdout + docs.stderr)

    rc, output, recap = fleet.run(os.path.join(HERE, "facts.yml"), "-l", "store1,store2")
    checks.expect(rc == 0, "facts: printer_info's printer and backup match printer-switch's own "
                  "JSON, also in check mode", output)

    rc, output, recap = fleet.run(playbook, "--check", "--diff")
    meaning = before[healthy[0].port]["switches"]["SW2"]["switches"][3]["meaning"]
    checks.expect(rc == 2 and recap["store1"]["changed"] == 1 and
                  recap["store3"]["failed"] == 1, "check mode: the stores report changed, the "
                  "store with a silent printer fails", output)
    checks.expect(all(emulator.count("unlock$") == 0 for emulator in fleet.emulators()),
                  "check mode: no unlock reaches any printer")
    checks.expect("SW2: %d" % before[healthy[0].port]["switches"]["SW2"]["value"] in output and
                  meaning.splitlines()[0] in output and "codepage: 17" in output,
                  "diff: SW2 before with the switches' meanings, code page 17 after", output)

    rc, output, recap = fleet.run(playbook, "--diff")
    checks.expect(rc == 2 and all(recap[store]["changed"] == 1 and recap[store]["failed"] == 0
                                  for store in ("store1", "store2")) and
                  recap["store3"]["failed"] == 1,
                  "first run: stores 1 and 2 changed, store 3 failed", output)
    checks.expect(re.search(r'refused: model \W+ZEPHYR-550\W+ is not the expected', output) and
                  silent.port in output, "the other model refused, the silent printer named",
                  output)
    checks.expect("re-power" in output, "the power-cycle reminder is a warning", output)
    checks.expect(silent.count("unlock$") == 0 and zephyr.count("unlock$") == 0,
                  "nothing unlocked on the silent printer and the other model")
    for emulator in healthy:
        after = fleet.info(emulator)
        was = before[emulator.port]
        wanted = switches_on(was, "SW2")
        wanted[3] = True
        checks.expect(switches_on(after, "SW2") == wanted and
                      after["language"]["codePage"] == 17 and
                      after["language"]["charset"] == was["language"]["charset"] and
                      after["switches"].get("SW1") == was["switches"].get("SW1") and
                      after["switches"].get("SW3") == was["switches"].get("SW3") and
                      emulator.count(r"write SW\d") == 1,
                      "%s holds SW2 switch 4 ON and code page 17, the rest as before; one switch byte "
                      "written" %
                      emulator.port, json.dumps(after) + emulator.log())
    unlocks = {emulator.port: emulator.count("unlock$") for emulator in fleet.emulators()}

    rc, output, recap = fleet.run(playbook)
    checks.expect(all(counts["changed"] == 0 for counts in recap.values()),
                  "second run: changed=0 on every store", output)
    checks.expect(unlocks == {emulator.port: emulator.count("unlock$")
                              for emulator in fleet.emulators()},
                  "second run: no unlock sent")

    backups = os.path.join(fleet.folder, "backups")
    limit = ["-l", "store1,store2", "-e", "backup_dir=" + backups]
    rc, output, _ = fleet.run("printerswitch.norvanta.backup", *limit)
    saved = {}
    for store in ("store1", "store2"):
        for name, emulator in fleet.stores[store]:
            with open(os.path.join(backups, store, name + ".json")) as backup:
                saved[emulator.port] = json.load(backup)
    checks.expect(rc == 0 and fleet.holds(saved), "backup: a file per store and printer, as "
                  "printer-switch backup prints it", output)
    for port in saved:
        fleet.printer_switch("set", "--port", port, "SW2.4=OFF", "SW3=1", "codepage=0")
    rc, output, recap = fleet.run("printerswitch.norvanta.restore", *limit)
    checks.expect(rc == 0 and recap["store1"]["changed"] == 1 and fleet.holds(saved),
                  "restore: every printer holds its backup again", output)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin-dir", required=True, help="where printer-switch and "
                        "printer-emulator are")
    parser.add_argument("--collection", required=True, help="the collection's source folder")
    args = parser.parse_args()
    args.bin_dir = os.path.abspath(args.bin_dir)
    if not shutil.which("ansible-playbook"):
        print("skipped: ansible-playbook not found; install Debian's ansible-core "
              "(./scripts/setup does)")
        return SKIPPED

    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="printer-fleet-") as folder:
        install_collection(args, folder)
        fleet = Fleet(args, folder)
        try:
            check_fleet(fleet, checks)
        finally:
            for emulator in fleet.emulators():
                emulator.stop()
    print("%d passed, %d failed" % (checks.passed, len(checks.failures)))
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
