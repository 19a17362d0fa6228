"""The same program on a machine whose code pages are not the Russian ones:
a Wine prefix made under en_US.UTF-8 has ANSI 1252 and OEM 437. Every byte
the program writes, and every file it removes or leaves, must be as on a
Russian machine."""

import os
import shlex
import subprocess
import unittest

from harness import (CRLF, DIALOGUE, FILES, FOLDERS, SUMMARY, WineTest, entry_line, install, oem, run, wait_until,
                     windows_path)

USERS_OWN = "korlanü.exe"  # byte 252 in 1252; the listed korlanь.exe is byte 252 in 1251


class EnglishMachineTest(WineTest):
    def setUp(self):
        super().setUp()
        self.assertTrue(os.environ.get("LANG", "").startswith("en_US"), "not the English prefix")

    def test_full_install_goes_and_the_users_look_alike_stays(self):
        for name, parts in (("ASCII", ("Apps", "Veltarin")), ("Cyrillic", ("Программы", "Велтарин"))):
            with self.subTest(name):
                folder = self.folder(*parts)
                program = install(folder)
                with open(os.path.join(folder, USERS_OWN), "wb") as f:
                    f.write(b"the user's own")
                status, out, err = run(program)
                self.assertEqual(status, 0, err)
                expected = b"".join(entry_line(folder, p, True) for p in FILES + FOLDERS)
                self.assertEqual(out, DIALOGUE + expected + SUMMARY)
                self.assertTrue(wait_until(lambda: os.listdir(folder) == [USERS_OWN], 20), os.listdir(folder))
                with open(os.path.join(folder, USERS_OWN), "rb") as f:
                    self.assertEqual(f.read(), b"the user's own")

    def test_failure_report_shows_a_cyrillic_path_as_the_entry_lines_do(self):
        folder = self.folder("Программы", "Велтарин")
        program = install(folder, files=[])
        os.mkdir(os.path.join(folder, "unveltarin.bat"))  # the script cannot be written
        status, out, err = run(program)
        self.assertEqual(status, 1, err)
        script = windows_path(os.path.join(folder, "unveltarin.bat"))
        self.assertEqual(err, oem("Ошибка / Error: cannot write the self-removal script " + script) + CRLF + CRLF)

    def test_dialogue_reads_as_russian_in_a_terminal(self):
        folder = self.folder("Программы", "Велтарин")
        program = install(folder, files=["sabet.exe"])
        session = "uninstall-%d" % os.getpid()
        tmux = ["tmux", "-L", session]
        command = "wine %s; sleep 60" % shlex.quote(program)
        subprocess.run(tmux + ["new-session", "-d", "-x", "200", "-y", "50", "-c", folder, command], check=True)
        self.addCleanup(subprocess.run, tmux + ["kill-server"], capture_output=True)

        def screen():
            return subprocess.run(tmux + ["capture-pane", "-p"], capture_output=True, check=True).stdout.decode()

        self.assertTrue(wait_until(lambda: "Press ENTER" in screen(), 60), screen())
        shown = screen()
        self.assertIn("Велтарин 5.301 (удаление)", shown)
        self.assertIn('Вы действительно хотите полностью удалить "Велтарин" ???', shown)
        subprocess.run(tmux + ["send-keys", "Enter"], check=True)
        self.assertTrue(wait_until(lambda: "Ok!" in screen(), 30), screen())
        self.assertIn("\\Программы\\Велтарин\\sabet.exe Ok!", screen())
        subprocess.run(tmux + ["send-keys", "Enter"], check=True)
        self.assertTrue(wait_until(lambda: os.listdir(folder) == [], 30), os.listdir(folder))


if __name__ == "__main__":
    unittest.main()
