"""The program file goes after the program has exited, and the script with it."""

import os
import time
import unittest

from harness import DIALOGUE, SUMMARY, WineTest, install, run, tree, wait_until

SCRIPT = "unveltarin.bat"


class SelfRemovalTest(WineTest):
    def test_program_and_script_are_gone_soon_after_exit_and_the_script_said_nothing(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=[])
        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, DIALOGUE + SUMMARY)  # run() waited for the script's handles too
        self.assertEqual(err, b"")
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 10), os.listdir(folder))

    def test_stale_script_is_replaced(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=[])
        with open(os.path.join(folder, SCRIPT), "wb") as f:
            f.write(b"@echo stale> stale-ran.txt\r\n")
        status, _, err = run(program)
        self.assertEqual(status, 0, err)
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 10), os.listdir(folder))

    def test_another_working_directory_and_its_uninstall_exe_are_left_alone(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=[])
        elsewhere = self.folder("Other")
        install(elsewhere, files=["korlan.exe"])
        before = tree(elsewhere)
        status, _, err = run(program, cwd=elsewhere)
        self.assertEqual(status, 0, err)
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 10), os.listdir(folder))
        time.sleep(1)
        self.assertEqual(tree(elsewhere), before)

    def test_undeletable_program_file_makes_the_script_give_up_and_go(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=[])
        os.chmod(program, 0o555)
        started = time.monotonic()
        status, _, err = run(program)  # returns once the script has let go of the output
        self.assertEqual(status, 0, err)
        self.assertTrue(wait_until(lambda: not os.path.exists(os.path.join(folder, SCRIPT)), 90))
        elapsed = time.monotonic() - started
        self.assertEqual(os.listdir(folder), ["uninstall.exe"])
        # It paused between tries instead of spinning, and it stopped.
        self.assertGreater(elapsed, 20)
        self.assertLess(elapsed, 75)

    def test_script_that_cannot_be_written_is_a_failure(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=["sabet.exe"])
        os.mkdir(os.path.join(folder, SCRIPT))
        status, out, err = run(program)
        self.assertEqual(status, 1)
        self.assertTrue(out.startswith(DIALOGUE), out)
        self.assertTrue(err.endswith(b"\r\n\r\n"), err)
        self.assertIn(b"unveltarin.bat", err)
        time.sleep(2)
        self.assertTrue(os.path.exists(program))
        self.assertTrue(os.path.isdir(os.path.join(folder, SCRIPT)))


if __name__ == "__main__":
    unittest.main()
