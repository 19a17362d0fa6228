"""The same source gives the same uninstall.exe, byte for byte, when built
again from scratch in another folder: what lets anyone check a shipped exe."""

import hashlib
import os
import shutil
import subprocess
import tempfile
import unittest

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class ReproducibleTest(unittest.TestCase):
    def test_a_clean_build_elsewhere_gives_identical_programs(self):
        # Another folder, of another length, holding the same source files.
        scratch = tempfile.mkdtemp(prefix="uninstall-rebuild-")
        self.addCleanup(shutil.rmtree, scratch)
        copy = os.path.join(scratch, "a", "different", "place")
        files = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=TOP,
                               capture_output=True, check=True).stdout.split(b"\0")
        for name in filter(None, files):
            source = os.path.join(TOP, os.fsdecode(name))
            if os.path.isfile(source):
                target = os.path.join(copy, os.fsdecode(name))
                os.makedirs(os.path.dirname(target), exist_ok=True)
                shutil.copy2(source, target)

        for preset, variable in (("mingw64", "UNINSTALL_EXE"), ("mingw32", "UNINSTALL_EXE32")):
            with self.subTest(preset):
                for step in (["cmake", "--preset", preset], ["cmake", "--build", "--preset", preset]):
                    subprocess.run(step, cwd=copy, check=True, capture_output=True)
                rebuilt = os.path.join(copy, "build", preset, "uninstall.exe")
                self.assertEqual(digest(rebuilt), digest(os.environ[variable]), preset)


if __name__ == "__main__":
    unittest.main()
