"""Failures that end the program: the report on standard error, status 1,
and nothing removed or started."""

import os
import unittest

from harness import FILES, WineTest, install, oem, run, tree

REPORT_HEAD = oem("Ошибка / Error: ")


class FailureTest(WineTest):
    def assertReport(self, err):
        self.assertTrue(err.startswith(REPORT_HEAD), err)
        self.assertTrue(err.endswith(b"\r\n\r\n"), err)
        self.assertEqual(err.count(b"\r\n\r\n"), 1, err)

    def test_output_that_cannot_be_written_ends_the_program_before_anything_is_removed(self):
        folder = self.folder("Veltarin")
        install(folder)
        before = tree(folder)
        with open("/dev/full", "wb") as full:
            status, _, err = run(os.path.join(folder, "uninstall.exe"), stdout=full)
        self.assertEqual(status, 1)
        self.assertReport(err)
        self.assertEqual(tree(folder), before)  # no file removed, no script written


if __name__ == "__main__":
    unittest.main()
