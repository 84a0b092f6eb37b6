"""Measures a live run of stillmon under a virtual X server against the device simulator:
CPU use per cycle and over the whole run, per thread, and resident memory. Not a test; run
it by hand:

    python3 scripts/measure/measure_live.py --stillmon build/stillmon --stillsim build/stillsim \
        --minutes 10 [--config still.toml]

With --config every run of stillmon gets the configuration file: run it with and without to
see what the alarms cost.

A second phase keeps the device silent (a pseudo-terminal nobody writes to): the main
thread then mostly waits, and the only cycles are those that complete without data when the
supervisor re-opens the port. With the cycles of both phases counted, the main thread's CPU
time splits into a cost per second of waiting and a cost per cycle of its own work.
"""

import argparse
import os
import sys
import time

# The end-to-end tests' harness (X servers, programs, the simulator) serves here too.
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))

import harness  # noqa: E402
import stillmon_harness  # noqa: E402


def thread_cpu_seconds(pid):
    """CPU seconds per thread name, summed over threads of the same name."""
    totals = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                name = f.read().strip()
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                stat = f.read()
        except FileNotFoundError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        seconds = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        key = name + (" (main)" if tid == str(pid) else "")
        totals[key] = totals.get(key, 0.0) + seconds
    return totals


def main_thread_run_seconds(pid):
    """CPU time of the main thread in nanosecond resolution, from its scheduler statistics."""
    with open(f"/proc/{pid}/task/{pid}/schedstat") as f:
        return int(f.read().split()[0]) / 1e9


def memory_kib(pid):
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(("VmRSS:", "VmHWM:")):
                name, amount, _unit = line.split()
                values[name.rstrip(":")] = int(amount)
    return values


def count_lines(path):
    with open(path, "rb") as f:
        return f.read().count(b"\r\n")


def measure_monitoring(x, directory, seconds, report, options):
    device = stillmon_harness.Simulator(directory)
    with device:
        monitor = stillmon_harness.start_monitor(x, directory, device.link, options=options)
        with monitor:
            log = os.path.join(directory, "Run3.dat")
            harness.wait_until(lambda: os.path.exists(log) and count_lines(log) >= 5, 30,
                               what="five cycles")
            cpu0, threads0, lines0, t0 = (harness.cpu_seconds(monitor.pid),
                                          thread_cpu_seconds(monitor.pid), count_lines(log),
                                          time.monotonic())
            main0 = main_thread_run_seconds(monitor.pid)
            samples = []
            while time.monotonic() - t0 < seconds:
                time.sleep(min(60.0, seconds - (time.monotonic() - t0)))
                samples.append((round(time.monotonic() - t0), memory_kib(monitor.pid)))
                report(f"  {samples[-1][0]:4d} s: {samples[-1][1]}")
            cpu1, threads1, lines1, t1 = (harness.cpu_seconds(monitor.pid),
                                          thread_cpu_seconds(monitor.pid), count_lines(log),
                                          time.monotonic())
            main1 = main_thread_run_seconds(monitor.pid)
            cycles = lines1 - lines0
            wall = t1 - t0
            report(f"monitoring: {wall:.1f} s wall, {cycles} cycles, "
                   f"{cpu1 - cpu0:.2f} s CPU = {100 * (cpu1 - cpu0) / wall:.2f} % of a core, "
                   f"{1000 * (cpu1 - cpu0) / cycles:.2f} ms CPU per cycle (waits included)")
            for name in sorted(threads1):
                used = threads1[name] - threads0.get(name, 0.0)
                report(f"  thread {name}: {used:.2f} s = {1000 * used / cycles:.2f} ms per cycle")
            report(f"  memory at the end: {memory_kib(monitor.pid)}")
            return cycles, wall, main1 - main0


def measure_waiting(x, directory, seconds, report, options):
    """The device stays silent: the cycle waits in its frame read, except for the cycles that
    complete without data when the supervisor re-opens the port."""
    device = stillmon_harness.SilentDevice(directory)
    with device:
        monitor = stillmon_harness.start_monitor(x, directory, device.link, log_name="Idle",
                                                 options=options)
        with monitor:
            log = os.path.join(directory, "Idle3.dat")
            time.sleep(3)
            threads0, lines0, t0 = thread_cpu_seconds(monitor.pid), count_lines(log), time.monotonic()
            main0 = main_thread_run_seconds(monitor.pid)
            time.sleep(seconds)
            threads1, lines1, t1 = thread_cpu_seconds(monitor.pid), count_lines(log), time.monotonic()
            main1 = main_thread_run_seconds(monitor.pid)
            wall = t1 - t0
            report(f"silent device: {wall:.1f} s wall, {lines1 - lines0} cycles without data")
            for name in sorted(threads1):
                used = threads1[name] - threads0.get(name, 0.0)
                report(f"  thread {name}: {used:.3f} s = {100 * used / wall:.3f} % of a core")
            return lines1 - lines0, wall, main1 - main0


def measure_cycle_work(x, directory, frames, report, options):
    """The test plays the device, so it knows when each frame goes out: the main thread's CPU
    time in the 0.3 s after a frame (the cycle's work and some waiting) less that in a later
    0.3 s of the same gap (waiting only) is the cycle's own work."""
    device = stillmon_harness.FakeDevice(directory, link_name="com5")
    with device:
        monitor = stillmon_harness.start_monitor(x, directory, device.link, port="5",
                                                 log_name="Work", options=options)
        with monitor:
            device.wait_for_reader()
            monitor.window()
            work, waiting = [], []
            due = time.monotonic()
            for record in range(1, frames + 1):
                elements = [1250, 1400, 1420, 1560, 400, 410, 390, 300, 100, 200, 300, 400,
                            1234, 25, 810, 96 * 256, 0x2D07, 0x0E1E, record]
                due += 0.85
                time.sleep(max(0.0, due - time.monotonic()))
                readings = [main_thread_run_seconds(monitor.pid)]
                device.send(stillmon_harness.frame_from_elements(elements))
                for offset in (0.3, 0.35, 0.65):
                    time.sleep(max(0.0, due + offset - time.monotonic()))
                    readings.append(main_thread_run_seconds(monitor.pid))
                if record > 3:  # the first cycles scroll and settle
                    waiting.append(readings[3] - readings[2])  # 0.3 s, as the first window
                    work.append((readings[1] - readings[0]) - (readings[3] - readings[2]))
            work.sort()
            report(f"cycle work over {len(work)} frames: median {1000 * work[len(work) // 2]:.2f} ms, "
                   f"lowest {1000 * work[0]:.2f} ms, highest {1000 * work[-1]:.2f} ms of main-thread "
                   f"CPU; waiting {100 * sum(waiting) / (0.3 * len(waiting)):.3f} % of a core")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--stillmon", required=True)
    parser.add_argument("--stillsim", required=True)
    parser.add_argument("--minutes", type=float, default=10.0)
    parser.add_argument("--silent-seconds", type=float, default=60.0)
    parser.add_argument("--work-frames", type=int, default=60)
    parser.add_argument("--config", help="stillmon's configuration file (alarms)")
    arguments = parser.parse_args()
    options = ("--config", os.path.abspath(arguments.config)) if arguments.config else ()
    stillmon_harness.STILLMON = os.path.abspath(arguments.stillmon)
    stillmon_harness.STILLSIM = os.path.abspath(arguments.stillsim)

    def report(text):
        print(text, flush=True)

    with harness.Xvfb() as x, harness.temporary_directory() as directory:
        cycles_a, wall_a, main_a = measure_monitoring(x, directory, 60.0 * arguments.minutes,
                                                      report, options)
        cycles_b, wall_b, main_b = measure_waiting(x, directory, arguments.silent_seconds,
                                                   report, options)
        measure_cycle_work(x, directory, arguments.work_frames, report, options)
    report(f"main thread while monitoring: {1000 * main_a / cycles_a:.2f} ms CPU per cycle "
           f"({100 * main_a / wall_a:.3f} % of a core); with the device silent "
           f"{100 * main_b / wall_b:.3f} % of a core ({cycles_b} cycles without data)")

if __name__ == "__main__":
    main()
