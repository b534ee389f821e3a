"""kelo-printer-sim against real peers (net-snmp's snmpget/snmpset, curl) and a table of
malformed input after which it must still answer. All traffic stays on 127.0.0.0/8.

Run: KELO_PRINTER_SIM=build/native/kelo-printer-sim /usr/bin/python3 tests/peers/sim_peer_test.py
"""
import os
import random
import re
import select
import signal
import socket
import subprocess
import sys
import time
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from simulator import Simulator, StartError  # noqa: E402

PROGRAM = os.environ.get("KELO_PRINTER_SIM", "build/native/kelo-printer-sim")
HERE = os.path.dirname(os.path.abspath(__file__))
IO_TIMEOUT_MS = 1500
MAX_CONNECTIONS = 8

QUILL = "1.3.6.1.4.1.48213.2.3.9.4.2."
DEVICE_ID_OID = "1.3.6.1.4.1.48213.2.3.9.1.1.7.0"
MODEL_OID = "1.3.6.1.2.1.25.3.2.1.3.1"
SERIAL_OID = QUILL + "1.1.3.3.0"
PAGE_COUNT_OID = QUILL + "1.4.1.2.5.0"
FEEDER_OID = QUILL + "1.2.2.2.1.0"
SERVICE_COMMAND_OID = QUILL + "1.1.5.2.0"

SABLE_RESOURCES = ["/DevMgmt/ProductConfigDyn.xml", "/DevMgmt/ConsumableConfigDyn.xml",
                   "/DevMgmt/ProductUsageDyn.xml", "/IoMgmt/Adapters", "/DevMgmt/ProductStatusDyn.xml"]
INTERNAL_PRINT = ('<?xml version="1.0" encoding="UTF-8"?><InternalPrintDyn '
                  'xmlns="http://schemas.kelo.example/schemas/imaging/con/sable/internalprintdyn/2008/03/21">'
                  '\t<JobType>diagnosticsPage</JobType></InternalPrintDyn>')

sim = None
net = None
quill_port = None
SABLE = QUILL_NET = CHUNKED = None  # this run's printer addresses


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def setUpModule():
    global sim, net, quill_port, SABLE, QUILL_NET, CHUNKED
    with open(os.path.join(HERE, "peer.scenario")) as template:
        text = template.read()
    # A loopback network of this run's own; another run may hold the previous choice.
    for _ in range(5):
        net = "127.66.%d" % random.randint(1, 250)
        quill_port = free_port()
        candidate = Simulator(PROGRAM, text.replace("@NET@", net).replace("@QUILL_PORT@", str(quill_port)),
                              ["--io-timeout-ms", str(IO_TIMEOUT_MS), "--max-connections", str(MAX_CONNECTIONS)])
        try:
            sim = candidate.start()
            SABLE, QUILL_NET, CHUNKED = net + ".60", net + ".61", net + ".62"
            return
        except StartError as error:
            if "in use" not in str(error):
                raise
    raise RuntimeError("no free loopback network for the peer tests")


def tearDownModule():
    code = sim.stop()
    if code != 0:
        raise AssertionError("kelo-printer-sim ended with %s (sanitizer report?):\n%s" % (code, sim.log()))


def run(args, timeout=10):
    result = subprocess.run(args, capture_output=True, timeout=timeout,
                            env=dict(os.environ, MIBS="", http_proxy="", https_proxy=""))
    # Decoded by hand: text mode would turn the CRLFs of HTTP heads into LFs.
    result.stdout = result.stdout.decode("utf-8", "replace")
    result.stderr = result.stderr.decode("utf-8", "replace")
    return result


def snmp(tool, address, *args, community="public"):
    return run([tool, "-v1", "-c", community, "-On", "-t", "1", "-r", "0", address] + list(args))


def snmp_value(address, oid, *options):
    result = snmp("snmpget", *options, address, oid)
    if result.returncode != 0:
        raise AssertionError("snmpget %s: %s%s" % (oid, result.stdout, result.stderr))
    return result.stdout.split(" = ", 1)[1].strip()


def curl(url, *args, max_time=5):
    return run(["curl", "--noproxy", "*", "-s", "--max-time", str(max_time)] + list(args) + [url], timeout=max_time + 5)


def sable_url(address, path):
    return "http://%s:8080%s" % (address, path)


def status_code_of(device_id):
    """The status code of an identification text, read the way the tool reads it."""
    if device_id.startswith("S:"):
        value = device_id[2:]
    else:
        at = device_id.find(";S:")
        value = "" if at < 0 else device_id[at + 3:]
    value = "S:" + value.split(";")[0]
    pair = value[18:20]
    code = int(pair, 16) if pair else 0
    return 6 if code > 61 else code


def poll_until(predicate, timeout=3.0, interval=0.02):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(interval)


# ---------- a small BER encoder: the malformed datagrams derive from valid ones ----------

def tlv(tag, content):
    length = len(content)
    if length < 0x80:
        head = bytes([length])
    else:
        raw = length.to_bytes((length.bit_length() + 7) // 8, "big")
        head = bytes([0x80 | len(raw)]) + raw
    return bytes([tag]) + head + content


def ber_integer(value):
    return tlv(0x02, value.to_bytes(max(1, (value.bit_length() + 8) // 8), "big", signed=True))


def ber_oid(text):
    parts = [int(p) for p in text.split(".")]
    body = bytes([40 * parts[0] + parts[1]])
    for part in parts[2:]:
        groups = [part & 0x7F]
        part >>= 7
        while part:
            groups.insert(0, 0x80 | (part & 0x7F))
            part >>= 7
        body += bytes(groups)
    return tlv(0x06, body)


def snmp_get_message(oid, request_id, community=b"public", oid_tlv=None):
    varbinds = tlv(0x30, tlv(0x30, (oid_tlv or ber_oid(oid)) + b"\x05\x00"))
    pdu = tlv(0xA0, ber_integer(request_id) + ber_integer(0) + ber_integer(0) + varbinds)
    return tlv(0x30, ber_integer(0) + tlv(0x04, community) + pdu)


class UdpProbe:
    """Sends datagrams to an agent and checks that a well-formed GET is still answered."""

    def __init__(self, address):
        self.address = (address, 161)
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.next_id = 7000

    def close(self):
        self.socket.close()

    def send(self, datagram):
        self.socket.sendto(datagram, self.address)

    def answers(self, timeout=1.0):
        self.next_id += 1
        marker = ber_integer(self.next_id)
        self.send(snmp_get_message(MODEL_OID, self.next_id))
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            ready, _, _ = select.select([self.socket], [], [], max(0.0, deadline - time.monotonic()))
            if not ready:
                break
            reply = self.socket.recv(65536)
            # Stray answers to mutated requests that still decoded are skipped.
            if reply[:1] == b"\x30" and b"\xa2" in reply and marker in reply:
                return True
        return False


class SnmpPeerTest(unittest.TestCase):
    def test_identity_and_quill_objects_read_by_snmpget(self):
        self.assertEqual(snmp_value(QUILL_NET, MODEL_OID), 'STRING: "Kelo Workline 6500 All-in-One"')
        self.assertEqual(snmp_value(QUILL_NET, PAGE_COUNT_OID), "INTEGER: 4321")
        serial = snmp_value(QUILL_NET, SERIAL_OID, "-Ox")
        self.assertTrue(serial.startswith("Hex-STRING: "), serial)
        octets = bytes(int(b, 16) for b in serial[len("Hex-STRING: "):].split())
        self.assertEqual(octets[2:], b"CN61PEER02")
        self.assertFalse(any(0x20 <= b < 0x7F for b in octets[:2]), "prefix bytes must not be characters")
        device_id = snmp_value(QUILL_NET, DEVICE_ID_OID)
        self.assertIn("MDL:Kelo Workline 6500 All-in-One;", device_id)
        self.assertEqual(status_code_of(device_id.split(": ", 1)[1].strip('"')), 0)

    def test_wrong_community_gets_no_answer(self):
        result = snmp("snmpget", QUILL_NET, MODEL_OID, community="private")
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("Timeout", result.stdout + result.stderr)

    def test_unknown_object_gives_no_such_name(self):
        result = snmp("snmpget", QUILL_NET, QUILL + "1.1.3.99.0")
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("noSuchName", result.stdout + result.stderr)

    def test_snmpset_of_the_service_command_is_recorded(self):
        sim.control("POST", "/printers/peer-quill/clear")
        result = snmp("snmpset", QUILL_NET, SERVICE_COMMAND_OID, "i", "1000")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("INTEGER: 1000", result.stdout)
        self.assertEqual(sim.received("peer-quill", "/sets").decode(), SERVICE_COMMAND_OID + "\t1000\n")

    def test_raised_jam_shows_in_the_next_answers(self):
        try:
            sim.apply("peer-quill", "status-code = 14\nfeeder-status = 0008")
            device_id = snmp_value(QUILL_NET, DEVICE_ID_OID).split(": ", 1)[1].strip('"')
            self.assertEqual(status_code_of(device_id), 14)
            self.assertEqual(snmp_value(QUILL_NET, FEEDER_OID, "-Ox"), "Hex-STRING: 00 08")
        finally:
            sim.apply("peer-quill", "status-code = 0\nfeeder-status = 0010")
        device_id = snmp_value(QUILL_NET, DEVICE_ID_OID).split(": ", 1)[1].strip('"')
        self.assertEqual(status_code_of(device_id), 0)

    def test_delayed_answers_leave_other_printers_answering(self):
        try:
            sim.apply("peer-quill", "fault.snmp = delay=600")
            started = time.monotonic()
            slow = subprocess.Popen(["snmpget", "-v1", "-c", "public", "-On", "-t", "3", "-r", "0", QUILL_NET,
                                     MODEL_OID], stdout=subprocess.PIPE, text=True, env=dict(os.environ, MIBS=""))
            probe = UdpProbe(CHUNKED)
            try:
                self.assertTrue(probe.answers())
            finally:
                probe.close()
            self.assertLess(time.monotonic() - started, 0.5)
            out, _ = slow.communicate(timeout=5)
            self.assertIn("Kelo Workline 6500", out)
            self.assertGreaterEqual(time.monotonic() - started, 0.55)
        finally:
            sim.apply("peer-quill", "fault.snmp =")


class SablePeerTest(unittest.TestCase):
    def test_each_resource_is_well_formed_namespaced_xml(self):
        for path in SABLE_RESOURCES:
            with self.subTest(path=path):
                result = curl(sable_url(SABLE, path), "-D", "-")
                head, _, body = result.stdout.partition("\r\n\r\n")
                self.assertTrue(head.startswith("HTTP/1.1 200"), head)
                self.assertRegex(head.lower(), r"content-type: text/xml")
                self.assertTrue(body.startswith("<?xml"), body[:80])
                self.assertIn("xmlns:", body)
                root = ET.fromstring(body)  # an undeclared prefix fails here
                self.assertTrue(root.tag.startswith("{"), root.tag)
        config = ET.fromstring(curl(sable_url(SABLE, SABLE_RESOURCES[0])).stdout)
        serials = [e.text for e in config.iter() if e.tag.endswith("}SerialNumber")]
        self.assertIn("CN60PEER01", serials)

    def test_unknown_path_is_404_with_html(self):
        result = curl(sable_url(SABLE, "/DevMgmt/NoSuchThing.xml"), "-D", "-")
        head, _, body = result.stdout.partition("\r\n\r\n")
        self.assertTrue(head.startswith("HTTP/1.1 404"), head)
        self.assertIn("text/html", head)
        self.assertIn("<html", body)

    def post_job(self, path, body):
        result = curl(sable_url(SABLE, path), "-D", "-", "-H", "Content-Type: text/xml", "--data-binary", body)
        head = result.stdout.partition("\r\n\r\n")[0]
        self.assertTrue(head.startswith("HTTP/1.1 201"), head)
        location = re.search(r"(?im)^location: *(\S+)", head).group(1)
        self.assertIn("/Jobs/JobList/", location)
        return location[location.index("/Jobs/JobList/"):]

    def job_state(self, job_path):
        document = ET.fromstring(curl(sable_url(SABLE, job_path)).stdout)
        return [e.text for e in document.iter() if e.tag.endswith("}JobState")][0]

    def test_print_job_moves_to_completed_after_its_run_time(self):
        sim.control("POST", "/printers/peer-sable/clear")
        started = time.monotonic()
        job = self.post_job("/DevMgmt/InternalPrintDyn.xml", INTERNAL_PRINT)
        self.assertEqual(self.job_state(job), "processing")
        self.assertEqual(poll_until(lambda: self.job_state(job) == "completed"), True)
        self.assertGreaterEqual(time.monotonic() - started, 0.25)  # job-delay-ms = 300
        posts = sim.received("peer-sable", "/jobs").decode().splitlines()
        self.assertEqual(posts[0].split("\t")[:2], ["/DevMgmt/InternalPrintDyn.xml", "diagnosticsPage"])
        status, body = sim.control("GET", "/printers/peer-sable/received/jobs/1")
        self.assertEqual((status, body.decode()), (200, INTERNAL_PRINT))

    def test_calibration_job_can_end_canceled(self):
        try:
            sim.apply("peer-sable", "job-final-state = canceled\njob-delay-ms = 0")
            job = self.post_job("/Calibration/Session",
                                '<?xml version="1.0" encoding="UTF-8"?><CalibrationState>Printing</CalibrationState>')
            self.assertEqual(self.job_state(job), "canceled")
        finally:
            sim.apply("peer-sable", "job-final-state = completed\njob-delay-ms = 300")

    def test_raised_jam_shows_in_the_status_document(self):
        url = sable_url(SABLE, "/DevMgmt/ProductStatusDyn.xml")
        self.assertNotIn("jamInPrinter", curl(url).stdout)
        try:
            sim.apply("peer-sable", "statuses = jamInPrinter\nalert = jamInPrinter severity=Error priority=1")
            self.assertIn("jamInPrinter", curl(url).stdout)
        finally:
            sim.apply("peer-sable", "statuses = ready\nalert =")
        self.assertNotIn("jamInPrinter", curl(url).stdout)

    def test_chunked_bodies_are_read_by_curl(self):
        result = curl(sable_url(CHUNKED, "/DevMgmt/ProductConfigDyn.xml"), "-D", "-")
        head, _, body = result.stdout.partition("\r\n\r\n")
        self.assertRegex(head.lower(), r"transfer-encoding: chunked")
        self.assertNotIn("content-length", head.lower())
        ET.fromstring(body)

    def test_http_faults_as_curl_sees_them(self):
        # fault, curl options, expected curl exit codes, check of curl's -w output
        cases = [
            ("delay=400", [], {0}, lambda w: float(w.split()[1]) >= 0.4),
            ("silence", [], {28}, None),
            ("garbage", [], {1, 8, 56}, None),
            ("endless", [], {28}, lambda w: int(w.split()[2]) > 0),
            ("disconnect", [], {18}, None),
            ("oversized", [], {0}, lambda w: int(w.split()[2]) == 4 * 1024 * 1024),
        ]
        url = sable_url(SABLE, "/DevMgmt/ProductUsageDyn.xml")
        for fault, options, codes, check in cases:
            with self.subTest(fault=fault):
                sim.apply("peer-sable", "fault.http = " + fault)
                try:
                    result = curl(url, "-o", "/dev/null", "-w", "%{http_code} %{time_total} %{size_download}",
                                  *options, max_time=1)
                finally:
                    sim.apply("peer-sable", "fault.http =")
                self.assertIn(result.returncode, codes, result.stdout + result.stderr)
                if check:
                    self.assertTrue(check(result.stdout), result.stdout)
                self.assertEqual(curl(url, "-o", "/dev/null", "-w", "%{http_code}").stdout, "200")


class RawSinkTest(unittest.TestCase):
    def send_job(self, data):
        with socket.create_connection((SABLE, 9100), timeout=3) as job:
            job.sendall(data)

    def test_jobs_are_recorded_byte_for_byte(self):
        sim.control("POST", "/printers/peer-sable/clear")
        first = bytes(range(256)) * 300 + b"\x1b%-12345X@PJL EOJ\r\n"
        second = b"\x1bE\x00 second job \xff"
        self.send_job(first)
        self.send_job(second)
        counts = poll_until(lambda: (c := sim.counts("peer-sable"))["print-jobs"] == 2 and c)
        self.assertTrue(counts, sim.counts("peer-sable"))
        self.assertEqual(sim.received("peer-sable", "/print"), first + second)

    def test_refuse_closes_the_port_until_cleared(self):
        sim.apply("peer-sable", "fault.raw = refuse")
        try:
            with self.assertRaises(ConnectionRefusedError):
                self.send_job(b"refused")
        finally:
            sim.apply("peer-sable", "fault.raw =")
        jobs = sim.counts("peer-sable")["print-jobs"]
        self.send_job(b"accepted again")
        self.assertTrue(poll_until(lambda: sim.counts("peer-sable")["print-jobs"] == jobs + 1))

    def test_stall_accepts_and_never_reads(self):
        sim.control("POST", "/printers/peer-sable/clear")
        sim.apply("peer-sable", "fault.raw = stall")
        try:
            with socket.create_connection((SABLE, 9100), timeout=3) as job:
                job.settimeout(0.3)
                with self.assertRaises(socket.timeout):
                    job.sendall(b"x" * (64 * 1024 * 1024))
        finally:
            sim.apply("peer-sable", "fault.raw =")
        self.assertEqual(sim.counts("peer-sable")["print-bytes"], 0)


def quill_exchange(connection, request):
    connection.sendall(request)
    answer = b""
    while len(answer) < 7 or len(answer) < 7 + int.from_bytes(answer[5:7], "little"):
        chunk = connection.recv(4096)
        if not chunk:
            raise AssertionError("Quill wire closed")
        answer += chunk
    return int.from_bytes(answer[:4], "little"), answer[4], answer[7:]


def quill_get(dotted):
    ids = bytes(int(p) for p in dotted.split("."))
    return b"G" + bytes([len(ids)]) + ids


class QuillWireTest(unittest.TestCase):
    def test_get_and_set_over_the_wire(self):
        sim.control("POST", "/printers/peer-usb/clear")
        with socket.create_connection(("127.0.0.1", quill_port), timeout=3) as wire:
            result, kind, value = quill_exchange(wire, quill_get("1.1.3.3"))
            self.assertEqual((result, kind, value[2:]), (0, 4, b"CN9311PEER"))
            ids = bytes([1, 1, 5, 2])
            result, _, _ = quill_exchange(wire, b"S" + bytes([len(ids)]) + ids + b"\x01" + (1100).to_bytes(4, "little"))
            self.assertEqual(result, 0)
            result, _, _ = quill_exchange(wire, quill_get("1.1.3.99"))
            self.assertNotEqual(result, 0)
        self.assertEqual(sim.received("peer-usb", "/sets").decode(), SERVICE_COMMAND_OID + "\t1100\n")


class ControlInterfaceTest(unittest.TestCase):
    def test_lists_every_printer_with_where_it_lives(self):
        status, body = sim.control("GET", "/printers")
        self.assertEqual(status, 200)
        rows = [line.split("\t") for line in body.decode().splitlines()]
        self.assertEqual([r[:3] for r in rows],
                         [["peer-sable", SABLE, "sable"], ["peer-quill", QUILL_NET, "quill"],
                          ["peer-chunked", CHUNKED, "sable"],
                          ["peer-usb", "usb quill-wire 127.0.0.1:%d" % quill_port, "quill"]])

    def test_refused_settings_change_nothing(self):
        cases = [
            ("status-code = 14\nno-such-key = 1", 400, b"line 2"),
            ("status-code = 14\nstatus-code = many", 400, b"line 2"),
            ("address = 127.0.0.99", 400, b"while running"),
            ("", 400, b"no settings"),
        ]
        for body, status, reason in cases:
            with self.subTest(body=body):
                got_status, got_body = sim.control("POST", "/printers/peer-quill/settings", body.encode())
                self.assertEqual(got_status, status)
                self.assertIn(reason, got_body)
        device_id = sim.control("GET", "/printers/peer-quill/device-id")[1].decode()
        self.assertEqual(status_code_of(device_id.strip()), 0)

    def test_unknown_printer_and_path(self):
        self.assertEqual(sim.control("GET", "/printers/nobody/received")[0], 404)
        self.assertEqual(sim.control("GET", "/nowhere")[0], 404)
        self.assertEqual(sim.control("GET", "/printers/peer-sable/settings")[0], 405)


class BadInputTest(unittest.TestCase):
    """Malformed input of every kind; after each, well-formed requests are still answered."""

    def assert_serving(self):
        self.assertTrue(sim.alive(), sim.log())
        probe = UdpProbe(QUILL_NET)
        try:
            self.assertTrue(probe.answers(), "SNMP agent stopped answering")
        finally:
            probe.close()
        self.assertEqual(curl(sable_url(SABLE, "/IoMgmt/Adapters"), "-o", "/dev/null", "-w", "%{http_code}").stdout,
                         "200")

    def test_malformed_snmp_datagrams(self):
        valid = snmp_get_message(MODEL_OID, 4242)
        rng = random.Random(1157)
        cases = {
            "truncated": [valid[:cut] for cut in range(len(valid))],
            "length past the end": [b"\x30\x82\xff\xf0" + valid[4:], valid[:1] + b"\x7f" + valid[2:]],
            "huge lengths": [b"\x30\x84\xff\xff\xff\xff" + valid[2:], b"\x30\x88" + b"\xff" * 8 + valid[2:],
                             b"\x30\x89" + b"\x01" * 9, b"\x30\x80" + valid[2:] + b"\x00\x00"],
            "wrong tags": [valid[:i] + bytes([tag]) + valid[i + 1:] for i in range(len(valid))
                           for tag in (0x00, 0x04, 0x1f, 0xa7, 0xff)],
            "odd identifiers": [snmp_get_message(None, 1, oid_tlv=tlv(0x06, b"\x2b" + b"\xff" * 12 + b"\x7f")),
                                snmp_get_message(None, 2, oid_tlv=tlv(0x06, b"\x2b" + b"\x01" * 300)),
                                snmp_get_message(None, 3, oid_tlv=tlv(0x06, b""))],
            "garbage": [b"", b"\x00", b"\xff" * 3] + [bytes(rng.randrange(256) for _ in range(rng.randrange(1, 300)))
                                                      for _ in range(100)],
            "oversized": [b"\x30" * 65507, tlv(0x30, ber_integer(0) + tlv(0x04, b"p" * 65000))],
        }
        probe = UdpProbe(QUILL_NET)
        try:
            for name, datagrams in cases.items():
                with self.subTest(case=name):
                    for datagram in datagrams:
                        probe.send(datagram)
                        self.assertTrue(probe.answers(), "no answer after %s %r" % (name, datagram[:24]))
        finally:
            probe.close()
        self.assertEqual(snmp_value(QUILL_NET, MODEL_OID), 'STRING: "Kelo Workline 6500 All-in-One"')
        self.assertTrue(sim.alive())

    def exchange(self, where, data, timeout=4.0):
        """Sends bytes and our end, then reads until the simulator closes; returns what came back."""
        with socket.create_connection(where, timeout=timeout) as connection:
            try:
                connection.sendall(data)
                connection.shutdown(socket.SHUT_WR)
            except OSError:
                pass  # it may have refused and closed before we were done
            answer = b""
            try:
                while chunk := connection.recv(65536):
                    answer += chunk
            except ConnectionResetError:
                pass
            return answer

    def test_malformed_http_requests(self):
        rng = random.Random(9112)
        refused = b"HTTP/1.1 400"
        cases = [
            ("half-sent head", b"GET /DevMgmt/ProductConfigDyn.xml HTTP/1.1\r\nHost: x\r\n", b""),
            ("half-sent body", b"POST /DevMgmt/InternalPrintDyn.xml HTTP/1.1\r\nContent-Length: 100\r\n\r\n<?x", b""),
            ("oversized head", b"GET / HTTP/1.1\r\nX-Filler: " + b"a" * 20000 + b"\r\n\r\n", refused),
            ("endless request line", b"GET /" + b"a" * 40000, refused),
            ("binary garbage", bytes(rng.randrange(256) for _ in range(20000)), refused),
            ("short garbage", b"\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\r\n\r\n", refused),
            ("bad Content-Length", b"POST / HTTP/1.1\r\nContent-Length: -5\r\n\r\n", refused),
            ("huge Content-Length", b"POST / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n", refused),
            ("bad chunk size", b"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", refused),
            ("huge chunk size", b"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffffff\r\n", refused),
            ("other protocol version", b"PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n", refused),
            ("header without colon", b"GET / HTTP/1.1\r\nno colon here\r\n\r\n", refused),
            ("only line ends", b"\r\n" * 5000, b""),
        ]
        for name, data, expected in cases:
            with self.subTest(case=name):
                answer = self.exchange((SABLE, 8080), data)
                self.assertTrue(answer.startswith(expected), answer[:80])
                self.assertIs(expected == b"", answer == b"")
                self.assert_serving()

    def test_slowloris_trickle_is_cut_while_others_are_served(self):
        trickle = b"GET /DevMgmt/ProductConfigDyn.xml HTTP/1.1\r\n" + b"X-Slow: yes\r\n" * 1000
        with socket.create_connection((SABLE, 8080), timeout=3) as slow:
            started = time.monotonic()
            served_meanwhile = False
            closed_after = None
            for index in range(len(trickle)):
                readable, _, _ = select.select([slow], [], [], 0.05)
                if readable:
                    self.assertEqual(slow.recv(100), b"", "no answer is due to a request never finished")
                    closed_after = time.monotonic() - started
                    break
                try:
                    slow.send(trickle[index:index + 1])
                except (BrokenPipeError, ConnectionResetError):
                    closed_after = time.monotonic() - started
                    break
                if index == 5:
                    result = curl(sable_url(SABLE, "/DevMgmt/ProductConfigDyn.xml"), "-o", "/dev/null",
                                  "-w", "%{http_code}")
                    served_meanwhile = result.stdout == "200"
        self.assertTrue(served_meanwhile)
        self.assertIsNotNone(closed_after)
        self.assertGreater(closed_after, IO_TIMEOUT_MS / 1000 * 0.8)
        self.assertLess(closed_after, IO_TIMEOUT_MS / 1000 + 2)
        self.assert_serving()

    def test_connections_beyond_the_limit_are_closed_at_once(self):
        idle = [socket.create_connection((SABLE, 8080), timeout=3) for _ in range(MAX_CONNECTIONS)]
        try:
            with socket.create_connection((SABLE, 8080), timeout=3) as extra:
                started = time.monotonic()
                self.assertEqual(extra.recv(100), b"")
                self.assertLess(time.monotonic() - started, 1.0)
        finally:
            for connection in idle:
                connection.close()
        ok = poll_until(lambda: curl(sable_url(SABLE, "/IoMgmt/Adapters"), "-o", "/dev/null",
                                     "-w", "%{http_code}").stdout == "200")
        self.assertTrue(ok)

    def test_malformed_quill_wire_requests(self):
        cases = [
            ("unknown operation", b"X\x04\x01\x01\x03\x03"),
            ("empty id", b"G\x00"),
            ("id too long", b"G\xc8" + b"\x01" * 200),
            ("binary garbage", bytes(random.Random(5).randrange(256) for _ in range(5000))),
            ("half-sent request", b"S\x04\x01\x01\x05"),
        ]
        for name, data in cases:
            with self.subTest(case=name):
                self.assertEqual(self.exchange(("127.0.0.1", quill_port), data), b"")
                with socket.create_connection(("127.0.0.1", quill_port), timeout=3) as wire:
                    self.assertEqual(quill_exchange(wire, quill_get("1.1.3.3"))[0], 0)


class CommandLineTest(unittest.TestCase):
    def start_expecting_failure(self, scenario, args, message):
        probe = Simulator(PROGRAM, scenario, args)
        with self.assertRaises(StartError) as failure:
            probe.start(timeout=10)
        self.assertIn(message, str(failure.exception))

    def test_refuses_what_it_must_not_serve(self):
        usb_only = "[printer lone]\nusb = yes\n"
        cases = [
            ("[printer far]\naddress = 192.0.2.7\n", [], "not on loopback"),
            (usb_only, ["--control", "192.0.2.7:8199"], "loopback"),
            (usb_only, ["--http-port", "70000"], "--http-port"),
            # A network besides loopback only inside a network namespace of its own.
            ("[printer far]\naddress = 192.0.2.7\n", ["--namespace-network", "192.0.2.0/24"], "namespace"),
            ("[printer usb]\nusb = yes\nquill-endpoint = 127.0.0.1:notaport\n", [], "quill-endpoint"),
            ("[printer twin]\naddress = %s\n" % SABLE, [], "in use"),
        ]
        for scenario, args, message in cases:
            with self.subTest(message=message, args=args):
                self.start_expecting_failure(scenario, args, message)

    def test_stop_ends_connections_held_open(self):
        address = net + ".63"
        held = Simulator(PROGRAM, "[printer held]\naddress = %s\nfault.http = silence\nfault.raw = stall\n"
                         % address).start()
        connections = [socket.create_connection((address, port), timeout=3) for port in (8080, 9100, 9100, 8080)]
        try:
            connections[0].sendall(b"GET /IoMgmt/Adapters HTTP/1.1\r\n\r\n")  # never answered
            connections[1].sendall(b"stalled job")  # never read; the next job waits behind it
            poll_until(lambda: held.received("held", "/requests") != b"")
            started = time.monotonic()
            self.assertEqual(held.stop(), 0, held.log())
            self.assertLess(time.monotonic() - started, 3)
        finally:
            for connection in connections:
                connection.close()

    def test_sigterm_stops_cleanly_and_removes_the_ready_file(self):
        lone = Simulator(PROGRAM, "[printer lone]\nusb = yes\nquill-endpoint = 127.0.0.1:%d\n" % free_port()).start()
        self.assertEqual(lone.control("GET", "/printers")[0], 200)
        lone.process.send_signal(signal.SIGTERM)
        self.assertEqual(lone.process.wait(10), 0, lone.log())
        self.assertFalse(os.path.exists(lone.ready_file))


if __name__ == "__main__":
    unittest.main(verbosity=2)
