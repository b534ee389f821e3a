"""Tests for the asset helpers: run with  /usr/bin/python3 -m unittest discover -s scripts/make_assets"""
import os
import random
import re
import tempfile
import unittest

import catalogue
import pcl

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CONFIG = os.path.join(ROOT, "data", "config")


class PackBits(unittest.TestCase):
    def test_known_vector(self):
        src = bytes.fromhex("AAAAAA80002AAAAAAAAA80002A22AAAAAAAAAAAAAAAAAAAA")
        self.assertEqual(pcl.packbits(src).hex(), "feaa0280002afdaa0380002a22f7aa")

    def test_round_trip_edges(self):
        rng = random.Random(7)
        cases = {
            "empty": b"",
            "one byte": b"\x00",
            "run of 128": b"\x11" * 128,
            "run of 129": b"\x11" * 129,
            "run of 257": b"\x11" * 257,
            "literal 128": bytes(range(128)),
            "literal 129": bytes(range(129)),
            "pairs": b"aabbccdd" * 40,
            "run after literal": bytes(range(5)) + b"\xff" * 9 + bytes(range(3)),
            "noise": bytes(rng.randrange(4) for _ in range(2000)),
        }
        for label, data in cases.items():
            with self.subTest(label):
                packed = pcl.packbits(data)
                self.assertEqual(pcl.unpackbits(packed), data)
                self.assertLessEqual(len(packed), len(data) + (len(data) + 127) // 128)

    def test_decoder_rejects_and_skips(self):
        self.assertEqual(pcl.unpackbits(b"\x80\xfe\x07"), b"\x07\x07\x07")   # 0x80 is a no-op
        for bad in (b"\x03ab", b"\xfe"):
            with self.subTest(bad), self.assertRaises(ValueError):
                pcl.unpackbits(bad)
        with self.assertRaises(ValueError):
            pcl.unpackbits(b"\xf0\x01", limit=8)


def _planes(width, height, nplanes, seed):
    """Packed 1-bit planes with a blank first row, blank last two rows and a full row."""
    rng = random.Random(seed)
    stride = (width + 7) // 8
    tail_mask = (0xFF << (stride * 8 - width)) & 0xFF
    out = []
    for p in range(nplanes):
        rows = []
        for y in range(height):
            if y == 0 or y >= height - 2 or (p and y == 3):
                row = bytes(stride)
            elif y == 2:
                row = b"\xff" * stride
            else:
                row = bytes(rng.randrange(256) if rng.random() < 0.5 else 0 for _ in range(stride))
            rows.append(row[:-1] + bytes([row[-1] & tail_mask]))
        out.append(b"".join(rows))
    return out


class PclRoundTrip(unittest.TestCase):
    W, H = 21, 9

    def test_plane_dialects(self):
        for label, n, write in (("crd six inks", 6, pcl.write_planes_crd), ("crd four inks", 4, pcl.write_planes_crd),
                                ("simple kcmy", 4, pcl.write_planes_simple)):
            with self.subTest(label):
                planes = _planes(self.W, self.H, n, seed=n)
                r = pcl.read_raster(write(planes, self.W, self.H, 150))
                self.assertEqual((r["kind"], r["width"], r["height"], r["dpi"], r["pages"]),
                                 ("planes", self.W, self.H, 150, 1))
                self.assertEqual(r["planes"], planes)

    def test_indexed_dialect(self):
        palette = [(255, 255, 255), (0, 0, 0), (0, 160, 228)]
        idx = bytes([0] * self.W) + bytes((x * 7 + y) % 3 for y in range(self.H - 3) for x in range(self.W)) \
            + bytes([0] * self.W * 2)
        r = pcl.read_raster(pcl.write_indexed_cid(idx, palette, self.W, self.H, 100))
        self.assertEqual((r["kind"], r["width"], r["height"], r["dpi"]), ("indexed", self.W, self.H, 100))
        self.assertEqual(r["indices"], idx)
        self.assertEqual(r["palette"], palette)
        with self.assertRaises(ValueError):
            pcl.write_indexed_cid(idx, [(0, 0, 0)] + palette[1:], self.W, self.H, 100)

    def test_reader_rejects_broken_jobs(self):
        good = pcl.write_planes_simple(_planes(self.W, self.H, 4, 1), self.W, self.H, 150)
        m = re.search(rb"\x1b\*b(\d+)V", good)
        one_plane_less = good[:m.start()] + good[m.end() + int(m.group(1)):]
        last = [w for w in re.finditer(rb"\x1b\*b(\d+)W", good) if int(w.group(1)) > 1][-1]
        broken = {
            "truncated data": (good[:last.end() + 1], "past end of file"),
            "row count differs from header": (good.replace(b"\x1b*r9T", b"\x1b*r10T"), "declared 10"),
            "row with too few planes": (one_plane_less, "expected 4"),
            "compression mode 3": (good.replace(b"\x1b*b2M", b"\x1b*b3M"), "compression mode 3"),
            "data before raster start": (good.replace(b"\x1b*r1A", b""), "outside raster"),
        }
        for label, (data, message) in broken.items():
            with self.subTest(label):
                with self.assertRaises(pcl.PclError) as cm:
                    pcl.read_raster(data)
                self.assertIn(message, str(cm.exception))


PRODUCT = ('<Product PID="{pid}" MODEL="{model}" INSTALL_NAME="{model} Series" PRN_FILE="DS2_based.prn" '
           'COPY="{copy}" ADF="NO" DEVICE_TYPE="{dt}" COPY_KEYWORD="no-copy" PAGE_TYPE="s-001" '
           'PRINT_DIAG_INFO="NO"/>')


class Catalogue(unittest.TestCase):
    def test_shipped_catalogue_is_consistent(self):
        problems = []
        catalogue.check(os.path.join(CONFIG, "product_info.xml"), CONFIG, problems)
        self.assertEqual(problems, [])

    def test_shipped_models_that_code_special_cases_rely_on(self):
        by_pid = {pid: p for p in catalogue.products(os.path.join(CONFIG, "product_info.xml"))
                  for pid in p["PID"].split()}
        # USB 7811 is forced off Sable: only meaningful if the catalogue says Sable
        self.assertEqual(by_pid["7811"]["DEVICE_TYPE"], "rest")
        for pid in ("5912", "5c12"):
            self.assertEqual(by_pid[pid]["DEVICE_TYPE"], "rest")
        # a Sable network printer may report a copier-less make-and-model for a copier product
        home5150 = [p for p in by_pid.values() if "Homeline 5150" in p["MODEL"]][0]
        self.assertEqual((home5150["DEVICE_TYPE"], home5150["COPY"]), ("rest", "YES"))
        self.assertEqual(catalogue.normalize("Kelo Workline Pro 9150 Q721 Series (Network)"), "workline pro 9150 q721")
        self.assertIn("workline 3320", catalogue.normalize(by_pid["5d12"]["MODEL"]))

    def test_check_reports_faults(self):
        base = [dict(pid="5912", model="Kelo Workline 4420", copy="YES", dt="rest"),
                dict(pid="a011", model="Kelo Studio 7510", copy="NO", dt="snmp")]
        faults = {
            "duplicate id": (base + [dict(pid="5912 1812", model="Kelo Atlas 1", copy="NO", dt="snmp")], "already listed"),
            "two ids in one entry": ([dict(base[0], pid="5912 5913")] + base[1:], "one product id per entry"),
            "lower-case yes": ([dict(base[0], copy="yes")] + base[1:], "expected YES or NO"),
            "shadowing model": (base + [dict(pid="1812", model="Kelo Workline 4420 Plus", copy="NO", dt="snmp")],
                                "is contained in"),
            "empty model": (base + [dict(pid="1812", model="Kelo", copy="NO", dt="snmp")], "empty after normalization"),
            "bad id": (base + [dict(pid="59120", model="Kelo Atlas 1", copy="NO", dt="snmp")], "four lower-case hex"),
            "one protocol": ([dict(b, dt="rest") for b in base], "both data models"),
        }
        with tempfile.TemporaryDirectory() as d:
            open(os.path.join(d, "DS2_based.prn"), "wb").close()
            for label, (rows, expect) in faults.items():
                with self.subTest(label):
                    path = os.path.join(d, "product_info.xml")
                    with open(path, "w") as f:
                        f.write("<ProductInfo>%s</ProductInfo>" % "".join(PRODUCT.format(**r) for r in rows))
                    problems = []
                    catalogue.check(path, d, problems)
                    self.assertTrue(any(expect in p for p in problems), problems)


if __name__ == "__main__":
    unittest.main()
