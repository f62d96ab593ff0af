"""Measures the real game against the baseline freeglut program under Xvfb and
prints a table: start-up to the first frame, idle cost and peak memory on the
main menu (also scaled into a smaller window), step timing of a paused game,
frame cost with the longest snake and of a paused game scaled into windows of
other sizes, and the picture loader's figures.

    python3 bench/bench.py BUILD_DIR [--runs N] [--quick]

BUILD_DIR is a build made with -DTARVIK_BENCH=ON. Times come from the probe
(libframe_probe.so, preloaded) and from /proc; see BENCHMARKS.md."""

import argparse
import json
import math
import os
import platform
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "e2e"))
import harness  # noqa: E402

PICTURES = ["menu", "titulo_jogo", "level_score", "normal", "hard", *map(str, range(10)), "ring", "pause"]
QUESTION_SETTLE_S = 0.3  # lets the question map and take the keyboard before it is answered
SETTLE_S = 0.5           # after a program's first frame, before any other X client connects


def median(values):
    return statistics.median(values)


def percentile(values, p):
    ordered = sorted(values)
    return ordered[max(0, math.ceil(p / 100 * len(ordered)) - 1)]


class Run:
    """One program under the probe: its events, its CPU time and memory from /proc."""

    def __init__(self, server, argv, cwd, probe):
        self.server = server
        handle, self.log = tempfile.mkstemp(prefix="tarvik-probe-", suffix=".log")
        os.close(handle)
        env = dict(server.env, LD_PRELOAD=probe, TARVIK_PROBE_LOG=self.log)
        self.launched_us = time.monotonic_ns() // 1000
        self.process = subprocess.Popen(argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    def events(self, name=None):
        """(event, monotonic us, CPU us) in order, of one kind when a name is given."""
        with open(self.log) as f:
            rows = [line.split() for line in f if line.strip()]
        return [(r[0], int(r[1]), int(r[2])) for r in rows if len(r) == 3 and (name is None or r[0] == name)]

    def wait_event(self, name, count=1, timeout=30):
        deadline = time.monotonic() + timeout
        while True:
            found = self.events(name)
            if len(found) >= count:
                return found[count - 1]
            if self.process.poll() is not None:
                raise RuntimeError(f"{self.process.args[0]} ended (status {self.process.returncode}) before '{name}'")
            if time.monotonic() > deadline:
                raise RuntimeError(f"no '{name}' from {self.process.args[0]} within {timeout} s")
            time.sleep(0.01)

    def answer_no(self):
        """Answers the start-up question as soon as it can take a key."""
        self.wait_event("dialog-up")
        time.sleep(QUESTION_SETTLE_S)
        harness.run(["xdotool", "key", "n"], env=self.server.env)
        self.wait_event("dialog-done")

    def cpu_ns(self):
        """CPU time of all the process's threads, from the scheduler's nanosecond counts."""
        total = 0
        task_dir = f"/proc/{self.process.pid}/task"
        for task in os.listdir(task_dir):
            try:
                with open(os.path.join(task_dir, task, "schedstat")) as f:
                    total += int(f.read().split()[0])
            except FileNotFoundError:
                pass  # a thread that just ended
        return total

    def status_kib(self, field):
        with open(f"/proc/{self.process.pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
        raise KeyError(field)

    def window(self, name):
        found = self.server.windows(name)
        if not found:
            raise RuntimeError("no window named " + name)
        return found[0][0]

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
        self.process.wait()
        os.unlink(self.log)
        time.sleep(SETTLE_S)  # the next client must not connect while this one disconnects


class Bench:
    def __init__(self, build):
        self.build = build
        self.game = os.path.join(build, "tarvik-snake")
        self.baseline = os.path.join(build, "bench", "baseline")
        self.probe = os.path.join(build, "bench", "libframe_probe.so")
        self.folder = tempfile.mkdtemp(prefix="tarvik-bench-")
        shutil.copytree(os.path.join(SOURCE_DIR, "img"), os.path.join(self.folder, "img"))
        os.mkdir(os.path.join(self.folder, "scores"))
        self.server = harness.XServer()
        self.rows = []
        self.notes = []
        self.renderer = "unknown"  # set by the frame cost run

    def close(self):
        self.server.stop()
        shutil.rmtree(self.folder, ignore_errors=True)

    def first_frame(self, run, answer=False):
        try:
            if answer:
                run.answer_no()
            run.wait_event("swap")
        finally:
            run.stop()

    def launch_game(self):
        return Run(self.server, [self.game], self.folder, self.probe)

    def launch_baseline(self, *args):
        return Run(self.server, [self.baseline, *map(str, args)], self.folder, self.probe)

    def row(self, what, game, baseline, ratio, goal, met):
        self.rows.append((what, game, baseline, ratio, goal, "yes" if met else "**no**"))

    # Start-up to the first frame: the game's time waiting for the answer is left out.
    # The three programs take turns, so that a busy moment of the machine falls on all alike.

    def startup(self, runs):
        # One unmeasured run of each first: Mesa compiles its shaders into its
        # cache on a program's first run, and every later run loads them.
        self.first_frame(self.launch_game(), answer=True)
        self.first_frame(self.launch_baseline())
        self.first_frame(self.launch_baseline("menu"))
        wall = {"game": [], "baseline": [], "menu": []}
        cpu = {"game": [], "baseline": [], "menu": []}
        for _ in range(runs):
            run = self.launch_game()
            try:
                run.answer_no()
                _, swap, swap_cpu = run.wait_event("swap")
                _, up, up_cpu = run.events("dialog-up")[0]
                _, done, done_cpu = run.events("dialog-done")[0]
                wall["game"].append(((up - run.launched_us) + (swap - done)) / 1000)
                cpu["game"].append((swap_cpu - (done_cpu - up_cpu)) / 1000)
            finally:
                run.stop()
            for kind, args in (("baseline", ()), ("menu", ("menu",))):
                run = self.launch_baseline(*args)
                try:
                    _, swap, swap_cpu = run.wait_event("swap")
                    wall[kind].append((swap - run.launched_us) / 1000)
                    cpu[kind].append(swap_cpu / 1000)
                finally:
                    run.stop()
        game, base, menu = (median(wall[k]) for k in ("game", "baseline", "menu"))
        self.row(f"start-up to first frame, wall (median of {runs})", f"{game:.0f} ms", f"{base:.0f} ms",
                 f"{game / base:.2f}x", "<= 1.5x", game / base <= 1.5)
        self.row("start-up, wall, against the baseline drawing a menu-like first frame", f"{game:.0f} ms",
                 f"{menu:.0f} ms", f"{game / menu:.2f}x", "(explains the above)", True)
        game, base, menu = (median(cpu[k]) for k in ("game", "baseline", "menu"))
        self.row(f"start-up to first frame, CPU (median of {runs})", f"{game:.0f} ms", f"{base:.0f} ms",
                 f"{game / base:.2f}x", "(for reference)", True)
        self.row("start-up, CPU, against the baseline drawing a menu-like first frame", f"{game:.0f} ms",
                 f"{menu:.0f} ms", f"{game / menu:.2f}x", "(for reference)", True)

    # Idle CPU and peak memory on the main menu.

    def idle(self, seconds):
        def measure(run):
            run.wait_event("swap")
            time.sleep(1.0)
            swaps = len(run.events("swap"))
            before = run.cpu_ns()
            time.sleep(seconds)
            used = run.cpu_ns() - before
            return used / (seconds * 1e9), len(run.events("swap")) - swaps, run.status_kib("VmHWM")

        figures = {}
        for kind in ("game", "baseline", "menu"):
            run = self.launch_game() if kind == "game" else self.launch_baseline(*(("menu",) if kind == "menu" else ()))
            try:
                if kind == "game":
                    run.answer_no()
                figures[kind] = measure(run)
            finally:
                run.stop()
        (game_share, game_swaps, game_hwm), (base_share, base_swaps, base_hwm) = figures["game"], figures["baseline"]
        self.row(f"idle CPU on the main menu over {seconds} s (share of one core)", f"{game_share:.3%}",
                 f"{base_share:.3%}", "", "< 1%", game_share < 0.01)
        if game_swaps or base_swaps:
            self.notes.append(f"frames drawn while idle: game {game_swaps}, baseline {base_swaps}")
        picture_kib = picture_bytes() / 1024
        limit = 1.5 * base_hwm + picture_kib
        self.row("peak memory on the main menu (VmHWM)", f"{game_hwm / 1024:.1f} MiB", f"{base_hwm / 1024:.1f} MiB",
                 f"{game_hwm / base_hwm:.2f}x", f"<= 1.5x + {picture_kib / 1024:.1f} MiB of pictures"
                 f" = {limit / 1024:.1f} MiB", game_hwm <= limit)
        menu_hwm = figures["menu"][2]
        self.row("peak memory, against the baseline drawing a menu-like first frame", f"{game_hwm / 1024:.1f} MiB",
                 f"{menu_hwm / 1024:.1f} MiB", f"{game_hwm / menu_hwm:.2f}x", "(for reference)", True)

    # The main menu idling in a window the screen is too small to give 1024 x 768, where every frame is
    # drawn scaled: an 800 x 600 screen without a window manager.

    def idle_scaled(self, seconds):
        server = harness.XServer(("Xvfb", "-screen", "0", "800x600x24"))
        try:
            run = Run(server, [self.game], self.folder, self.probe)
            try:
                run.answer_no()
                run.wait_event("swap")
                time.sleep(1.0)
                size = server.windows()[0][3:]
                before = run.cpu_ns()
                time.sleep(seconds)
                share = (run.cpu_ns() - before) / (seconds * 1e9)
            finally:
                run.stop()
        finally:
            server.stop()
        self.row(f"idle CPU on the main menu, scaled into a {size[0]} x {size[1]} window, over {seconds} s", f"{share:.3%}",
                 "", "", "< 1%", share < 0.01 and tuple(size) != harness.SURFACE)

    # A frame of a paused Hard game, the whole display callback and the swap, in windows of three sizes,
    # taking turns; the scaled ones against the 1024 x 768 one drawn straight.

    def scaled_frames(self, turns, rounds):
        sizes = ((1024, 768), (640, 480), (1280, 960))
        cpu = {size: [] for size in sizes}
        for _ in range(rounds):
            for size in sizes:
                result = subprocess.run([os.path.join(self.build, "bench", "frame_cost"), str(turns), *map(str, size)],
                                        cwd=self.folder, env=self.server.env, timeout=600, check=True,
                                        stdout=subprocess.PIPE)
                figures = dict(line.split(" ", 1) for line in result.stdout.decode().splitlines())
                cpu[size].append(int(figures["paused"].split()[1]))
        straight = median(cpu[sizes[0]])
        self.row(f"paused Hard frame, 1024 x 768 window, straight, CPU (median of {rounds} runs)",
                 f"{straight / 1000:.2f} ms", "", "", "(the yardstick)", True)
        for size in sizes[1:]:
            scaled = median(cpu[size])
            self.row(f"paused Hard frame, {size[0]} x {size[1]} window, scaled, CPU (median of {rounds} runs)",
                     f"{scaled / 1000:.2f} ms", f"{straight / 1000:.2f} ms", f"{scaled / straight:.2f}x", "<= 2x",
                     scaled <= 2 * straight)

    # Step timing: the interval between frames of a paused game, and of the baseline at the same rate.

    def steps(self, mode_key, rate, seconds):
        period = 1000 // rate

        def intervals(run, after_us):
            time.sleep(seconds)
            swaps = [t for _, t, _ in run.events("swap") if t >= after_us]
            return [(b - a) / 1000 for a, b in zip(swaps, swaps[1:])]

        run = self.launch_game()
        try:
            run.answer_no()
            run.wait_event("swap")
            time.sleep(SETTLE_S)
            window = run.window("^Tarvik-Snake$")
            harness.run(["xdotool", "windowfocus", "--sync", window], env=self.server.env)
            harness.run(["xdotool", "key", "--delay", "40", mode_key, "p"], env=self.server.env)
            game = intervals(run, time.monotonic_ns() // 1000 + 1_000_000)
        finally:
            run.stop()
        run = self.launch_baseline("frame", 4, rate)
        try:
            run.wait_event("swap")
            base = intervals(run, time.monotonic_ns() // 1000 + 1_000_000)
        finally:
            run.stop()
        expected = (seconds - 1) * 1000 / period
        if len(game) < 0.8 * expected:
            raise RuntimeError(f"only {len(game)} frames of the paused game in {seconds} s; was it paused?")
        name = "Normal" if rate == 8 else "Hard"
        game_median, game_p99 = median(game), percentile(game, 99)
        self.row(f"step interval, {name}, median ({len(game)} steps)", f"{game_median:.1f} ms",
                 f"{median(base):.1f} ms", "", f"{period} ms +- 3", abs(game_median - period) <= 3)
        self.row(f"step interval, {name}, 99th percentile", f"{game_p99:.1f} ms", f"{percentile(base, 99):.1f} ms",
                 "", f"<= {period + 10} ms", game_p99 <= period + 10)

    # Frame cost with the longest snake, against the baseline's frame, in one process.

    def frames(self, turns):
        # It loads the game's pictures from img/ under its working folder.
        result = subprocess.run([os.path.join(self.build, "bench", "frame_cost"), str(turns)], cwd=self.folder,
                                env=self.server.env, timeout=600, check=True, stdout=subprocess.PIPE)
        figures = {}
        for line in result.stdout.decode().splitlines():
            kind, _, rest = line.partition(" ")
            figures[kind] = rest
        game_cpu, game_wall = map(int, figures["game"].split()[1:3])
        base_cpu, base_wall = map(int, figures["baseline"].split()[1:3])
        self.renderer = figures.get("renderer", "unknown")
        ratio = game_cpu / base_cpu
        frames = figures["game"].split()[0]
        self.row(f"frame, 1456 segments, CPU (median of {frames})", f"{game_cpu / 1000:.2f} ms",
                 f"{base_cpu / 1000:.2f} ms", f"{ratio:.2f}x", "<= 2x", ratio <= 2)
        self.row("frame, 1456 segments, wall (for reference)", f"{game_wall / 1000:.2f} ms",
                 f"{base_wall / 1000:.2f} ms", f"{game_wall / base_wall:.2f}x", "", True)

    # The picture loader's figures (bench/image_bench.cpp).

    def loader(self):
        exe = os.path.join(self.build, "bench", "image_bench")
        if not os.path.exists(exe):
            self.notes.append("image_bench was not built: no loader figures")
            return []
        result = subprocess.run([exe, "--benchmark_format=json", "--benchmark_min_time=0.3"], check=True,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return [(b["name"], b["real_time"], b["time_unit"], b.get("bytes_per_second", 0) / 2**20)
                for b in json.loads(result.stdout)["benchmarks"]]


def picture_bytes():
    """The bytes of the seventeen pictures once loaded: 3 bytes a pixel."""
    total = 0
    for name in PICTURES:
        with open(os.path.join(SOURCE_DIR, "img", name + ".dat"), "rb") as f:
            head = f.read(26)
        if struct.unpack_from("<I", head, 14)[0] == 12:  # the old core header: 16-bit sizes
            width, height = struct.unpack_from("<HH", head, 18)
        else:
            width, height = struct.unpack_from("<ii", head, 18)
        total += abs(width) * abs(height) * 3
    return total


def machine(renderer, load):
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    return (f"{os.cpu_count()} cores ({model}), {platform.system()} {platform.release()}, "
            f"OpenGL renderer: {renderer}, load average at the start: {load:.2f}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=11, help="start-up runs of each program")
    parser.add_argument("--quick", action="store_true", help="shorter runs, for trying the script")
    args = parser.parse_args()
    load = os.getloadavg()[0]
    bench = Bench(os.path.abspath(args.build))
    try:
        bench.frames(5 if args.quick else 30)
        bench.scaled_frames(5 if args.quick else 30, 1 if args.quick else 5)
        bench.startup(3 if args.quick else args.runs)
        bench.idle(3 if args.quick else 10)
        bench.idle_scaled(3 if args.quick else 10)
        bench.steps("1", 8, 6 if args.quick else 21)
        bench.steps("2", 18, 4 if args.quick else 11)
        loader = bench.loader()
    finally:
        bench.close()

    print(f"Machine: {machine(bench.renderer, load)}")
    print()
    print("| measure | game | baseline | ratio | goal | met |")
    print("|---|---|---|---|---|---|")
    for what, game, base, ratio, goal, met in bench.rows:
        print(f"| {what} | {game} | {base} | {ratio} | {goal} | {met} |")
    for note in bench.notes:
        print(f"\nNote: {note}")
    if loader:
        print()
        print("| picture loader (image_bench) | time | throughput |")
        print("|---|---|---|")
        for name, real, unit, mib in loader:
            print(f"| {name} | {real:.0f} {unit} | {mib:.0f} MiB/s |")


if __name__ == "__main__":
    main()
