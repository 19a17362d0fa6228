"""The removal run on real folders: what goes, what stays, what is said."""

import os
import shutil
import subprocess
import time
import unittest

from harness import (DIALOGUE, FILES, FOLDERS, LEFTOVERS, SUMMARY, WineTest, entry_line, install, run, tree,
                     wait_until, windows_path)


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

    def test_path_the_ansi_code_page_cannot_hold_at_any_depth(self):
        deep = self.folder(*(["a" * 60] * 4), "Prōgram")
        self.assertGreater(len(windows_path(deep)), 260)
        self.assertRefusedAndNothingRemoved(deep)


class DepthTest(WineTest):
    """Windows' ANSI file functions stop at 260 characters; the program does not."""

    def deep_folder(self, length):
        """A folder whose Windows path is exactly `length` characters long."""
        remaining = length - len(windows_path(self.root))
        parts = -(-remaining // 61)  # each a backslash and at most 60 characters
        folder = self.root
        for i in range(parts):
            size = remaining // parts + (1 if i < remaining % parts else 0)
            folder = os.path.join(folder, "d" * (size - 1))
        self.assertEqual(len(windows_path(folder)), length)
        return folder

    def test_every_target_the_program_file_and_the_script_go_at_each_depth(self):
        # Around the edges where a name relative to the folder (the script
        # uses up to 16 characters) or the folder itself reaches MAX_PATH.
        for length in (244, 245, 246, 250, 259, 260, 265, 275):
            with self.subTest(length=length):
                folder = self.deep_folder(length)
                program = install(folder)
                self.assertGreater(len(windows_path(os.path.join(folder, "tesk/Varle/desktop.inf"))), 260)
                # Wine cannot start a program in a working directory past MAX_PATH.
                status, out, err = run(program, cwd=self.root)
                self.assertEqual(status, 0, err)
                expected = b"".join(entry_line(folder, p, True) for p in FILES + FOLDERS)
                self.assertEqual(out, DIALOGUE + expected + SUMMARY)
                self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 20), os.listdir(folder))
                shutil.rmtree(self.folder(os.path.relpath(folder, self.root).split(os.sep)[0]))

    def test_folder_of_300_characters_loses_every_target_and_nothing_beside_it(self):
        folder = self.deep_folder(300)
        program = install(folder)
        parent = os.path.dirname(folder)
        install(parent, files=["korlan.exe", "tesk/Olvan.ico", "nubra/nubra.chm"], content=b"not ours")
        os.remove(os.path.join(parent, "uninstall.exe"))
        inside = os.path.relpath(folder, parent) + "/"

        def beside():
            return {name: data for name, data in tree(parent).items() if not name.startswith(inside)}

        before = beside()
        # Wine cannot start a program in a working directory this deep.
        status, out, err = run(program, cwd=self.root)
        self.assertEqual(status, 0, err)
        expected = b"".join(entry_line(folder, p, True) for p in FILES + FOLDERS)
        self.assertEqual(out, DIALOGUE + expected + SUMMARY)
        # The script starts in the folder's short form and takes the program file too.
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 20), os.listdir(folder))
        self.assertEqual(beside(), before)


class LinkTest(WineTest):
    """Unix links stand in for junctions and symbolic links: Wine shows them to
    the program as Windows shows those."""

    def test_nothing_behind_a_linked_folder_or_file_is_touched(self):
        folder = self.folder("Veltarin")
        program = install(folder)
        users = self.folder("Documents")
        install(users, files=[p[len("tesk/"):] for p in FILES if p.startswith("tesk/")], content=b"the user's")
        os.remove(os.path.join(users, "uninstall.exe"))
        document = self.folder("letter.doc")
        with open(document, "wb") as f:
            f.write(b"the user's letter")
        shutil.rmtree(os.path.join(folder, "tesk"))
        os.remove(os.path.join(folder, "korlan.exe"))
        os.symlink(users, os.path.join(folder, "tesk"))
        os.symlink(document, os.path.join(folder, "korlan.exe"))
        users_before = tree(users)

        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        expected = b"".join(entry_line(folder, p, p != "korlan.exe")
                            for p in FILES + FOLDERS if not p.startswith("tesk/"))
        expected += entry_line(folder, "tesk/", False)
        self.assertEqual(out, DIALOGUE + expected + SUMMARY + LEFTOVERS)
        self.assertTrue(wait_until(lambda: not os.path.exists(program), 20))
        self.assertEqual(tree(users), users_before)
        with open(document, "rb") as f:
            self.assertEqual(f.read(), b"the user's letter")
        self.assertEqual(sorted(os.listdir(folder)), ["korlan.exe", "tesk"])
        self.assertTrue(os.path.islink(os.path.join(folder, "tesk")))


class PinnedFolderTest(WineTest):
    """A link above the install folder that another user re-points while the
    program waits for its first ENTER."""

    def test_folder_started_in_is_emptied_and_the_one_the_link_now_leads_to_is_untouched(self):
        games, other = self.folder("GamesA"), self.folder("GamesB")
        install(os.path.join(games, "Veltarin"))
        install(os.path.join(other, "Veltarin"), content=b"another install")
        other_before = tree(other)
        link = self.folder("Games")
        os.symlink(games, link)
        started = os.path.join(link, "Veltarin")
        program = os.path.join(started, "uninstall.exe")

        process = subprocess.Popen(["wine", program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, cwd=self.root)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        # The dialogue comes in 128-byte blocks; once the first is out, the
        # program is at, or about to reach, its first wait.
        first = b""
        while len(first) < 128:
            block = os.read(process.stdout.fileno(), 128 - len(first))  # unbuffered: communicate() takes the rest
            self.assertTrue(block, "the program ended before its first wait")
            first += block
        time.sleep(2)
        self.assertTrue(os.path.exists(os.path.join(games, "Veltarin", "korlan.exe")))
        repointed = self.folder("Games.new")
        os.symlink(other, repointed)
        os.replace(repointed, link)

        out, err = process.communicate(b"\n\n", timeout=90)
        self.assertEqual(process.returncode, 0, err)
        # The lines name the folder as the program was started.
        expected = b"".join(entry_line(started, p, True) for p in FILES + FOLDERS)
        self.assertEqual(first + out, DIALOGUE + expected + SUMMARY)
        self.assertTrue(wait_until(lambda: os.listdir(os.path.join(games, "Veltarin")) == [], 20),
                        os.listdir(os.path.join(games, "Veltarin")))
        time.sleep(1)
        self.assertEqual(tree(other), other_before)


class ExactNameTest(WineTest):
    """Each deletion checks the open file is exactly the listed name in the
    install folder: the same volume, the whole path, in any case."""

    def test_listed_name_linked_to_a_look_alike_leaves_the_look_alike(self):
        for case in ("same path on another drive", "sibling whose name extends it"):
            with self.subTest(case):
                folder = self.folder(case, "Veltarin")
                program = install(folder, files=["sabet.exe"])
                if case == "same path on another drive":
                    # A drive of its own (its own serial number) whose folders
                    # mirror the install folder's path from the root.
                    drive = self.folder(case, "drive")
                    os.makedirs(drive)
                    with open(os.path.join(drive, ".windows-serial"), "w") as f:
                        f.write("51a7e000\n")
                    letter = os.path.join(os.environ["WINEPREFIX"], "dosdevices", "q:")
                    os.symlink(drive, letter)
                    self.addCleanup(os.remove, letter)
                    victim = os.path.join(drive, folder.lstrip("/"), "korlan.exe")
                    os.makedirs(os.path.dirname(victim))
                else:
                    victim = os.path.join(folder, "korlan.exe.keep")
                with open(victim, "wb") as f:
                    f.write(b"the user's own")
                os.symlink(victim, os.path.join(folder, "korlan.exe"))

                status, out, err = run(program)
                self.assertEqual(status, 0, err)
                self.assertEqual(out, DIALOGUE + entry_line(folder, "korlan.exe", False)
                                 + entry_line(folder, "sabet.exe", True) + SUMMARY + LEFTOVERS)
                with open(victim, "rb") as f:
                    self.assertEqual(f.read(), b"the user's own")
                self.assertTrue(os.path.islink(os.path.join(folder, "korlan.exe")))

    def test_names_on_disk_in_another_case_go_like_the_listed_ones(self):
        folder = self.folder("Veltarin")
        on_disk = {"thumbs.db": "Thumbs.db", "korlan.exe": "KORLAN.exe"}
        program = install(folder, files=[on_disk.get(p, p).replace("tesk/", "TESK/") for p in FILES])
        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        # The lines name the targets as listed.
        expected = b"".join(entry_line(folder, p, True) for p in FILES + FOLDERS)
        self.assertEqual(out, DIALOGUE + expected + SUMMARY)
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 20), os.listdir(folder))


class ReadOnlyMountTest(WineTest):
    """A file system that accepts a deletion and keeps the file: as root, a
    read-only bind mount of a full install."""

    def test_no_target_still_there_is_reported_removed(self):
        source = self.folder("source")
        install(source)
        before = tree(source)
        mounted = self.folder("Veltarin")
        os.mkdir(mounted)
        subprocess.run(["mount", "--bind", source, mounted], check=True)
        self.addCleanup(subprocess.run, ["umount", mounted], check=True)
        subprocess.run(["mount", "-o", "remount,bind,ro", mounted], check=True)

        status, out, err = run(os.path.join(mounted, "uninstall.exe"))
        # The script cannot be written there either: the program says so.
        self.assertEqual(status, 1, err)
        expected = b"".join(entry_line(mounted, p, False) for p in FILES + FOLDERS)
        self.assertEqual(out, DIALOGUE + expected + SUMMARY + LEFTOVERS)
        self.assertEqual(tree(source), before)

if __name__ == "__main__":
    unittest.main()
