"""The dialogue and summary, byte for byte, as the real program writes them."""

import os
import unittest

from harness import DIALOGUE, SUMMARY, WineTest, install, run, wait_until


class DialogueTest(WineTest):
    def test_nothing_to_remove_gives_the_whole_dialogue_and_a_clean_summary(self):
        program = install(self.folder("Veltarin"), files=[])
        status, out, err = run(program)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, DIALOGUE + SUMMARY)
        self.assertEqual(err, b"")

    def test_output_redirected_to_a_file_gets_the_same_bytes(self):
        program = install(self.folder("Veltarin"), files=[])
        captured = self.folder("out.txt")
        with open(captured, "wb") as f:
            status, _, err = run(program, stdout=f)
        self.assertEqual(status, 0, err)
        with open(captured, "rb") as f:
            self.assertEqual(f.read(), DIALOGUE + SUMMARY)

    def test_arguments_are_ignored(self):
        program = install(self.folder("Veltarin"), files=[])
        status, out, err = run(program, args=("/S", "--help", "korlan.exe"))
        self.assertEqual(status, 0, err)
        self.assertEqual(out, DIALOGUE + SUMMARY)
        self.assertTrue(wait_until(lambda: not os.path.exists(program), 15))


if __name__ == "__main__":
    unittest.main()
