#!/usr/bin/env python3
"""The Ansible collection against fleets of stores: local hosts with printer emulators on
127.0.0.x, one scenario per run, so that the scenarios run side by side. Exits 77 (skipped)
without ansible-core."""

import argparse
import csv
import json
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import unittest

# The settings the role gives each model.
KV_WANTED = {"SW2.4": True, "codepage": 17}
ZEPHYR_WANTED = {"SW1.4": True, "codepage": 17}


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


class FleetCase(unittest.TestCase):
    """A fleet of stores, each with its printers on emulators, and ansible-playbook over it."""

    bin_dir = None
    collections = None
    source = None
    # (store, printer, address, emulator options, further inventory keys)
    FLEET = ()

    def setUp(self):
        self.folder = self.enterContext(tempfile.TemporaryDirectory(prefix="printer-fleet-"))
        self.environment = dict(
            os.environ,
            PATH=self.bin_dir + os.pathsep + os.environ.get("PATH", ""),
            ANSIBLE_COLLECTIONS_PATH=self.collections,
            ANSIBLE_LOCAL_TEMP=os.path.join(self.folder, "ansible-local"),
            ANSIBLE_REMOTE_TEMP=os.path.join(self.folder, "ansible-remote"),
            ANSIBLE_NOCOLOR="1",
            ANSIBLE_PIPELINING="1",
            ANSIBLE_FORKS="10",
        )
        self.printers = {}
        self.silent = {(store, name) for store, name, _, options, _ in self.FLEET
                       if "--silent" in options}
        hosts = {}
        for store, name, address, options, keys in self.FLEET:
            emulator = Emulator(self.bin_dir, self.folder, address, *options)
            # Cleaned up last first: terminated, then waited for.
            self.addCleanup(emulator.process.communicate, timeout=10)
            self.addCleanup(emulator.process.terminate)
            self.printers[store, name] = emulator
            hosts.setdefault(store, {"printers": []})["printers"].append(
                dict(keys, name=name, port=emulator.port))
        self.inventory = self.write("stores.json", {"all": {"hosts": hosts, "vars": {
            "ansible_connection": "local",
            "ansible_python_interpreter": "{{ ansible_playbook_python }}"}}})

    def write(self, name, document):
        path = os.path.join(self.folder, name)
        with open(path, "w") as out:
            json.dump(document, out)
        return path

    def run_tool(self, *command):
        return subprocess.run(command, env=self.environment, cwd=self.folder,
                              capture_output=True, text=True, timeout=300)

    def playbook(self, *arguments):
        """ansible-playbook ARGUMENTS: its exit status, output and recap per host."""
        done = self.run_tool("ansible-playbook", "-i", self.inventory, *arguments)
        recap = {host: {key: int(value) for key, value in re.findall(r"(\w+)=(\d+)", counts)}
                 for host, counts in re.findall(r"^(\S+)\s+: (ok=.*)$", done.stdout, re.M)}
        return done.returncode, done.stdout + done.stderr, recap

    def printer_switch(self, command, emulator, *arguments):
        """printer-switch COMMAND on EMULATOR's port: what it prints, read as JSON."""
        done = self.run_tool("printer-switch", command, "--port", emulator.port, *arguments)
        return json.loads(done.stdout)

    def backups(self):
        """Every printer's backup, but the silent ones'."""
        return {key: self.printer_switch("backup", emulator)
                for key, emulator in self.printers.items() if key not in self.silent}

    def counts(self, pattern):
        return {key: emulator.count(pattern) for key, emulator in self.printers.items()}


def holding(backup, wanted):
    """BACKUP as it is once the printer holds WANTED (switches as SWn.k, whole bytes, code
    page)."""
    result = dict(backup, switches=dict(backup["switches"]))
    for name, value in wanted.items():
        if name == "codepage":
            result["codePage"] = value
        elif "." in name:
            byte, number = name.split(".")
            bit = 1 << (int(number) - 1)
            # ON is a cleared bit.
            result["switches"][byte] = result["switches"][byte] & ~bit if value else \
                result["switches"][byte] | bit
        else:
            result["switches"][name] = value
    return result


class Targets(FleetCase):
    """The integration targets under ansible/tests/integration/targets, in one play, against a
    KV-4100 (SW2 235), a ZEPHYR-550 and a silent printer. The settings target runs first: the
    others only read."""

    TARGETS = ("printer_settings", "printer_info", "printer_facts")
    FLEET = (("store", "kv", "127.0.0.11", (), {}),
             ("store", "zephyr", "127.0.0.12", ("--model", "ZEPHYR-550"), {}),
             ("store", "silent", "127.0.0.13", ("--silent",), {}))

    def test_target(self):
        ports = {name + "_port": self.printers["store", name].port
                 for name in ("kv", "zephyr", "silent")}
        play = self.write("target.json", [{"hosts": "store", "gather_facts": False,
                                           "vars": ports, "roles": list(self.TARGETS)}])
        self.environment["ANSIBLE_ROLES_PATH"] = os.path.join(self.source, "tests", "integration",
                                                              "targets")
        rc, output, recap = self.playbook(play)
        self.assertEqual((rc, recap["store"]["failed"]), (0, 0), output)
        # The settings target writes switch 4 and the code page once; nothing else is written.
        writes = {("store", "kv"): 2}
        self.assertEqual(self.counts("unlock$"), {key: writes.get(key, 0) for key in self.printers})


class RoleMixedFleet(FleetCase):
    """store_settings.yml (the role store_printers) over three stores of KV-4100s and
    ZEPHYR-550s: some already as wanted, one with its own settings, one silent, one whose
    inventory names another model; and a fourth store whose printers are inventory hosts of
    their own, each naming the store computer that reaches it, for a recap line per printer.
    Check mode and the runs that write each get a fleet of their own, so that they run side by
    side."""

    FLEET = (("store1", "till", "127.0.0.21", (), {}),
             ("store1", "kitchen", "127.0.0.22", ("--sw2", "227", "--code-page", "17"), {}),
             ("store2", "till", "127.0.0.31", ("--model", "ZEPHYR-550"), {}),
             ("store2", "bar", "127.0.0.32", (), {"model": "KV-4100", "settings": {"SW3": 1}}),
             ("store2", "office", "127.0.0.33", ("--silent",), {}),
             ("store3", "till", "127.0.0.41", ("--model", "ZEPHYR-550"), {"model": "ZEPHYR-550"}),
             ("store3", "bar", "127.0.0.42", ("--model", "ZEPHYR-550"), {"model": "KV-4100"}),
             ("store4", "till", "127.0.0.46", (), {}),
             ("store4", "kitchen", "127.0.0.47", ("--sw2", "227", "--code-page", "17"), {}))
    WANTED = {("store1", "till"): KV_WANTED, ("store1", "kitchen"): KV_WANTED,
              ("store2", "till"): ZEPHYR_WANTED, ("store2", "bar"): dict(KV_WANTED, SW3=1),
              ("store3", "till"): ZEPHYR_WANTED, ("store4", "till"): KV_WANTED,
              ("store4", "kitchen"): KV_WANTED}
    # (changed, failed) per host, in check mode and on the first run.
    RECAP = {"store1": (1, 0), "store2": (1, 1), "store3": (1, 1), "store4": (0, 0),
             "store4-till": (1, 0), "store4-kitchen": (0, 0)}
    SETTINGS = "printerswitch.norvanta.store_settings"

    def setUp(self):
        super().setUp()
        with open(self.inventory) as file:
            inventory = json.load(file)
        hosts = inventory["all"]["hosts"]
        for printer in hosts.pop("store4")["printers"]:
            hosts["store4-" + printer["name"]] = {"store_printers_delegate": "store4",
                                                  "store_printers_printers": [printer]}
        hosts["store4"] = {}
        self.write("stores.json", inventory)

    def test_check_mode(self):
        rc, output, recap = self.playbook(self.SETTINGS, "--check", "--diff")
        self.assertEqual((rc, {host: (counts["changed"], counts["failed"])
                               for host, counts in recap.items()}), (2, self.RECAP), output)
        self.assertIn("+  4: ON   Full cut paper", output)
        self.assertIn("-  4: OFF  Partial cut paper.", output)
        self.assertEqual(set(self.counts("unlock$").values()), {0}, "an unlock was sent")

    def test_runs(self):
        before = self.backups()
        healthy = {key: holding(before[key], wanted) for key, wanted in self.WANTED.items()}
        quiet = {("store2", "office"), ("store3", "bar")}

        rc, output, recap = self.playbook(self.SETTINGS, "--diff")
        with self.subTest("first run: what differed written; the failed printers named"):
            self.assertEqual((rc, {host: (counts["changed"], counts["failed"])
                                   for host, counts in recap.items()}), (2, self.RECAP), output)
            self.assertIn(self.printers["store2", "office"].port + ": ", output)
            self.assertRegex(output, r'refused: model \W+ZEPHYR-550\W+ is not the expected '
                                     r'\W+KV-4100\W+; nothing was written')
            self.assertIn("re-power", output)
            self.assertEqual({key: backup for key, backup in self.backups().items()
                              if key not in quiet}, healthy)
            # SW2 (or SW1) and the language, each between unlock and lock; store1's kitchen and
            # the refused or silent printers untouched.
            untouched = quiet | {("store1", "kitchen"), ("store4", "kitchen")}
            self.assertEqual(self.counts("unlock$"), {key: 0 if key in untouched else 3 if key == (
                "store2", "bar") else 2 for key in self.printers})
        unlocks = self.counts("unlock$")

        rc, output, recap = self.playbook(self.SETTINGS)
        with self.subTest("second run: changed=0 on every store, no unlock sent"):
            self.assertEqual({counts["changed"] for counts in recap.values()}, {0}, output)
            self.assertEqual(self.counts("unlock$"), unlocks)


class BackupRestore(FleetCase):
    """backup.yml and restore.yml over two stores, one with a silent printer."""

    FLEET = (("store1", "till", "127.0.0.51", (), {}),
             ("store1", "kitchen", "127.0.0.52", ("--model", "ZEPHYR-550"), {}),
             ("store2", "till", "127.0.0.61", ("--sw3", "1"), {}),
             ("store2", "office", "127.0.0.62", ("--silent",), {}))

    def test_backup_restore(self):
        folder = os.path.join(self.folder, "backups")
        rc, output, recap = self.playbook("printerswitch.norvanta.backup", "-e",
                                          "backup_dir=" + folder)
        saved = self.backups()
        with self.subTest("backup: every healthy printer saved, the silent one named as failed"):
            self.assertEqual((rc, recap["store1"]["failed"], recap["store2"]["failed"]), (2, 0, 1),
                             output)
            self.assertIn(self.printers["store2", "office"].port, output)
            files = {}
            for store in ("store1", "store2"):
                for name in os.listdir(os.path.join(folder, store)):
                    with open(os.path.join(folder, store, name)) as file:
                        files[store, name[:-len(".json")]] = json.load(file)
            self.assertEqual(files, saved)

        for key, settings in ((("store1", "till"), "SW2=1"), (("store1", "kitchen"), "SW2=239"),
                              (("store2", "till"), "SW3=0")):
            self.printer_switch("set", self.printers[key], settings, "codepage=0", "--json")
        changed = self.backups()
        os.remove(os.path.join(folder, "store1", "kitchen.json"))
        rc, output, recap = self.playbook("printerswitch.norvanta.restore", "-e",
                                          "backup_dir=" + folder)
        with self.subTest("restore: every printer with a backup restored; only those without "
                          "fail, named"):
            self.assertEqual((rc, recap["store1"]["changed"], recap["store1"]["failed"]), (2, 1, 1),
                             output)
            self.assertRegex(output, r"no backup in \S+/store1 for kitchen")
            self.assertRegex(output, r"no backup in \S+/store2 for office")
            restored = dict(saved)
            restored["store1", "kitchen"] = changed["store1", "kitchen"]
            self.assertEqual(self.backups(), restored)


class FleetReport(FleetCase):
    """report.yml: one CSV and one Markdown report of three stores, nothing written."""

    FLEET = (("store1", "till", "127.0.0.71", ("--sw2", "227", "--code-page", "17"), {}),
             ("store1", "kitchen", "127.0.0.72", (), {}),
             ("store2", "till", "127.0.0.81", ("--model", "ZEPHYR-550", "--firmware", "Z,\"2\""),
              {}),
             ("store3", "office", "127.0.0.91", ("--silent",), {}))

    def test_report(self):
        path = os.path.join(self.folder, "fleet")
        rc, output, _ = self.playbook("printerswitch.norvanta.report", "-e", "report=" + path)
        self.assertEqual(rc, 0, output)
        with open(path + ".csv", newline="") as file:
            lines = list(csv.reader(file))
        info = {key: self.printer_switch("info", emulator, "--json")
                for key, emulator in self.printers.items() if key[0] != "store3"}

        def line(key, status):
            printer = info[key]
            switches = [str(printer["switches"].get(name, {}).get("value", ""))
                        for name in ("SW1", "SW2", "SW3")]
            return [*key, printer["port"], "NORVANTA", printer["model"], printer["firmware"],
                    printer["hoursPowered"], printer["cutCount"], *switches,
                    str(printer["language"]["codePage"]), str(printer["language"]["charset"]),
                    status]

        office = self.printers["store3", "office"].port
        self.assertEqual(lines[0], ["Store", "Printer", "Port", "Maker", "Model", "Firmware",
                                    "Hours", "Cut count", "SW1", "SW2", "SW3", "Code page",
                                    "Charset", "Status"])
        self.assertEqual(lines[1:4], [
            line(("store1", "till"), "compliant"),
            line(("store1", "kitchen"), "differs: SW2 235->227, codepage 0->17"),
            line(("store2", "till"), "differs: SW1 105->97, codepage 0->17")])
        self.assertEqual(lines[4][:3], ["store3", "office", office])
        self.assertEqual(lines[4][13], "failed: no answer")
        self.assertEqual(len(lines), 5)
        with open(path + ".md") as file:
            markdown = file.read().splitlines()
        self.assertEqual(markdown[2:4], ["| " + " | ".join(lines[0]) + " |", "|---" * 14 + "|"])
        self.assertEqual(markdown[4], "| " + " | ".join(lines[1]) + " |")
        self.assertEqual(len(markdown), 8)
        self.assertEqual(set(self.counts("unlock$").values()), {0})


class Galaxy(FleetCase):
    """The collection as a user gets it: built by ansible-galaxy, with its licence, installed,
    its modules documented."""

    def test_galaxy(self):
        built = self.run_tool("ansible-galaxy", "collection", "build", self.source,
                              "--output-path", self.folder)
        self.assertEqual(built.returncode, 0, built.stderr)
        tarball = os.path.join(self.folder, "printerswitch-norvanta-1.2.0.tar.gz")
        with tarfile.open(tarball) as archive:
            licence = archive.extractfile("LICENSE").read().decode()
            names = archive.getnames()
        self.assertTrue(licence.startswith("MIT License"), licence[:40])
        self.assertIn("roles/store_printers/tasks/main.yml", names)
        self.assertFalse([name for name in names if "__pycache__" in name], names)
        installed = os.path.join(self.folder, "collections")
        done = self.run_tool("ansible-galaxy", "collection", "install", tarball, "-p", installed)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.environment["ANSIBLE_COLLECTIONS_PATH"] = installed
        modules = ["printerswitch.norvanta.printer_" + name
                   for name in ("settings", "info", "facts")]
        docs = self.run_tool("ansible-doc", *modules)
        self.assertEqual(docs.returncode, 0, docs.stderr)
        self.assertEqual(docs.stdout.count("RETURN VALUES"), 3)
        self.assertRegex(docs.stdout, r"17,\s+18,\s+19,\s+21,\s+22,\s+24,")


# Each scenario: a fleet case, and the one test of it to run where it has several.
SCENARIOS = {
    "targets": (Targets, None),
    "role_check_mode": (RoleMixedFleet, "test_check_mode"),
    "role": (RoleMixedFleet, "test_runs"),
    "backup_restore": (BackupRestore, None),
    "report": (FleetReport, None),
    "galaxy": (Galaxy, None),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin-dir", required=True, help="printer-switch's and the emulator's")
    parser.add_argument("--collections", required=True,
                        help="a folder with ansible_collections/printerswitch/norvanta")
    parser.add_argument("--source", required=True, help="the collection's source folder")
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    args = parser.parse_args()
    if not shutil.which("ansible-playbook"):
        print("skipped: ansible-playbook not found; install Debian's ansible-core "
              "(./scripts/setup does)")
        return 77  # skipped
    FleetCase.bin_dir = os.path.abspath(args.bin_dir)
    FleetCase.collections = os.path.abspath(args.collections)
    FleetCase.source = os.path.abspath(args.source)
    case, test = SCENARIOS[args.scenario]
    suite = unittest.TestSuite([case(test)]) if test else \
        unittest.defaultTestLoader.loadTestsFromTestCase(case)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
