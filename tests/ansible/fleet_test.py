#!/usr/bin/env python3
"""The Ansible collection against a fleet of two stores, each a host with `ansible_connection:
local` that owns printer emulators on its own 127.0.0.x addresses; the second store holds a silent
printer and a ZEPHYR-550 beside a KV-4100.

  fleet_test.py --bin-dir build/bin --collection ansible
      ansible-doc, printer_info's facts, check mode, diff, the first and second run, backup and
      restore of the fleet

Exits 77 (skipped) where ansible-core is not installed."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

SKIPPED = 77
RECAP = re.compile(r"^(\S+)\s+:\s+((?:\w+=\d+\s*)+)$", re.MULTILINE)
SETTINGS = "printerswitch.norvanta.store_settings"


class Emulator:
    """One printer-emulator on ADDRESS, a free port, its command lines in a log file."""

    def __init__(self, bin_dir, folder, address, *options):
        self.log_path = os.path.join(folder, "%s.log" % address)
        with open(self.log_path, "w") as log:
            self.process = subprocess.Popen(
                [os.path.join(bin_dir, "printer-emulator"), "--tcp", address + ":0", *options],
                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log, text=True)
        ready = self.process.stdout.readline().split()
        if len(ready) != 2 or ready[0] != "tcp":
            raise RuntimeError("printer-emulator on %s did not start: %r" % (address, ready))
        self.port = "tcp:" + ready[1]

    def log(self):
        with open(self.log_path) as log:
            return log.read()

    def count(self, pattern):
        """Command lines that match PATTERN from their start."""
        return len(re.findall("^" + pattern, self.log(), re.MULTILINE))

    def stop(self):
        self.process.terminate()
        self.process.communicate(timeout=10)


class FleetTest(unittest.TestCase):
    bin_dir = None
    collection = None

    def setUp(self):
        self.folder = self.enterContext(tempfile.TemporaryDirectory(prefix="printer-fleet-"))
        collections = os.path.join(self.folder, "collections")
        self.environment = dict(
            os.environ,
            PATH=self.bin_dir + os.pathsep + os.environ.get("PATH", ""),
            ANSIBLE_COLLECTIONS_PATH=collections,
            ANSIBLE_LOCAL_TEMP=os.path.join(self.folder, "ansible-local"),
            ANSIBLE_REMOTE_TEMP=os.path.join(self.folder, "ansible-remote"),
            ANSIBLE_NOCOLOR="1",
            ANSIBLE_FORKS="10",
            ANSIBLE_DEPRECATION_WARNINGS="0",
        )
        # Installed as a user installs it: ansible-galaxy builds it from its galaxy.yml first.
        self.ansible("ansible-galaxy", "collection", "install", self.collection, "-p", collections,
                     check=True)

        self.stores = {"store1": {}, "store2": {}}
        for store, name, address, *options in (
                ("store1", "till", "127.0.0.11"),
                ("store1", "kitchen", "127.0.0.12"),
                ("store2", "till", "127.0.0.21"),
                ("store2", "silent", "127.0.0.22", "--silent"),
                ("store2", "zephyr", "127.0.0.23", "--model", "ZEPHYR-550")):
            emulator = Emulator(self.bin_dir, self.folder, address, *options)
            self.addCleanup(emulator.stop)
            self.stores[store][name] = emulator
        hosts = {store: {"printers": [{"name": name, "port": emulator.port}
                                      for name, emulator in printers.items()]}
                 for store, printers in self.stores.items()}
        self.inventory = os.path.join(self.folder, "stores.json")
        with open(self.inventory, "w") as out:
            json.dump({"all": {"hosts": hosts, "vars": {
                "ansible_connection": "local",
                "ansible_python_interpreter": "{{ ansible_playbook_python }}"}}}, out)

    def ansible(self, *command, check=False):
        return subprocess.run(command, env=self.environment, cwd=self.folder, check=check,
                              capture_output=True, text=True, timeout=300)

    def playbook(self, *arguments):
        """ansible-playbook ARGUMENTS: its exit status, output and recap per host."""
        done = self.ansible("ansible-playbook", "-i", self.inventory, *arguments)
        recap = {host: {key: int(value) for key, value in re.findall(r"(\w+)=(\d+)", counts)}
                 for host, counts in RECAP.findall(done.stdout)}
        return done.returncode, done.stdout + done.stderr, recap

    def printer_switch(self, command, emulator, *arguments):
        """printer-switch COMMAND on EMULATOR's port: what it prints, read as JSON."""
        done = self.ansible("printer-switch", command, "--port", emulator.port, *arguments)
        return json.loads(done.stdout)

    def emulators(self):
        return [emulator for printers in self.stores.values() for emulator in printers.values()]

    def unlocks(self):
        return {emulator.port: emulator.count("unlock$") for emulator in self.emulators()}

    def test_fleet(self):
        silent = self.stores["store2"]["silent"]
        zephyr = self.stores["store2"]["zephyr"]
        healthy = [emulator for emulator in self.emulators() if emulator not in (silent, zephyr)]
        before = {emulator.port: self.printer_switch("info", emulator, "--json")
                  for emulator in healthy}

        docs = self.ansible("ansible-doc", "printerswitch.norvanta.printer_settings",
                            "printerswitch.norvanta.printer_info")
        with self.subTest("ansible-doc shows both modules"):
            self.assertEqual(docs.returncode, 0, docs.stderr)
            self.assertIn("expected_model", docs.stdout)
            self.assertIn("RETURN VALUES", docs.stdout)

        with self.subTest("facts: printer_info in check mode reads what printer-switch shows"):
            till = healthy[0]
            facts = self.ansible("ansible", "store1", "-i", self.inventory, "--check", "-m",
                                 "printerswitch.norvanta.printer_info", "-a", "port=" + till.port)
            facts = json.loads(facts.stdout.partition("=>")[2])
            self.assertFalse(facts["changed"])
            self.assertEqual(facts["printer"], before[till.port])
            self.assertEqual(facts["backup"], self.printer_switch("backup", till))

        rc, output, recap = self.playbook(SETTINGS, "--check", "--diff")
        sw2 = before[healthy[0].port]["switches"]["SW2"]
        with self.subTest("check mode: store1 changed, store2 with a silent printer failed"):
            self.assertEqual((rc, recap["store1"]["changed"], recap["store2"]["failed"]), (2, 1, 1),
                             output)
            self.assertEqual(set(self.unlocks().values()), {0}, "an unlock reached a printer")
        with self.subTest("diff: SW2 before with the switches' meanings, code page 17 after"):
            self.assertIn("SW2: %d" % sw2["value"], output)
            self.assertIn(sw2["switches"][3]["meaning"].splitlines()[0], output)
            self.assertIn("codepage: 17", output)

        rc, output, recap = self.playbook(SETTINGS, "--diff")
        with self.subTest("first run: store1 changed, store2 failed"):
            self.assertEqual((rc, recap["store1"]["changed"], recap["store1"]["failed"],
                              recap["store2"]["failed"]), (2, 1, 0, 1), output)
            self.assertRegex(output, r'refused: model \W+ZEPHYR-550\W+ is not the expected')
            self.assertIn(silent.port, output)
            self.assertIn("re-power", output, "the power-cycle reminder is a warning")
            self.assertEqual((silent.count("unlock$"), zephyr.count("unlock$")), (0, 0))
        for emulator in healthy:
            with self.subTest("%s holds SW2 switch 4 ON and code page 17, the rest as before; one "
                              "switch byte written" % emulator.port):
                after = self.printer_switch("info", emulator, "--json")
                was = before[emulator.port]
                wanted = [switch["on"] for switch in was["switches"].pop("SW2")["switches"]]
                wanted[3] = True
                held = [switch["on"] for switch in after["switches"].pop("SW2")["switches"]]
                self.assertEqual(held, wanted)
                self.assertEqual(after["switches"], was["switches"])
                self.assertEqual((after["language"]["codePage"], after["language"]["charset"]),
                                 (17, was["language"]["charset"]))
                self.assertEqual(emulator.count(r"write SW\d"), 1, emulator.log())
        unlocks = self.unlocks()

        rc, output, recap = self.playbook(SETTINGS)
        with self.subTest("second run: changed=0 on every store, no unlock sent"):
            self.assertEqual({counts["changed"] for counts in recap.values()}, {0}, output)
            self.assertEqual(self.unlocks(), unlocks)

        backups = os.path.join(self.folder, "backups")
        limit = ["-l", "store1", "-e", "backup_dir=" + backups]
        rc, output, _ = self.playbook("printerswitch.norvanta.backup", *limit)
        saved = {}
        for name, emulator in self.stores["store1"].items():
            with open(os.path.join(backups, "store1", name + ".json")) as backup:
                saved[emulator] = json.load(backup)
        with self.subTest("backup: a file per store and printer, as printer-switch prints it"):
            self.assertEqual(rc, 0, output)
            for emulator, backup in saved.items():
                self.assertEqual(backup, self.printer_switch("backup", emulator))
        for emulator in saved:
            self.printer_switch("set", emulator, "SW2.4=OFF", "SW3=1", "codepage=0", "--json")
        rc, output, recap = self.playbook("printerswitch.norvanta.restore", *limit)
        with self.subTest("restore: every printer holds its backup again"):
            self.assertEqual((rc, recap["store1"]["changed"]), (0, 1), output)
            for emulator, backup in saved.items():
                self.assertEqual(backup, self.printer_switch("backup", emulator))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin-dir", required=True, help="where printer-switch and "
                        "printer-emulator are")
    parser.add_argument("--collection", required=True, help="the collection's source folder")
    args = parser.parse_args()
    if not shutil.which("ansible-playbook"):
        print("skipped: ansible-playbook not found; install Debian's ansible-core "
              "(./scripts/setup does)")
        return SKIPPED
    FleetTest.bin_dir = os.path.abspath(args.bin_dir)
    FleetTest.collection = os.path.abspath(args.collection)
    test = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2)
    return 0 if test.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
