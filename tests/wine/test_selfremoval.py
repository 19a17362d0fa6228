"""The program file goes after the program has exited, and the script with it,
also when other users have been planting things around it."""

import glob
import os
import shutil
import subprocess
import tempfile
import time
import unittest

from harness import DIALOGUE, SUMMARY, WineTest, install, oem, run, tree, wait_until, windows_path

SCRIPT = "unveltarin.bat"
HERE = os.path.dirname(os.path.abspath(__file__))


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

    def test_script_cut_short_by_a_full_disk_is_deleted_again(self):
        # As root: a file system just big enough for the program and a filler.
        folder = self.folder("Veltarin")
        os.mkdir(folder)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", folder], check=True)
        self.addCleanup(subprocess.run, ["umount", "-l", folder], check=True)
        program = install(folder, files=[])
        with open(os.path.join(folder, "filler"), "wb", buffering=0) as f:
            try:
                while True:
                    f.write(b"\0" * 64)
            except OSError:
                pass
        status, out, err = run(program)
        self.assertEqual(status, 1, err)
        self.assertTrue(out.startswith(DIALOGUE), out)
        self.assertIn(b"unveltarin.bat", err)
        self.assertEqual(sorted(os.listdir(folder)), ["filler", "uninstall.exe"])


class HostileFolderTest(WineTest):
    """Another user may create files and links in the install folder, in the
    working directory and in folders on PATH; the script runs with
    administrator rights."""

    STANDIN_NAMES = ("ping", "cmd")  # what the script starts, and what starts it

    @classmethod
    def setUpClass(cls):
        cls.build = tempfile.mkdtemp(prefix="uninstall-standin-")
        cls.standin = os.path.join(cls.build, "standin.exe")
        subprocess.run([os.environ["MINGW_CC"], "-O2", "-s", "-o", cls.standin, os.path.join(HERE, "standin.c")],
                       check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.build, ignore_errors=True)

    def plant(self, folder):
        """Stand-ins under every name a bare command could resolve to."""
        os.makedirs(folder, exist_ok=True)
        with open(self.standin, "rb") as f:
            binary = f.read()
        for name in self.STANDIN_NAMES:
            for ext in (".exe", ".com"):
                with open(os.path.join(folder, name + ext), "wb") as f:
                    f.write(binary)
            for ext in (".bat", ".cmd"):
                with open(os.path.join(folder, name + ext), "wb") as f:
                    f.write(b'@echo ran> "%~f0.ran"\r\n')

    def markers(self):
        return sorted(glob.glob(os.path.join(self.root, "**", "*.ran"), recursive=True))

    def test_undeletable_program_file_runs_nothing_planted_and_the_script_gives_up_and_goes(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=[])
        cwd, on_path = self.folder("cwd"), self.folder("on-path")
        for place in (folder, cwd, on_path):
            self.plant(place)
        hostile = {"WINEPATH": windows_path(on_path),
                   "COMSPEC": windows_path(os.path.join(folder, "cmd.bat")),
                   "PATHEXT": ".BAT;.CMD;.COM;.EXE"}

        # The plants are live: a bare "ping" started from each place runs one.
        for place in (folder, cwd, self.folder()):
            subprocess.run(["wine", "cmd", "/d", "/c", "ping -n 1 127.0.0.1"], cwd=place, capture_output=True,
                           env=dict(os.environ, **hostile), timeout=60)
        ran = self.markers()
        self.assertEqual({os.path.dirname(m) for m in ran}, {folder, cwd, on_path}, ran)
        for marker in ran:
            os.remove(marker)

        os.chmod(program, 0o555)  # so that the script goes through its pauses
        started = time.monotonic()
        process = subprocess.Popen(["wine", program], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, cwd=cwd, env=dict(os.environ, **hostile))
        self.addCleanup(lambda: process.poll() is None and process.kill())
        process.stdin.write(b"\n\n")
        process.stdin.close()
        # While it runs, nobody but SYSTEM and the Administrators may change
        # it. Wine keeps no ACLs, but it shows a new file's DACL in its mode
        # bits: nothing for "others".
        script = os.path.join(folder, SCRIPT)
        self.assertTrue(wait_until(lambda: os.path.exists(script), 30))
        self.assertEqual(os.stat(script).st_mode & 0o007, 0, oct(os.stat(script).st_mode))
        self.assertEqual(process.wait(timeout=90), 0, process.stderr.read())
        self.assertTrue(wait_until(lambda: not os.path.exists(os.path.join(folder, SCRIPT)), 90))
        elapsed = time.monotonic() - started
        self.assertEqual(self.markers(), [])
        self.assertTrue(os.path.exists(program))
        # It paused between tries instead of spinning, and it stopped.
        self.assertGreater(elapsed, 20)
        self.assertLess(elapsed, 75)

    def test_script_name_held_by_a_link_or_a_read_only_file_is_neither_written_nor_deleted(self):
        for kind in ("hard link", "symbolic link", "dangling link", "read-only file"):
            with self.subTest(kind):
                folder = self.folder(kind, "Veltarin")
                program = install(folder, files=["sabet.exe"])
                outside = self.folder(kind, "outside.txt")
                script = os.path.join(folder, SCRIPT)
                if kind == "dangling link":
                    os.symlink(outside, script)
                elif kind == "read-only file":
                    outside = script
                if kind != "dangling link":
                    with open(outside, "wb") as f:
                        f.write(b"somebody else's")
                if kind == "hard link":
                    os.link(outside, script)
                elif kind == "symbolic link":
                    os.symlink(outside, script)
                elif kind == "read-only file":
                    os.chmod(script, 0o444)

                status, out, err = run(program)
                self.assertEqual(status, 1, err)
                self.assertTrue(out.startswith(DIALOGUE), out)
                self.assertTrue(err.startswith(oem("Ошибка / Error: ")), err)
                self.assertTrue(err.endswith(b"\r\n\r\n"), err)
                time.sleep(2)
                self.assertTrue(os.path.exists(program))
                self.assertTrue(os.path.lexists(script))
                if kind == "dangling link":
                    self.assertFalse(os.path.lexists(outside))
                else:
                    with open(outside, "rb") as f:
                        self.assertEqual(f.read(), b"somebody else's")

    def test_folder_named_like_the_program_file_is_left_with_what_it_holds(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=[])
        renamed = os.path.join(folder, "Uninstall Veltarin.exe")
        os.rename(program, renamed)
        decoy = os.path.join(folder, "uninstall.exe")
        os.mkdir(decoy)
        with open(os.path.join(decoy, "notes.txt"), "wb") as f:
            f.write(b"the user's own")
        status, _, err = run(renamed, stdin=b"", timeout=60)  # returns once the script has ended too
        self.assertEqual(status, 0, err)
        self.assertTrue(wait_until(lambda: not os.path.exists(os.path.join(folder, SCRIPT)), 30))
        self.assertEqual(tree(decoy), {"notes.txt": b"the user's own"})
        self.assertTrue(os.path.exists(renamed))


if __name__ == "__main__":
    unittest.main()
