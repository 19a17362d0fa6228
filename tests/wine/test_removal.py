"""The removal run on real folders: what goes, what stays, what is said."""

import os
import subprocess
import time
import unittest

from harness import (DIALOGUE, FILES, FOLDERS, LEFTOVERS, SUMMARY, WineTest, entry_line, install, run, tree,
                     wait_until)


class RemovalTest(WineTest):
    def test_full_install_goes_in_table_order_and_nothing_else_is_touched(self):
        folder = self.folder("Veltarin")
        program = install(folder)
        # Look-alikes outside the install folder: a sibling, the parent and
        # the working directory all hold listed names.
        decoys = [self.folder("Veltarin2"), self.root, self.folder("cwd")]
        for decoy in decoys:
            os.makedirs(decoy, exist_ok=True)
            for name in ("korlan.exe", "thumbs.db", "desktop.inf"):
                with open(os.path.join(decoy, name), "wb") as f:
                    f.write(b"not ours")
        outside = {d: tree(d) for d in decoys[:1] + decoys[2:]}

        status, out, err = run(program, cwd=self.folder("cwd"))
        self.assertEqual(status, 0, err)
        expected = b"".join(entry_line(folder, p, True) for p in FILES + FOLDERS)
        self.assertEqual(out, DIALOGUE + expected + SUMMARY)
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 20), os.listdir(folder))
        for decoy, before in outside.items():
            self.assertEqual(tree(decoy), before, decoy)
        for name in ("korlan.exe", "thumbs.db", "desktop.inf"):
            self.assertTrue(os.path.exists(os.path.join(self.root, name)))

    def test_read_only_files_are_reported_and_left(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=["korlan.exe", "sabet.exe", "tesk/Ostin/Ivo.wav"])
        for locked in ("korlan.exe", "tesk/Ostin/Ivo.wav"):
            os.chmod(os.path.join(folder, locked), 0o444)
        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, DIALOGUE
                         + entry_line(folder, "korlan.exe", False)
                         + entry_line(folder, "sabet.exe", True)
                         + entry_line(folder, "tesk/Ostin/Ivo.wav", False)
                         + entry_line(folder, "tesk/Ostin/", False)
                         + entry_line(folder, "tesk/", False)
                         + SUMMARY + LEFTOVERS)
        self.assertTrue(os.path.exists(os.path.join(folder, "korlan.exe")))
        self.assertTrue(os.path.exists(os.path.join(folder, "tesk/Ostin/Ivo.wav")))
        self.assertFalse(os.path.exists(os.path.join(folder, "sabet.exe")))

    def test_users_own_file_in_a_listed_folder_comes_out_unchanged(self):
        folder = self.folder("Veltarin")
        program = install(folder)
        own = os.path.join(folder, "tesk", "Ostin", "my song.wav")
        with open(own, "wb") as f:
            f.write(b"the user's own")
        os.utime(own, (1_600_000_000, 1_600_000_000))
        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        expected = b"".join(entry_line(folder, p, True) for p in FILES + ["nubra/"])
        expected += entry_line(folder, "tesk/Ostin/", False)
        expected += entry_line(folder, "tesk/Varle/", True)
        expected += entry_line(folder, "tesk/", False)
        self.assertEqual(out, DIALOGUE + expected + SUMMARY + LEFTOVERS)
        self.assertTrue(wait_until(lambda: not os.path.exists(program), 20))
        self.assertEqual(tree(folder), {"tesk/": None, "tesk/Ostin/": None, "tesk/Ostin/my song.wav": b"the user's own"})
        self.assertEqual(os.stat(own).st_mtime, 1_600_000_000)

    def test_targets_of_the_wrong_kind_or_without_a_dos_date_are_passed_over(self):
        folder = self.folder("Veltarin")
        program = install(folder, files=["korlan.exe/inside.txt", "mildrev.exe"])
        with open(os.path.join(folder, "nubra"), "wb") as f:  # a file where a folder is listed
            f.write(b"file")
        os.utime(os.path.join(folder, "mildrev.exe"), (157_766_400, 157_766_400))  # 1975
        before = tree(folder)
        del before["uninstall.exe"]
        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, DIALOGUE + SUMMARY)
        self.assertTrue(wait_until(lambda: not os.path.exists(program), 20))
        self.assertEqual(tree(folder), before)

    def test_cyrillic_install_folder_is_used_as_it_is_and_shown_in_cp866(self):
        folder = self.folder("Программы", "Велтарин Ёё")
        program = install(folder, files=["korlanь.exe", "nubra/nubra.chm"])
        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, DIALOGUE
                         + entry_line(folder, "korlanь.exe", True)
                         + entry_line(folder, "nubra/nubra.chm", True)
                         + entry_line(folder, "nubra/", True)
                         + SUMMARY)
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 20), os.listdir(folder))


class UncertainFolderTest(WineTest):
    """When the program cannot name its own folder exactly, it removes nothing."""

    def assertRefusedAndNothingRemoved(self, folder, decoy=None):
        program = install(folder)
        before = tree(folder)
        decoy_before = tree(decoy) if decoy else None
        status, out, err = run(program)
        self.assertEqual(status, 1, err)
        self.assertEqual(out, b"")
        self.assertTrue(err.endswith(b"\r\n\r\n"), err)
        time.sleep(1)
        self.assertEqual(tree(folder), before)
        if decoy:
            self.assertEqual(tree(decoy), decoy_before)

    def test_folder_name_the_ansi_code_page_cannot_hold(self):
        # Windows shows "Prōgram" to an ANSI program as "Program": another,
        # existing folder with files of the same names.
        decoy = self.folder("Program", "Veltarin")
        install(decoy)
        self.assertRefusedAndNothingRemoved(self.folder("Prōgram", "Veltarin"), decoy)

    def test_path_longer_than_max_path(self):
        deep = self.folder(*(["a" * 60] * 4), "Veltarin")
        self.assertGreater(len("Z:" + deep + "/uninstall.exe"), 260)
        self.assertRefusedAndNothingRemoved(deep)


if __name__ == "__main__":
    unittest.main()
