"""The Windows backend's own test (backend_tests.exe, cross-built beside
uninstall.exe), run under Wine in a scratch folder it holds as the install
folder."""

import os
import subprocess
import sys
import unittest

from harness import WineTest, windows_path

BACKEND_TESTS = os.environ.get("UNINSTALL_BACKEND_TESTS_EXE", "")


class BackendTest(WineTest):
    def test_backend_answers_as_on_windows(self):
        self.assertTrue(os.path.isfile(BACKEND_TESTS), "no backend_tests.exe at %r" % BACKEND_TESTS)
        folder = self.folder("Veltarin")
        os.mkdir(folder)
        result = subprocess.run(["wine", BACKEND_TESTS, windows_path(folder) + "\\"], stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=120)
        sys.stdout.write(result.stdout.decode("utf-8", "replace"))
        self.assertEqual(result.returncode, 0, result.stdout.decode("utf-8", "replace")[-2000:])
        self.assertIn(b" passed, 0 failed", result.stdout)


if __name__ == "__main__":
    unittest.main()
