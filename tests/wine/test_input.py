"""The two waits for ENTER: what ends a line and what ends the input."""

import os
import subprocess
import time
import unittest

from harness import DIALOGUE, SUMMARY, WineTest, install, run, wait_until


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


if __name__ == "__main__":
    unittest.main()
