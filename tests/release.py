#!/usr/bin/env python3
"""The release files as a user gets them: scripts/package.sh builds the installer and the portable
zip; the runnable architecture's installer installs into Program Files of the test prefix, its
kelotsy lists the demo printers, a higher version replaces it keeping a changed search.ini, and the
uninstall leaves nothing it installed. The zip runs from a folder with a blank in its name.

Environment: as tests/demo_e2e.py, and KELO_ARCH (the architecture this machine runs)."""
import os
import re
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from demo_e2e import QUILL, ROOT, SABLE, run_kelotsy, start_printers, stop_printers  # noqa: E402

ARCH = os.environ["KELO_ARCH"]
PREFIX = os.path.join(ROOT, "build", "wineprefix-" + ARCH)
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PRODUCTS_KEY = r"HKLM\Software\Classes\Installer\Products"
PRODUCT = "Kelo Tessaly"
# A changed search setting a help desk made; it still keeps the search on loopback.
HELP_DESK_SEARCH = "; set by the help desk\r\n[Search]\r\nRanges=127.0.0.0/24\r\nProbeTimeoutMs=700\r\n"


def wine(*arguments, timeout=180):
    result = subprocess.run([os.path.join(ROOT, "scripts", "wine-run.sh"), *arguments],
                            capture_output=True, timeout=timeout)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def msiexec(action, package):
    code, out = wine("msiexec", action, windows_path(package), "/qn")
    assert code == 0, "msiexec %s %s: exit %d %s" % (action, package, code, out)


def installed_products(key=UNINSTALL_KEY, name="DisplayName"):
    """{product code: its values} of every Kelo Tessaly under a registry key (by default the
    entries of Programs and Features)."""
    _, out = wine("reg", "query", key, "/s")
    products, subkey, values = {}, None, {}
    for line in out.splitlines() + ["HKEY_END"]:
        if line.startswith("HKEY_"):
            if subkey and values.get(name) == PRODUCT:
                products[subkey.rsplit("\\", 1)[-1]] = values
            subkey, values = line.strip(), {}
        elif "REG_" in line:
            parts = re.split(r"\s{2,}|\t", line.strip(), maxsplit=2)
            if len(parts) == 3:
                values[parts[0]] = parts[2]
    return products


def program_folder():
    # The x86 installer goes to Program Files (x86) where the prefix has one (64-bit Windows).
    x86 = os.path.join(PREFIX, "drive_c", "Program Files (x86)")
    base = x86 if ARCH == "x86" and os.path.isdir(x86) else os.path.join(PREFIX, "drive_c", "Program Files")
    return os.path.join(base, "Kelo")


def files_under(folder):
    return sorted(os.path.relpath(os.path.join(top, name), folder)
                  for top, _, names in os.walk(folder) for name in names)


def shortcuts():
    """The Start menu shortcuts there are. Windows puts a per-machine one into the common Start menu;
    Wine's installer puts it into the user's whatever ALLUSERS says."""
    menus = [os.path.join(PREFIX, "drive_c", "ProgramData")] + \
        [os.path.join(PREFIX, "drive_c", "users", user, "AppData", "Roaming")
         for user in os.listdir(os.path.join(PREFIX, "drive_c", "users"))]
    paths = [os.path.join(menu, "Microsoft", "Windows", "Start Menu", "Programs", PRODUCT + ".lnk") for menu in menus]
    return [path for path in paths if os.path.isfile(path)]


def user_log():
    users = os.path.join(PREFIX, "drive_c", "users")
    for user in sorted(os.listdir(users)):
        path = os.path.join(users, user, "Temp", "KeloTSYLog.log")
        if os.path.exists(path):
            return path
    return None


class Release(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.TemporaryDirectory(prefix="kelo-release-")
        cls.version = cls.package(cls.out.name)
        # The next version: Windows Installer compares the first three fields only.
        fields = [int(f) for f in cls.version.split(".")]
        fields[2] += 1
        cls.next_version = ".".join(map(str, fields))
        cls.next = os.path.join(cls.out.name, "next")
        cls.package(cls.next, "--version", cls.next_version)
        cls.remove_leftovers()
        cls.sim = start_printers()

    @classmethod
    def tearDownClass(cls):
        stop_printers(cls.sim)
        cls.remove_leftovers()
        cls.out.cleanup()

    @staticmethod
    def package(out, *options):
        result = subprocess.run([os.path.join(ROOT, "scripts", "package.sh"), "--no-build", "--out", out, *options],
                                capture_output=True, timeout=300)
        output = result.stdout.decode() + result.stderr.decode()
        assert result.returncode == 0, output
        print(output.strip())
        return re.search(r"KeloTessaly-([0-9.]+)-x64\.msi", output).group(1)

    @staticmethod
    def remove_leftovers():
        for code in installed_products():
            wine("msiexec", "/x", code, "/qn")

    def release_file(self, folder, version, suffix):
        path = os.path.join(folder, "KeloTessaly-%s-%s%s" % (version, ARCH, suffix))
        self.assertTrue(os.path.isfile(path), path)
        return path

    def assert_lists_the_demo_printers(self, folder):
        code, out, err = run_kelotsy("list", folder=folder)
        self.assertEqual(code, 0, out + err)
        self.assertIn(SABLE, out)
        self.assertIn(QUILL, out)

    def test_both_architectures_have_both_files(self):
        for arch in ("x86", "x64"):
            for suffix in (".msi", "-portable.zip"):
                path = os.path.join(self.out.name, "KeloTessaly-%s-%s%s" % (self.version, arch, suffix))
                self.assertGreater(os.path.getsize(path), 100000, path)

    def test_install_run_upgrade_uninstall(self):
        first = self.release_file(self.out.name, self.version, ".msi")
        msiexec("/i", first)
        folder = program_folder()
        installed = os.path.join(folder, PRODUCT)
        files = files_under(installed)
        with zipfile.ZipFile(self.release_file(self.out.name, self.version, "-portable.zip")) as portable:
            zipped = sorted(os.path.relpath(n, "KeloTessaly-%s-%s" % (self.version, ARCH))
                            for n in portable.namelist() if not n.endswith("/"))
        self.assertEqual(files, zipped, "the installer and the zip ship the same tree")
        self.assertEqual(len(shortcuts()), 1, "Start menu shortcut")
        products = installed_products()
        self.assertEqual(len(products), 1, products)
        entry = next(iter(products.values()))
        self.assertEqual((entry.get("Publisher"), entry.get("DisplayVersion")), ("Kelo", self.version))
        # Programs and Features shows an installed package's icon from its registration.
        registrations = installed_products(PRODUCTS_KEY, "ProductName")
        self.assertEqual([r.get("ProductIcon", "")[-len("KeloTessaly.ico"):] for r in registrations.values()],
                         ["KeloTessaly.ico"])

        # From Program Files, as a user starts it.
        windows_folder = "C:\\" + os.path.relpath(installed, os.path.join(PREFIX, "drive_c")).replace("/", "\\")
        self.assert_lists_the_demo_printers(windows_folder)

        search = os.path.join(installed, "config", "search.ini")
        links = os.path.join(installed, "config", "support_links.xml")
        with open(search, "w", newline="") as changed:
            changed.write(HELP_DESK_SEARCH)
        msiexec("/i", self.release_file(self.next, self.next_version, ".msi"))
        products = installed_products()
        self.assertEqual([p.get("DisplayVersion") for p in products.values()], [self.next_version],
                         "the newer version replaced the older one")
        with open(search, newline="") as kept:
            self.assertEqual(kept.read(), HELP_DESK_SEARCH, "the upgrade kept the changed search.ini")
        with open(links, "rb") as shipped, open(os.path.join(ROOT, "data", "config", "support_links.xml"), "rb") as source:
            self.assertEqual(shipped.read(), source.read())
        self.assertEqual(files_under(installed), files)
        self.assert_lists_the_demo_printers(windows_folder)

        log = user_log()
        self.assertIsNotNone(log, "kelotsy wrote the user's log")
        msiexec("/x", self.release_file(self.next, self.next_version, ".msi"))
        self.assertEqual(installed_products(), {})
        left = [f for f in files if os.path.exists(os.path.join(installed, f))]
        self.assertEqual(left, [], "files the installer left behind")
        self.assertFalse(os.path.exists(installed), "the program's folder")
        # Windows removes the emptied Kelo folder too; Wine's installer keeps a parent folder
        # that was there when the uninstall began.
        self.assertEqual(os.listdir(folder) if os.path.isdir(folder) else [], [], "the Kelo folder")
        self.assertEqual(shortcuts(), [], "Start menu shortcut")
        self.assertTrue(os.path.isfile(log), "the uninstall leaves the user's log alone")

    def test_portable_zip_runs_from_a_folder_with_a_blank(self):
        with tempfile.TemporaryDirectory(prefix="kelo portable ") as folder:
            with zipfile.ZipFile(self.release_file(self.out.name, self.version, "-portable.zip")) as portable:
                portable.extractall(folder)
            tree = os.path.join(folder, "KeloTessaly-%s-%s" % (self.version, ARCH))
            self.assertIn(" ", tree)
            self.assert_lists_the_demo_printers(tree)


if __name__ == "__main__":
    unittest.main(verbosity=2)
