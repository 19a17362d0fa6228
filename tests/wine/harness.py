"""Runs the real uninstall.exe under Wine on real folders.

Expected console bytes are made here from UTF-8 text with iconv, never taken
from the program's own tables. The environment (WINEPREFIX, WINEDEBUG, LANG,
UNINSTALL_EXE) comes from CTest.
"""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

EXE = os.environ.get("UNINSTALL_EXE", "")
CRLF = b"\r\n"


def iconv(text, code_page):
    return subprocess.run(["iconv", "-f", "UTF-8", "-t", code_page], input=text.encode("utf-8"),
                          capture_output=True, check=True).stdout


def oem(text):
    """Console bytes (CP866) of UTF-8 text."""
    return iconv(text, "CP866")


def lines(*texts):
    return b"".join(oem(t) + CRLF for t in texts)


DIALOGUE = lines(
    "Велтарин 5.301 (удаление)", "", "", "",
    " " * 4 + 'ВНИМАНИЕ: Перед тем как продолжить, закройте программу "Велтарин"',
    " " * 10 + "Attention! you must close the program, before to continue.",
    "",
    " " * 7 + 'Вы действительно хотите полностью удалить "Велтарин" ???',
    " " * 15 + 'Do you exactly want to uninstall "Veltarin"?',
    "", "",
    " " * 23 + "Нажмите ENTER чтобы удалить.",
    " " * 25 + "Press ENTER to uninstall.",
    "")

SUMMARY = lines("", "", "", ">>>>  Дейнсталляция завершена!", ">>>>  Uninstallation complete!")

LEFTOVERS = lines(">>>>  Некоторые файлы не удалены, вы можете стереть их вручную.",
                  ">>>>  Some files was not deleted, you can delete it manualy later.")

# Relative paths of everything the uninstaller owns, in its order.
FILES = [
    "korlanь.exe", "korlan.exe", "mildrev.exe", "sabet.exe", "thumbs.db", "desktop.inf",
    "nubra/nubra.chm", "nubra/thumbs.db", "nubra/desktop.inf",
    "tesk/Olvan.ico", "tesk/Prisel.ico", "tesk/Dovra.reg", "tesk/Trevin.reg", "tesk/Wendal.rtf",
    "tesk/thumbs.db", "tesk/desktop.inf",
    "tesk/Ostin/Ambel.wav", "tesk/Ostin/Brusk.wav", "tesk/Ostin/Cinna.wav", "tesk/Ostin/Dorve.wav",
    "tesk/Ostin/Evrin.wav", "tesk/Ostin/Folan.wav", "tesk/Ostin/Gim.wav", "tesk/Ostin/Hestra.wav",
    "tesk/Ostin/Ivo.wav", "tesk/Ostin/jolo.wav", "tesk/Ostin/thumbs.db", "tesk/Ostin/desktop.inf",
    "tesk/Varle/kem.bmp", "tesk/Varle/lof.bmp", "tesk/Varle/mavo1.bmp", "tesk/Varle/mavo2.bmp",
    "tesk/Varle/mavo1.png", "tesk/Varle/mavo2.png", "tesk/Varle/nesk1.bmp", "tesk/Varle/nesk2.bmp",
    "tesk/Varle/orp.bmp", "tesk/Varle/pa.jpg", "tesk/Varle/sil.jpg", "tesk/Varle/pa.png",
    "tesk/Varle/sil.png", "tesk/Varle/varle.inf", "tesk/Varle/thumbs.db", "tesk/Varle/desktop.inf",
]
FOLDERS = ["nubra/", "tesk/Ostin/", "tesk/Varle/", "tesk/"]


def windows_path(posix_path):
    """How Wine shows a Unix path to the program: the Z: drive is /."""
    return "Z:" + posix_path.replace("/", "\\")


def entry_line(folder, relative, removed):
    suffix = " Ok!" if removed else " ----error----"
    return oem(windows_path(os.path.join(folder, relative)) + suffix) + CRLF


def install(folder, files=FILES, content=b"veltarin", program=None):
    """Lays out the listed files (and so their folders) and the program
    (`program`, or the one under test)."""
    os.makedirs(folder, exist_ok=True)
    for relative in files:
        path = os.path.join(folder, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)
    shutil.copy(program or EXE, os.path.join(folder, "uninstall.exe"))
    return os.path.join(folder, "uninstall.exe")


def run(program, stdin=b"\n\n", cwd=None, timeout=90, stdout=subprocess.PIPE, args=(), env=None):
    """Runs the program (with `args`, and `env` added to the environment) to
    its end and returns (status, stdout, stderr).

    The self-removal script shares the program's standard handles, so this
    also waits for the script to let go of them."""
    result = subprocess.run(["wine", program, *args], input=stdin, stdout=stdout, stderr=subprocess.PIPE,
                            cwd=cwd or os.path.dirname(program), timeout=timeout,
                            env=dict(os.environ, **env) if env else None)
    return result.returncode, result.stdout, result.stderr


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.1)
    return condition()


def tree(folder):
    """Every file and folder below `folder`, with the bytes of each file."""
    found = {}
    for root, dirs, files in os.walk(folder):
        for d in dirs:
            found[os.path.relpath(os.path.join(root, d), folder) + "/"] = None
        for f in files:
            with open(os.path.join(root, f), "rb") as fh:
                found[os.path.relpath(os.path.join(root, f), folder)] = fh.read()
    return found


class WineTest(unittest.TestCase):
    """A scratch folder per test; the Wine prefix is the CTest fixture's."""

    def setUp(self):
        self.assertTrue(os.path.isfile(EXE), "no uninstall.exe at UNINSTALL_EXE=%r" % EXE)
        self.assertTrue(os.environ.get("WINEPREFIX"), "WINEPREFIX is not set")
        self.root = tempfile.mkdtemp(prefix="uninstall-wine-")
        self.addCleanup(self._remove_root)

    def _remove_root(self):
        for dirpath, dirnames, filenames in os.walk(self.root):
            for name in dirnames + filenames:
                path = os.path.join(dirpath, name)
                if not os.path.islink(path):
                    os.chmod(path, 0o755)
        shutil.rmtree(self.root, ignore_errors=True)

    def folder(self, *parts):
        return os.path.join(self.root, *parts)
