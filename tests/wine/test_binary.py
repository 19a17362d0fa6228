"""What the shipped files are: self-contained, stripped, with version and manifest."""

import os
import struct
import subprocess
import unittest

WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll"}


def objdump(machine, *args):
    english = dict(os.environ, LC_ALL="C")  # its headings are translated otherwise
    return subprocess.run(["%s-w64-mingw32-objdump" % machine, *args], capture_output=True, text=True,
                          check=True, env=english).stdout


def checksum_offset(data):
    return struct.unpack_from("<I", data, 0x3C)[0] + 24 + 64  # PE signature, file header, then CheckSum


def stored_checksum(data):
    return struct.unpack_from("<I", data, checksum_offset(data))[0]


def pe_checksum(data):
    """Windows' PE checksum (CheckSumMappedFile): 16-bit one's-complement
    sum of the file with the field itself as 0, plus the file's length."""
    at = checksum_offset(data)
    padded = data[:at] + bytes(4) + data[at + 4:] + bytes(len(data) % 2)
    total = 0
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


class BinaryTest(unittest.TestCase):
    def check(self, exe, machine):
        self.assertTrue(os.path.isfile(exe), exe)
        headers = objdump(machine, "-p", exe)
        dlls = {line.split(":", 1)[1].strip().lower() for line in headers.splitlines() if "DLL Name:" in line}
        self.assertTrue(dlls, "no import table read")
        self.assertLessEqual(dlls, WINDOWS_DLLS)
        self.assertIn("no symbols", objdump(machine, "--syms", exe))
        with open(exe, "rb") as f:
            data = f.read()
        for text in ("ProductName", "Veltarin", "ProductVersion", "5.301", "uninstall.exe"):
            self.assertIn(text.encode("utf-16-le"), data, text)
        self.assertIn(b'<requestedExecutionLevel level="requireAdministrator"', data)
        self.assertEqual(stored_checksum(data), pe_checksum(data), "the PE checksum field is not the file's")

    def test_x86_64(self):
        self.check(os.environ["UNINSTALL_EXE"], "x86_64")
        self.assertLessEqual(os.path.getsize(os.environ["UNINSTALL_EXE"]), 128 * 1024)

    def test_i686(self):
        self.check(os.environ["UNINSTALL_EXE32"], "i686")


if __name__ == "__main__":
    unittest.main()
