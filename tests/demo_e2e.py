#!/usr/bin/env python3
"""End to end on the demo printers, installed as print queues of the Wine prefix: every command
of the console front end with its exit codes, and the tool itself diagnosing a printer to the
final page and closing it through the feedback dialog.

Environment: KELO_SOURCE_DIR (the checkout), KELO_DIST (the folder with kelotsy.exe),
KELO_PRINTER_SIM (the native simulator), KELO_UI_STARTUP_TESTS (the window test program that
drives the tool), KELO_DEMO_FILTER (optional: only the tool's runs whose names match it)."""
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.dom.minidom

ROOT = os.environ.get("KELO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), ".."))
DIST = os.environ["KELO_DIST"]
SIMULATOR = os.environ["KELO_PRINTER_SIM"]
DEMO = os.path.join(ROOT, "sim", "scenarios", "demo.scenario")
# The user-interface languages and a Unix locale of each.
UI_LANGUAGES = [(1033, "en_US.UTF-8"), (1028, "zh_TW.UTF-8"), (1029, "cs_CZ.UTF-8"), (1030, "da_DK.UTF-8"),
                (1031, "de_DE.UTF-8"), (1032, "el_GR.UTF-8"), (1034, "es_ES.UTF-8"), (1035, "fi_FI.UTF-8"),
                (1036, "fr_FR.UTF-8"), (1038, "hu_HU.UTF-8"), (1040, "it_IT.UTF-8"), (1041, "ja_JP.UTF-8"),
                (1042, "ko_KR.UTF-8"), (1043, "nl_NL.UTF-8"), (1044, "nb_NO.UTF-8"), (1045, "pl_PL.UTF-8"),
                (1046, "pt_BR.UTF-8"), (1049, "ru_RU.UTF-8"), (1053, "sv_SE.UTF-8"), (1055, "tr_TR.UTF-8"),
                (2052, "zh_CN.UTF-8")]
VARIANTS = os.path.join(ROOT, "sim", "scenarios", "variants.scenario")
sys.path.insert(0, os.path.join(ROOT, "tests", "peers"))
from simulator import Simulator, StartError  # noqa: E402

SABLE = "127.0.0.10"
QUILL = "127.0.0.11"


def install_printers(*options, scenario=DEMO):
    subprocess.run([os.path.join(ROOT, "scripts", "install-printers"), *options, scenario], check=True,
                   stdout=subprocess.DEVNULL)


def start_printers(scenario=DEMO):
    """A scenario's printers running and installed as print queues of the prefix."""
    with open(scenario) as text:
        scenario_text = text.read()
    # Someone's demo run by hand may hold the addresses for a moment: wait for it, up to a minute.
    deadline = time.monotonic() + 60
    while True:
        try:
            sim = Simulator(SIMULATOR, scenario_text, extra_args=["--quiet"]).start()
            break
        except StartError as error:
            if "Address already in use" not in str(error) or time.monotonic() > deadline:
                raise
            time.sleep(2)
    install_printers(scenario=scenario)
    return sim


def stop_printers(sim, scenario=DEMO):
    install_printers("--remove", scenario=scenario)
    sim.stop()


def run_kelotsy(*arguments, folder=DIST, timeout=180):
    result = subprocess.run([os.path.join(ROOT, "scripts", "wine-run.sh"), os.path.join(folder, "kelotsy.exe"),
                             *arguments], capture_output=True, timeout=timeout)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8", "replace")


class Kelotsy(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sim = start_printers()

    @classmethod
    def tearDownClass(cls):
        stop_printers(cls.sim)

    def setUp(self):
        for printer in ("sable-net", "quill-net"):
            self.sim.control("POST", "/printers/%s/clear" % printer)

    def run_kelotsy(self, *arguments, folder=DIST, timeout=180):
        return run_kelotsy(*arguments, folder=folder, timeout=timeout)

    def json_of(self, *arguments, expect=0):
        code, out, err = self.run_kelotsy(*arguments, "--json")
        self.assertEqual(code, expect, "kelotsy %s: %s %s" % (" ".join(arguments), out, err))
        return json.loads(out)

    def test_list_names_both_network_printers(self):
        printers = self.json_of("list")
        by_address = {p["address"]: p for p in printers}
        self.assertEqual(by_address[SABLE]["connection"], "network")
        self.assertEqual(by_address[QUILL]["queue"], "Kelo Workline 6500 Series (127.0.0.11)")
        index = str(by_address[QUILL]["index"])
        code, out, _ = self.run_kelotsy("list")
        self.assertEqual(code, 0)
        self.assertIn("127.0.0.11", out)
        # The index from the list selects the same printer as its address.
        self.assertEqual(self.json_of("info", index)["serialNumber"], "CN7511Q02B")

    def test_info_and_ink_of_both_protocols(self):
        sable = self.json_of("info", SABLE)
        self.assertEqual(sable["model"], "Kelo Workline 4420 All-in-One")
        self.assertEqual(sable["serialNumber"], "CN5912D01A")
        self.assertGreaterEqual(len(sable["printheads"]), 1)
        quill = self.json_of("info", QUILL)
        self.assertEqual(quill["firmwareRevision"], "WKL6500CN1947BR")
        self.assertEqual(quill["pageCount"], 40211)
        inks = self.json_of("ink", QUILL)["inks"]
        self.assertEqual([ink["level"] for ink in inks][:4], ["45", "33", "52", "61"])
        code, out, _ = self.run_kelotsy("ink", SABLE)
        self.assertEqual(code, 0)
        self.assertIn("Cartridge number: 910XL", out)

    def test_status_reports_code_flag_verdict_and_text(self):
        healthy = self.json_of("status", SABLE)
        self.assertEqual((healthy["passed"], healthy["statusCode"], healthy["adf"]), (True, 0, False))
        self.sim.apply("sable-net", "statuses = jamInPrinter\nalert = jamInPrinter severity=Error priority=1")
        try:
            jammed = self.json_of("status", SABLE, expect=1)
        finally:
            self.sim.apply("sable-net", "statuses = ready\nalert =")
        self.assertEqual((jammed["passed"], jammed["verdict"], jammed["statusCode"]), (False, False, 14))
        self.assertTrue(jammed["statusText"])
        # Another language's file gives the texts, and the JSON stays UTF-8.
        for language in (1041, 1049, 1032):
            strings = xml.dom.minidom.parse(os.path.join(DIST, "strings", "%d.xml" % language))
            jam = [e.getAttribute("Value") for e in strings.getElementsByTagName("String")
                   if e.getAttribute("ID") == "TSY_DEVID_STATUS_MSG_14"]
            self.sim.apply("sable-net", "statuses = jamInPrinter\nalert = jamInPrinter severity=Error priority=1")
            try:
                translated = self.json_of("--lang", str(language), "status", SABLE, expect=1)
            finally:
                self.sim.apply("sable-net", "statuses = ready\nalert =")
            self.assertEqual([translated["statusText"]], jam, language)
        self.sim.apply("quill-net", "statuses = ready\nstatus-code = 9")
        try:
            code, out, _ = self.run_kelotsy("status", QUILL)
        finally:
            self.sim.apply("quill-net", "status-code = 0")
        self.assertEqual(code, 1)
        self.assertIn("status 9", out)

    def test_test_runs_the_three_tests_and_prints_the_file(self):
        report = self.json_of("test", QUILL)
        self.assertEqual([t["test"] for t in report["tests"]], ["connectivity", "deviceStatus", "lowLevelPrint"])
        self.assertTrue(all(t["passed"] for t in report["tests"]))
        with open(os.path.join(DIST, "config", "Wren_4c.prn"), "rb") as prn:
            self.assertEqual(self.sim.received("quill-net", "/print"), prn.read())

    def test_test_stops_at_the_first_failure(self):
        self.sim.apply("sable-net", "statuses = scannerAdfJam")
        try:
            report = self.json_of("test", SABLE, expect=1)
        finally:
            self.sim.apply("sable-net", "statuses = ready")
        self.assertEqual([t["passed"] for t in report["tests"]], [True, False])
        self.assertEqual((report["tests"][1]["statusCode"], report["tests"][1]["adf"]), (3, True))
        self.assertEqual(self.sim.counts("sable-net")["print-jobs"], 0)

    def test_services_reach_the_printer(self):
        code, _, err = self.run_kelotsy("service", "diag", SABLE)
        self.assertEqual(code, 0, err)
        self.assertIn("diagnosticsPage", self.sim.received("sable-net", "/jobs").decode())
        code, _, err = self.run_kelotsy("service", "pq", QUILL)
        self.assertEqual(code, 0, err)
        self.assertTrue(self.sim.received("quill-net", "/sets").decode().strip())

    def test_reset_needs_yes_and_tells_whether_the_bytes_went_out(self):
        code, out, err = self.run_kelotsy("reset", SABLE)
        self.assertEqual((code, out), (2, ""))
        self.assertIn("--yes", err)
        self.assertEqual(len(err.strip().splitlines()), 1, err)
        self.assertEqual(self.sim.counts("sable-net")["print-jobs"], 0)

        code, _, err = self.run_kelotsy("reset", SABLE, "--yes")
        self.assertEqual(code, 0, err)
        self.assertEqual(self.sim.received("sable-net", "/print"), b"\x1b%Pds2.set_nvm_reset_bits 0x4ec;\nudw.quit;")

        self.sim.apply("quill-net", "fault.raw = refuse")
        try:
            code, out, err = self.run_kelotsy("reset", QUILL, "--yes")
        finally:
            self.sim.apply("quill-net", "fault.raw =")
        self.assertEqual((code, out), (1, "failed\n"))
        self.assertIn("did not reach the printer", err)

    def test_search_lists_the_demo_printers_and_its_exit_codes(self):
        found = {p["address"]: p for p in self.json_of("search")}
        self.assertIn(SABLE, found)
        self.assertIn(QUILL, found)
        self.assertIn("Workline 6500", found[QUILL]["name"])
        self.assertTrue(found[QUILL]["printQueue"], "the demo printers are installed as queues here")
        with tempfile.TemporaryDirectory(prefix="kelotsy-") as folder:
            copy = os.path.join(folder, "dist")
            shutil.copytree(DIST, copy)
            ini = os.path.join(copy, "config", "search.ini")
            for ranges, expected in (("127.0.0.240/28", 1), ("none at all", 2)):
                with open(ini, "w") as config:
                    config.write("[Search]\r\nRanges=%s\r\nProbeTimeoutMs=200\r\n" % ranges)
                code, out, err = self.run_kelotsy("search", folder=copy)
                self.assertEqual(code, expected, ranges + ": " + out + err)
            self.assertIn("Ranges of", err)
            self.assertIn("search.ini", err)

    def test_the_tool_diagnoses_a_demo_printer_to_every_end(self):
        """The window test program's demo runs: KeloTessaly.exe from the selection page to each end a
        demo printer can reach, the printers' faults raised through the simulator's control interface."""
        program = os.environ.get("KELO_UI_STARTUP_TESTS")
        if not program:
            self.skipTest("KELO_UI_STARTUP_TESTS names the window test program")
        # KELO_DEMO_FILTER narrows the run to some routes while working on them.
        only = os.environ.get("KELO_DEMO_FILTER")
        result = subprocess.run([os.path.join(ROOT, "scripts", "wine-run.sh"), program,
                                 "--gtest_filter=" + (only or "Demo/*")],
                                env=dict(os.environ, KELO_DEMO_PRINTERS="1", KELO_SABLE_SIM_READY=self.sim.ready_file),
                                capture_output=True, timeout=900)
        output = result.stdout.decode("utf-8", "replace")
        print(output[output.find("[==========]"):] if "[==========]" in output else output[-4000:])
        self.assertEqual(result.returncode, 0, output)
        if not only:
            self.assertIn("[  PASSED  ] 16 tests", output)

    def test_every_page_in_every_language(self):
        """The tool started under the locale of each of the 21 user languages: its texts come from that
        language's file, a diagnosis goes through in it, and the gallery gets its pictures."""
        program = os.environ.get("KELO_UI_STARTUP_TESTS")
        if not program:
            self.skipTest("KELO_UI_STARTUP_TESTS names the window test program")
        for language, locale in UI_LANGUAGES:
            with self.subTest(language=language):
                # Wine reads the user's language from the Unix locale the program starts under.
                result = subprocess.run([os.path.join(ROOT, "scripts", "wine-run.sh"), program,
                                         "--gtest_filter=Languages/LanguageRun.*/%d" % language],
                                        env=dict(os.environ, KELO_DEMO_PRINTERS="1", LC_ALL=locale,
                                                 KELO_SABLE_SIM_READY=self.sim.ready_file),
                                        capture_output=True, timeout=300)
                output = result.stdout.decode("utf-8", "replace")
                self.assertEqual(result.returncode, 0, output)
                self.assertIn("[  PASSED  ] 1 test", output)
                self.assertNotIn("[  SKIPPED ]", output)
        print("the tool went through a diagnosis in %d languages" % len(UI_LANGUAGES))

    def test_usage_and_environment_errors_exit_with_2(self):
        for arguments in (["info", "no-such-printer"], ["info", "57"], ["list", "--colour"], ["fix", "0"],
                          ["--lang", "4242", "list"]):
            code, out, err = self.run_kelotsy(*arguments)
            self.assertEqual(code, 2, arguments)
            self.assertEqual(out, "")
            self.assertEqual(len(err.strip().splitlines()), 1, err)
        # An IPv4 address no queue names is probed; one that answers nothing is not answering.
        code, out, err = self.run_kelotsy("info", "127.0.0.99")
        self.assertEqual((code, out), (1, ""))
        self.assertIn("not answering", err)
        with tempfile.TemporaryDirectory(prefix="kelotsy-") as bare:
            shutil.copy(os.path.join(DIST, "kelotsy.exe"), bare)
            shutil.copytree(os.path.join(DIST, "strings"), os.path.join(bare, "strings"))
            code, _, err = self.run_kelotsy("list", folder=bare)
            self.assertEqual(code, 2)
            self.assertIn("catalogue", err)


# Monitoring-plugin exit codes of kelotsy check.
CHECK_OK, CHECK_WARNING, CHECK_CRITICAL, CHECK_UNKNOWN = 0, 1, 2, 3
FAULTS = os.path.join(ROOT, "sim", "scenarios", "faults.scenario")
SILENT, GARBAGE = "127.0.0.24", "127.0.0.25"
DEMO_INKS = {SABLE: {"black": 72, "cyan": 64, "magenta": 58, "yellow": 81},
             QUILL: {"black": 45, "cyan": 33, "magenta": 52, "yellow": 61}}


def parse_perfdata(text):
    """'label'=value[uom];warn;crit;min;max ... -> {label: (value, uom, [warn, crit, min, max])}."""
    data = {}
    for item in text.split():
        label, _, rest = item.partition("=")
        fields = rest.split(";")
        number = fields[0].rstrip("%cBs")
        data[label.strip("'")] = (int(number), fields[0][len(number):], fields[1:])
    return data


def parse_prometheus(text):
    """The exposition format's samples -> {(name, frozenset(labels)): value}; checks each line's form."""
    samples = {}
    for line in text.splitlines():
        if line.startswith("#"):
            assert line.startswith("# HELP ") or line.startswith("# TYPE "), line
            continue
        head, value = line.rsplit(" ", 1)
        name, _, labels = head.partition("{")
        pairs = []
        for pair in labels.rstrip("}").split('",') if labels else []:
            key, _, quoted = pair.partition('="')
            pairs.append((key, quoted.rstrip('"')))
        samples[(name, frozenset(pairs))] = float(value)
    return samples


class CheckAndScan(unittest.TestCase):
    """kelotsy check as a monitoring plugin and kelotsy scan over many printers: the demo
    printers (installed) and two printers of the faults scenario (not installed)."""

    @classmethod
    def setUpClass(cls):
        with open(DEMO) as scenario:
            cls.sim = Simulator(SIMULATOR, scenario.read(), extra_args=["--quiet"]).start()
        with open(FAULTS) as scenario:
            cls.faults = Simulator(SIMULATOR, scenario.read(), extra_args=["--quiet"]).start()
        install_printers()

    @classmethod
    def tearDownClass(cls):
        install_printers("--remove")
        cls.faults.stop()
        cls.sim.stop()

    def setUp(self):
        for printer in ("sable-net", "quill-net"):
            self.sim.control("POST", "/printers/%s/clear" % printer)

    def check(self, *arguments):
        code, out, err = run_kelotsy("check", *arguments)
        lines = out.splitlines()
        self.assertEqual(len(lines), 1, "check %s: %r %r" % (arguments, out, err))
        status, _, perfdata = lines[0].partition("|")
        return code, status, parse_perfdata(perfdata)

    def test_check_states_exit_codes_and_perfdata(self):
        jam = ("sable-net", "statuses = jamInPrinter\nalert = jamInPrinter severity=Error priority=1")
        # What puts back each change: the control's clear forgets what was received, not settings.
        restore = {"statuses": "statuses = ready\nalert =", "ink.2.level": "ink.2.level = 33", "fault.snmp": "fault.snmp ="}
        cases = [
            # (name, settings, arguments, exit code, status line prefix)
            ("ready", None, [SABLE], CHECK_OK, "KELO OK - Kelo Workline 4420: ready; ink lowest magenta 58%"),
            ("jam", jam, [SABLE], CHECK_CRITICAL, "KELO CRITICAL - Kelo Workline 4420: "),
            ("ink 15%", ("quill-net", "ink.2.level = 15"), [QUILL], CHECK_WARNING, "KELO WARNING - Kelo Workline 6500"),
            ("ink 5%", ("quill-net", "ink.2.level = 5"), [QUILL], CHECK_CRITICAL, "KELO CRITICAL - Kelo Workline 6500"),
            ("thresholds", None, [QUILL, "-w", "40", "-c", "30"], CHECK_WARNING, "KELO WARNING - "),
            ("silent", ("quill-net", "fault.snmp = silence"), [QUILL], CHECK_CRITICAL, "KELO CRITICAL - Kelo Workline 6500"),
            ("no printer there", None, ["127.0.0.99"], CHECK_UNKNOWN, "KELO UNKNOWN - 127.0.0.99: not answering"),
            ("unknown printer", None, ["99"], CHECK_UNKNOWN, "KELO UNKNOWN - unknown printer: 99"),
            ("usage", None, [SABLE, "-w", "200"], CHECK_UNKNOWN, "KELO UNKNOWN - -w needs a percentage"),
        ]
        for name, settings, arguments, expect_code, prefix in cases:
            with self.subTest(name):
                if settings:
                    self.sim.apply(*settings)
                try:
                    code, status, perfdata = self.check(*arguments)
                finally:
                    if settings:
                        self.sim.apply(settings[0], restore[settings[1].split(" ", 1)[0]])
                self.assertTrue(status.startswith(prefix), status)
                self.assertEqual(code, expect_code, status)
                if name.startswith("ink "):
                    self.assertTrue(status.endswith(": ready; ink lowest cyan %s" % name[4:]), status)
                if name == "silent":
                    self.assertTrue(status.endswith(": not answering"), status)
                if name == "ready":
                    levels = {label[len("ink_"):]: value for label, (value, _, _) in perfdata.items()
                              if label.startswith("ink_")}
                    self.assertEqual(levels, DEMO_INKS[SABLE])
                    self.assertEqual(perfdata["ink_cyan"], (64, "%", ["20", "10", "0", "100"]))
                    self.assertEqual(perfdata["pages"][:2], (18342, "c"))
                if name == "thresholds":
                    self.assertEqual(perfdata["ink_cyan"][2][:2], ["40", "30"])

    def test_scan_in_parallel_in_every_format(self):
        printers = [SABLE, QUILL, SILENT, GARBAGE]
        started = time.monotonic()
        code, out, err = run_kelotsy("scan", *printers, "--jobs", "4", "--format", "json")
        together = time.monotonic() - started
        self.assertEqual(code, 1, err)  # the silent printer did not answer
        report = {p["printer"]: p for p in json.loads(out)}
        self.assertEqual(sorted(report), sorted(printers))
        self.assertEqual(report[SILENT]["reach"], "notAnswering")
        self.assertNotEqual(report[GARBAGE]["reach"], "answered")
        for address in (SABLE, QUILL):
            self.assertEqual(report[address]["reach"], "answered")
            self.assertEqual({i["color"]: i["level"] for i in report[address]["inks"]}, DEMO_INKS[address])
            self.assertEqual(report[address]["status"]["passed"], True)
        self.assertEqual(report[QUILL]["serialNumber"], "CN7511Q02B")
        self.assertEqual(report[SABLE]["pageCount"], 18342)

        # Each printer alone; together they take about the slowest one, not the sum.
        alone = {}
        for printer in printers:
            started = time.monotonic()
            run_kelotsy("scan", printer, "--format", "csv")
            alone[printer] = time.monotonic() - started
        self.assertLess(together, max(alone.values()) + 5, (together, alone))
        self.assertLess(together, sum(alone.values()), (together, alone))

        code, out, _ = run_kelotsy("scan", *printers, "--jobs", "4", "--format", "csv")
        rows = list(csv.DictReader(io.StringIO(out)))
        self.assertEqual({r["printer"] for r in rows}, set(printers))
        for address in (SABLE, QUILL):
            self.assertEqual({r["color"]: int(r["level"]) for r in rows if r["printer"] == address},
                             DEMO_INKS[address])
        self.assertEqual([r["reach"] for r in rows if r["printer"] == SILENT], ["notAnswering"])

        code, out, _ = run_kelotsy("scan", *printers, "--jobs", "4", "--format", "prometheus")
        samples = parse_prometheus(out)
        for address in (SABLE, QUILL):
            self.assertEqual(samples[("kelo_up", frozenset({("printer", address)}))], 1)
            for color, level in DEMO_INKS[address].items():
                key = ("kelo_ink_level_percent", frozenset({("printer", address), ("color", color)}))
                self.assertEqual(samples[key], level)
        self.assertEqual(samples[("kelo_up", frozenset({("printer", SILENT)}))], 0)
        self.assertEqual(samples[("kelo_page_count_total", frozenset({("printer", QUILL)}))], 40211)


class Variants(unittest.TestCase):
    """One diagnosis of each printer of sim/scenarios/variants.scenario: printers stricter than
    the demo's (a job parser) or typing their objects otherwise (integers over SNMP)."""

    STRICT = "127.0.0.50"
    INTEGERS = "127.0.0.51"

    @classmethod
    def setUpClass(cls):
        cls.sim = start_printers(VARIANTS)

    @classmethod
    def tearDownClass(cls):
        stop_printers(cls.sim, VARIANTS)

    def json_of(self, *arguments, expect=0):
        code, out, err = run_kelotsy(*arguments, "--json")
        self.assertEqual(code, expect, "kelotsy %s: %s %s" % (" ".join(arguments), out, err))
        return json.loads(out)

    def test_each_variant_passes_the_diagnosis(self):
        for address in (self.STRICT, self.INTEGERS):
            report = self.json_of("test", address)
            self.assertEqual([(t["test"], t["passed"]) for t in report["tests"]],
                             [("connectivity", True), ("deviceStatus", True), ("lowLevelPrint", True)], address)

    def test_a_strict_job_parser_takes_the_tools_jobs(self):
        code, _, err = run_kelotsy("service", "diag", self.STRICT)
        self.assertEqual(code, 0, err)
        jobs = self.sim.received("sable-strict", "/jobs").decode()
        self.assertIn("/DevMgmt/InternalPrintDyn.xml\tdiagnosticsPage", jobs)

    def test_integer_typed_objects_read_as_octets_and_text_do(self):
        inks = self.json_of("ink", self.INTEGERS)["inks"]
        self.assertEqual([ink["level"] for ink in inks], ["64", "48", "35"], "4096 and 128 are colour codes")
        self.assertTrue(all(ink["colour"] for ink in inks))
        head = self.json_of("info", self.INTEGERS)["printheads"][0]
        self.assertEqual((head["health"], head["warranty"]), ("3", "1"))


class SearchFromAnEmptyPrefix(unittest.TestCase):
    """No print queues: the tool finds the demo printers only through Not Listed, Network and the
    search window, and diagnoses one it found."""

    @classmethod
    def setUpClass(cls):
        install_printers("--remove")
        with open(DEMO) as scenario:
            cls.sim = Simulator(SIMULATOR, scenario.read(), extra_args=["--quiet"]).start()

    @classmethod
    def tearDownClass(cls):
        cls.sim.stop()

    def test_not_listed_network_search_then_diagnose(self):
        program = os.environ.get("KELO_UI_STARTUP_TESTS")
        if not program:
            self.skipTest("KELO_UI_STARTUP_TESTS names the window test program")
        result = subprocess.run([os.path.join(ROOT, "scripts", "wine-run.sh"), program, "--gtest_filter=DemoSearch.*"],
                                env=dict(os.environ, KELO_DEMO_SEARCH="1", KELO_SABLE_SIM_READY=self.sim.ready_file),
                                capture_output=True, timeout=600)
        output = result.stdout.decode("utf-8", "replace")
        print(output[output.find("search from"):] if "search from" in output else output[-4000:])
        self.assertEqual(result.returncode, 0, output)
        self.assertIn("[  PASSED  ] 1 test", output)


if __name__ == "__main__":
    unittest.main(verbosity=2)
