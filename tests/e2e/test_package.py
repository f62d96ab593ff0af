"""The Debian package as tools/package.sh builds it: clean by Debian's own checks and, unpacked
into a folder of its own, a launcher that keeps each player's game in their data folder, started
from an unrelated folder like a menu entry would; there a whole game, steered by the real timer
and keys to the food the fake clock fixes, files its score into the file a restart shows."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

from harness import SOURCE_DIR, GameTestCase, play, score_file

HARD = [("Ann", 50), ("Bo", 10), ("Bob", 8), ("Cy", 30), ("Dee", 4)]  # unsorted, as the Hard list shows it


def output(*args, **options):
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300, **options)
    return result.returncode, result.stdout.decode()


class Package(GameTestCase):

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="tarvik-package-")
        cls.addClassCleanup(shutil.rmtree, cls.work)
        status, printed = output("bash", os.path.join(SOURCE_DIR, "tools", "package.sh"), cls.work)
        assert status == 0, "tools/package.sh failed:\n" + printed
        cls.deb = printed.split()[-1]
        cls.root = os.path.join(cls.work, "root")
        subprocess.run(["dpkg", "-x", cls.deb, cls.root], check=True)
        cls.launcher = os.path.join(cls.root, "usr", "games", "tarvik-snake")
        super().setUpClass()

    def folder(self):
        folder = tempfile.mkdtemp(prefix="tarvik-home-")
        self.addCleanup(shutil.rmtree, folder)
        return folder

    def test_the_package_is_named_for_its_version_and_clean_by_debians_checks(self):
        with open(os.path.join(SOURCE_DIR, "CMakeLists.txt")) as f:
            version = re.search(r"project\(\S+ VERSION (\S+)", f.read()).group(1)
        arch = output("dpkg", "--print-architecture")[1].strip()
        self.assertEqual(os.path.basename(self.deb), f"tarvik-snake_{version}_{arch}.deb")
        self.assertIn("libglut", output("dpkg-deb", "-f", self.deb, "Depends")[1])

        # Judged by what each tool calls an error or a warning: the wording changes between releases.
        def complaints(printed):
            return [line for line in printed.splitlines() if line[:2] in ("E:", "W:")]
        lintian = output("lintian", "--pedantic", self.deb)[1]
        self.assertEqual(complaints(lintian), [], lintian)
        share = os.path.join(self.root, "usr", "share")
        self.assertEqual(output("desktop-file-validate", os.path.join(share, "applications", "tarvik-snake.desktop")),
                         (0, ""))
        metainfo = os.path.join(share, "metainfo", "org.example.tarvik_snake.metainfo.xml")
        status, printed = output("appstreamcli", "validate", "--no-net", "--pedantic", metainfo)
        self.assertEqual((status, complaints(printed)), (0, []), printed)

    def test_the_launcher_prepares_the_players_folder_keeps_what_is_there_and_says_what_stops_it(self):
        home = self.folder()
        game_folder = os.path.join(home, ".local", "share", "tarvik-snake")
        scores, link = os.path.join(game_folder, "scores"), os.path.join(game_folder, "img")
        bare = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "HOME", "XDG_DATA_HOME")}
        pictures = os.path.realpath(os.path.join(self.root, "usr", "share", "games", "tarvik-snake", "img"))

        def launch(umask=0o022, **variables):  # its status and all it wrote on stderr
            result = subprocess.run([self.launcher], cwd="/", env=dict(bare, **variables), timeout=20,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, preexec_fn=lambda: os.umask(umask))
            return result.returncode, result.stderr.decode()

        def prepared():
            return os.path.realpath(link), os.stat(scores).st_mode & 0o777, os.listdir(scores)

        # Without a display the game fails, and its status and message come through.
        no_display = (1, "tarvik-snake: cannot open the X display (is DISPLAY set?)\n")
        self.assertEqual(launch(0o027, HOME=home), no_display)
        self.assertEqual(prepared(), (pictures, 0o750, []))
        # A relative XDG_DATA_HOME is ignored, a scores folder left as it is, a stale link made to follow the install.
        os.chmod(scores, 0o700)
        open(os.path.join(scores, "HighScores.dat"), "wb").close()
        os.remove(link)
        os.symlink("/nonexistent", link)
        self.assertEqual(launch(HOME=home, XDG_DATA_HOME="relative"), no_display)
        self.assertEqual(prepared(), (pictures, 0o700, ["HighScores.dat"]))

        blocked = os.path.join(home, "a-file")
        open(blocked, "w").close()
        self.assertEqual(launch(XDG_DATA_HOME=blocked), (
            1, f"tarvik-snake: cannot make the game folder {blocked}/tarvik-snake: Not a directory\n"))
        self.assertEqual(launch(), (
            1, "tarvik-snake: neither HOME nor an absolute XDG_DATA_HOME is set: no folder to keep the game in\n"))

    def test_a_score_filed_through_the_launcher_goes_into_the_players_file_and_is_shown_at_the_next_start(self):
        home, data, cache = self.folder(), self.folder(), self.folder()
        scores = os.path.join(data, "tarvik-snake", "scores", "HighScores.dat")
        os.makedirs(os.path.dirname(scores))
        with open(scores, "wb") as f:  # an unsorted Hard half, and bytes past the table
            f.write(score_file(hard=HARD, extra=b"trailing"))

        def start(**options):  # the question, then the main menu over the installed picture
            # The cache folder is the graphics stack's (Mesa keeps compiled shaders there), not the game's.
            environment = {"HOME": home, "XDG_DATA_HOME": data, "XDG_CACHE_HOME": cache}
            return self.launch(folders=False, exe=self.launcher, environment=environment, **options).start()

        game = start(rate=0.2)  # a Normal step every 0.6 s of real time
        game.key("1")
        play(game, "Ann")
        game.wait_screen("normal-filed")
        with open(scores, "rb") as f:
            self.assertEqual(f.read(), score_file([("Ann", 10)], HARD))
        # Nothing left beside the file, nor written where the game was started or in the home folder.
        self.assertEqual(os.listdir(os.path.dirname(scores)) + os.listdir(game.folder) + os.listdir(home), ["HighScores.dat"])
        game.key("x", "Escape", "q")
        self.assertEqual(game.wait_exit(), 0)
        again = start()
        again.key("3")
        again.wait_screen("normal-filed")
        again.key("Right")
        again.wait_screen("hard-filed")


if __name__ == "__main__":
    unittest.main()
