"""tools/sign on copies of both builds, with a throwaway certificate: the
signatures verify, the signed program still does its whole job, and a
signing that fails changes nothing."""

import glob
import hashlib
import os
import shutil
import stat
import subprocess
import tempfile
import unittest

from harness import DIALOGUE, SUMMARY, WineTest, entry_line, install, run, wait_until

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SIGN = os.path.join(TOP, "tools", "sign")
PASSWORD = "correct horse 5.301"


def product(key):
    with open(os.path.join(TOP, "res", "product.txt"), encoding="utf-8") as f:
        return next(line.split("=", 1)[1].strip() for line in f if line.startswith(key + "="))


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class SigningTest(WineTest):
    @classmethod
    def setUpClass(cls):
        cls.keys = tempfile.mkdtemp(prefix="uninstall-sign-")
        cls.cert = os.path.join(cls.keys, "cert.pem")
        key = os.path.join(cls.keys, "key.pem")
        cls.pfx = os.path.join(cls.keys, "cert.pfx")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=Veltarin test signing", "-addext", "extendedKeyUsage=codeSigning",
                        "-addext", "keyUsage=digitalSignature", "-keyout", key, "-out", cls.cert],
                       check=True, capture_output=True)
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cls.cert, "-out", cls.pfx,
                        "-passout", "pass:" + PASSWORD], check=True, capture_output=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.keys, ignore_errors=True)

    def copies(self):
        folder = self.folder("builds")
        os.makedirs(folder)
        made = []
        for variable, name in (("UNINSTALL_EXE", "x86_64.exe"), ("UNINSTALL_EXE32", "i686.exe")):
            made.append(os.path.join(folder, name))
            shutil.copy(os.environ[variable], made[-1])
        return made

    def sign(self, *args, **env):
        environment = dict(os.environ, UNINSTALL_SIGN_PASSWORD=PASSWORD)
        environment.pop("UNINSTALL_SIGN_TIMESTAMP_URL", None)
        environment.update(env)
        return subprocess.run([SIGN, *args], capture_output=True, env=environment, stdin=subprocess.DEVNULL,
                              timeout=300)

    def test_signed_builds_verify_and_the_signed_program_runs_the_whole_dialogue(self):
        exes = self.copies()
        modes = (0o751, 0o700)
        for exe, mode in zip(exes, modes):
            os.chmod(exe, mode)
        result = self.sign(self.pfx, *exes)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(tuple(stat.S_IMODE(os.stat(exe).st_mode) for exe in exes), modes)
        for exe in exes:
            verified = subprocess.run(["osslsigncode", "verify", "-CAfile", self.cert, "-in", exe],
                                      capture_output=True, text=True)
            self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
            self.assertIn("Signature verification: ok", verified.stdout)
            self.assertRegex(verified.stdout, r"Message digest algorithm\s*:\s*SHA256")
            self.assertIn("Text description: Veltarin", verified.stdout)
            self.assertIn("URL description: " + product("url"), verified.stdout)
        # What a reviewer does: without its signature, the shipped file is
        # the build itself.
        for exe, variable in zip(exes, ("UNINSTALL_EXE", "UNINSTALL_EXE32")):
            bare = exe + ".bare"
            subprocess.run(["osslsigncode", "remove-signature", "-in", exe, "-out", bare], check=True,
                           capture_output=True)
            self.assertEqual(digest(bare), digest(os.environ[variable]), exe)
            os.remove(bare)

        folder = self.folder("Veltarin")
        program = install(folder, files=["korlan.exe"], program=exes[0])
        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, DIALOGUE + entry_line(folder, "korlan.exe", True) + SUMMARY)
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 15), os.listdir(folder))

    def test_signing_that_fails_changes_no_file(self):
        cases = {
            "wrong password": ((), {"UNINSTALL_SIGN_PASSWORD": "wrong"}),
            "no certificate file": (("missing.pfx",), {}),
            "time-stamp server unreachable": ((), {"UNINSTALL_SIGN_TIMESTAMP_URL": "http://127.0.0.1:9/"}),
        }
        for name, (certificate, env) in cases.items():
            with self.subTest(name):
                exes = self.copies()
                before = [digest(exe) for exe in exes]
                result = self.sign(*(certificate or (self.pfx,)), *exes, **env)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(b"tools/sign: ", result.stderr)
                self.assertEqual([digest(exe) for exe in exes], before)
                self.assertEqual(sorted(os.listdir(os.path.dirname(exes[0]))), ["i686.exe", "x86_64.exe"])
                shutil.rmtree(os.path.dirname(exes[0]))

    def test_file_that_cannot_be_replaced_leaves_both_as_they_were(self):
        exes = self.copies()
        os.chmod(exes[0], 0o750)
        before = [(digest(exe), os.stat(exe).st_mode) for exe in exes]
        subprocess.run(["chattr", "+i", exes[1]], check=True)  # as root: nobody may replace it
        self.addCleanup(subprocess.run, ["chattr", "-i", exes[1]], check=True)
        result = self.sign(self.pfx, *exes)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn(b"tools/sign: ", result.stderr)
        self.assertEqual([(digest(exe), os.stat(exe).st_mode) for exe in exes], before)
        self.assertEqual(sorted(os.listdir(os.path.dirname(exes[0]))), ["i686.exe", "x86_64.exe"])


if __name__ == "__main__":
    unittest.main()
