"""The two waits for ENTER: what ends a line and what ends the input."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

from harness import DIALOGUE, SUMMARY, WineTest, install, run, wait_until, windows_path

HERE = os.path.dirname(os.path.abspath(__file__))


class InputTest(WineTest):
    def test_input_at_end_of_file_runs_through_without_a_key(self):
        program = install(self.folder("Veltarin"), files=["sabet.exe"])
        status, out, err = run(program, stdin=b"")
        self.assertEqual(status, 0, err)
        self.assertFalse(os.path.exists(self.folder("Veltarin", "sabet.exe")))
        self.assertTrue(out.startswith(DIALOGUE))

    def start(self, program):
        process = subprocess.Popen(["wine", program], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, cwd=os.path.dirname(program))
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process

    def feed(self, process, data):
        process.stdin.write(data)
        process.stdin.flush()

    def test_ctrl_z_ends_the_input_while_the_pipe_stays_open(self):
        program = install(self.folder("Veltarin"), files=["sabet.exe"])
        process = self.start(program)
        self.feed(process, b"\x1a")
        self.assertEqual(process.wait(timeout=60), 0)
        self.assertFalse(os.path.exists(self.folder("Veltarin", "sabet.exe")))

    def test_only_lf_or_cr_lf_ends_a_wait(self):
        program = install(self.folder("Veltarin"), files=["sabet.exe"])
        listed = self.folder("Veltarin", "sabet.exe")
        process = self.start(program)

        self.feed(process, b"yes\rno\r")
        time.sleep(2)
        self.assertIsNone(process.poll(), "ended on a lone CR")
        self.assertTrue(os.path.exists(listed), "removal started before a line end")

        self.feed(process, b"x\n")  # the first wait ends: removal, then the second wait
        self.assertTrue(wait_until(lambda: not os.path.exists(listed), 30))
        self.feed(process, b"\r")
        time.sleep(1)
        self.assertIsNone(process.poll(), "the second wait ended on a lone CR")

        self.feed(process, b"\r\n")
        self.assertEqual(process.wait(timeout=60), 0)

    def test_windows_pipe_whose_writer_has_gone_is_the_end_of_input(self):
        # Wine gives a Unix pipe's end as a read of 0 bytes; a Windows pipe
        # whose writer has closed it answers ERROR_BROKEN_PIPE instead.
        build = tempfile.mkdtemp(prefix="uninstall-pipe-")
        self.addCleanup(shutil.rmtree, build, ignore_errors=True)
        parent = os.path.join(build, "pipe_parent.exe")
        subprocess.run([os.environ["MINGW_CC"], "-O2", "-s", "-municode", "-o", parent,
                        os.path.join(HERE, "pipe_parent.c")], check=True)
        program = install(self.folder("Veltarin"), files=["sabet.exe"])
        result = subprocess.run(["wine", parent, windows_path(program)], stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=90, cwd=os.path.dirname(program))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(result.stdout.startswith(DIALOGUE), result.stdout)
        self.assertFalse(os.path.exists(self.folder("Veltarin", "sabet.exe")))


if __name__ == "__main__":
    unittest.main()
