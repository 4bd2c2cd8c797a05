#!/usr/bin/env python3
"""The Ansible collection against two stores, local hosts with printer emulators on 127.0.0.x, the
second with a silent printer and a ZEPHYR-550 too. Exits 77 (skipped) without ansible-core."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

SETTINGS = "printerswitch.norvanta.store_settings"


class Emulator:
    """One printer-emulator on ADDRESS, a free port, its command lines in a log file."""

    def __init__(self, bin_dir, folder, address, *options):
        self.log = os.path.join(folder, "%s.log" % address)
        with open(self.log, "w") as log:
            self.process = subprocess.Popen(
                [os.path.join(bin_dir, "printer-emulator"), "--tcp", address + ":0", *options],
                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log, text=True)
        ready = self.process.stdout.readline()
        if not ready.startswith("tcp "):
            raise RuntimeError("printer-emulator on %s did not start: %r" % (address, ready))
        self.port = "tcp:" + ready.split()[1]

    def count(self, pattern):
        """Command lines that match PATTERN from their start."""
        with open(self.log) as log:
            return len(re.findall("^" + pattern, log.read(), re.MULTILINE))


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
            # Cleaned up last first: terminated, then waited for.
            self.addCleanup(emulator.process.communicate, timeout=10)
            self.addCleanup(emulator.process.terminate)
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
                 for host, counts in re.findall(r"^(\S+)\s+: (ok=.*)$", done.stdout, re.M)}
        return done.returncode, done.stdout + done.stderr, recap

    def printer_switch(self, command, emulator, *arguments):
        """printer-switch COMMAND on EMULATOR's port: what it prints, read as JSON."""
        done = self.ansible("printer-switch", command, "--port", emulator.port, *arguments)
        return json.loads(done.stdout)

    def unlocks(self):
        return {emulator.port: emulator.count("unlock$")
                for printers in self.stores.values() for emulator in printers.values()}

    def test_fleet(self):
        store1, store2 = self.stores["store1"], self.stores["store2"]
        healthy = [*store1.values(), store2["till"]]
        till = store1["till"]
        info = self.printer_switch("info", till, "--json")
        before = {emulator: self.printer_switch("backup", emulator) for emulator in healthy}

        docs = self.ansible("ansible-doc", "printerswitch.norvanta.printer_settings",
                            "printerswitch.norvanta.printer_info")
        with self.subTest("ansible-doc shows both modules"):
            self.assertEqual(docs.returncode, 0, docs.stderr)
            self.assertIn("expected_model", docs.stdout)
            self.assertIn("RETURN VALUES", docs.stdout)

        with self.subTest("facts: printer_info in check mode reads what printer-switch shows"):
            facts = self.ansible("ansible", "store1", "-i", self.inventory, "--check", "-m",
                                 "printerswitch.norvanta.printer_info", "-a", "port=" + till.port)
            facts = json.loads(facts.stdout.partition("=>")[2])
            self.assertFalse(facts["changed"])
            self.assertEqual(facts["printer"], info)
            self.assertEqual(facts["backup"], before[till])

        rc, output, recap = self.playbook(SETTINGS, "--check", "--diff")
        with self.subTest("check mode: store1 changed, store2 with a silent printer failed"):
            self.assertEqual((rc, recap["store1"]["changed"], recap["store2"]["failed"]), (2, 1, 1),
                             output)
            self.assertEqual(set(self.unlocks().values()), {0}, "an unlock reached a printer")
        with self.subTest("diff: SW2 before with the switches' meanings, code page 17 after"):
            self.assertIn("SW2: %d" % info["switches"]["SW2"]["value"], output)
            self.assertIn(info["switches"]["SW2"]["switches"][3]["meaning"].splitlines()[0], output)
            self.assertIn("codepage: 17", output)

        rc, output, recap = self.playbook(SETTINGS, "--diff")
        with self.subTest("first run: store1 changed, store2 failed"):
            self.assertEqual((rc, recap["store1"]["changed"], recap["store1"]["failed"],
                              recap["store2"]["failed"]), (2, 1, 0, 1), output)
            self.assertRegex(output, r'refused: model \W+ZEPHYR-550\W+ is not the expected')
            self.assertIn(store2["silent"].port, output)
            self.assertIn("re-power", output, "the power-cycle reminder is a warning")
            self.assertEqual((store2["silent"].count("unlock$"), store2["zephyr"].count("unlock$")),
                             (0, 0))
        for emulator, backup in before.items():
            # Switch 4 of SW2 ON: its bit 3 cleared.
            wanted = dict(backup, codePage=17)
            wanted["switches"] = dict(backup["switches"], SW2=backup["switches"]["SW2"] & ~8)
            with self.subTest("%s holds SW2 switch 4 ON and code page 17, the rest as before; one "
                              "switch byte written" % emulator.port):
                self.assertEqual(self.printer_switch("backup", emulator), wanted)
                self.assertEqual(emulator.count(r"write SW\d"), 1)
        unlocks = self.unlocks()

        rc, output, recap = self.playbook(SETTINGS)
        with self.subTest("second run: changed=0 on every store, no unlock sent"):
            self.assertEqual({counts["changed"] for counts in recap.values()}, {0}, output)
            self.assertEqual(self.unlocks(), unlocks)

        backups = os.path.join(self.folder, "backups")
        limit = ["-l", "store1", "-e", "backup_dir=" + backups]
        rc, output, _ = self.playbook("printerswitch.norvanta.backup", *limit)
        saved = {name: self.printer_switch("backup", emulator) for name, emulator in store1.items()}
        with self.subTest("backup: a file per store and printer, as printer-switch prints it"):
            self.assertEqual(rc, 0, output)
            for name, backup in saved.items():
                with open(os.path.join(backups, "store1", name + ".json")) as file:
                    self.assertEqual(json.load(file), backup)
        for emulator in store1.values():
            self.printer_switch("set", emulator, "SW2.4=OFF", "SW3=1", "codepage=0", "--json")
        rc, output, recap = self.playbook("printerswitch.norvanta.restore", *limit)
        with self.subTest("restore: every printer holds its backup again"):
            self.assertEqual((rc, recap["store1"]["changed"]), (0, 1), output)
            self.assertEqual({name: self.printer_switch("backup", emulator)
                              for name, emulator in store1.items()}, saved)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin-dir", required=True, help="printer-switch's and the emulator's")
    parser.add_argument("--collection", required=True, help="the collection's source folder")
    args = parser.parse_args()
    if not shutil.which("ansible-playbook"):
        print("skipped: ansible-playbook not found; install Debian's ansible-core "
              "(./scripts/setup does)")
        return 77  # skipped
    FleetTest.bin_dir = os.path.abspath(args.bin_dir)
    FleetTest.collection = os.path.abspath(args.collection)
    test = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2)
    return 0 if test.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
