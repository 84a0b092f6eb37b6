"""CPU of live runs side by side, each against a simulator of its own under one virtual X
server, one run per configuration: what a configuration costs, measured beside a run
without one in the same minutes, so both share the machine's noise. Not a test; run it by
hand:

    python3 scripts/measure/side_by_side.py --stillmon build/stillmon --stillsim build/stillsim \
        --seconds 120 none ten-rules=still.toml

Each NAME=FILE is a run with --config FILE; a bare name is a run without one. With
--mark-every S, the runs named with --marking get F3 (a mark in the run's journal) every S
seconds while they are measured: what the marks cost, beside a run without them.
"""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))

import harness  # noqa: E402
import stillmon_harness as sh  # noqa: E402

SETTLE_S = 15  # the window's first pictures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--stillmon", required=True)
    parser.add_argument("--stillsim", required=True)
    parser.add_argument("--seconds", type=float, default=120.0)
    parser.add_argument("--mark-every", type=float, default=0.0)
    parser.add_argument("--marking", action="append", default=[], help="a run's NAME")
    parser.add_argument("runs", nargs="+", help="NAME or NAME=CONFIG_FILE")
    arguments = parser.parse_args()
    sh.STILLMON = os.path.abspath(arguments.stillmon)
    sh.STILLSIM = os.path.abspath(arguments.stillsim)

    with harness.Xvfb() as x, harness.temporary_directory() as directory:
        runs = {}
        try:
            for run in arguments.runs:
                name, _, config = run.partition("=")
                folder = os.path.join(directory, name)
                os.makedirs(folder)
                simulator = sh.Simulator(folder, "--skip", "3600")
                options = ("--config", os.path.abspath(config)) if config else ()
                runs[name] = (simulator, sh.Monitor(x, folder, simulator.link, options=options))
            time.sleep(SETTLE_S)
            before = {name: harness.cpu_seconds(m.pid) for name, (_, m) in runs.items()}
            marked = [runs[name][1].window() for name in arguments.marking]
            end = time.monotonic() + arguments.seconds
            while arguments.mark_every > 0 and time.monotonic() + arguments.mark_every < end:
                time.sleep(arguments.mark_every)
                for window in marked:
                    x.send_keys(window, "F3")
            time.sleep(max(0.0, end - time.monotonic()))
            for name, (_, monitor) in runs.items():
                used = harness.cpu_seconds(monitor.pid) - before[name]
                print(f"{name:16s} {100 * used / arguments.seconds:.3f} % of a core")
        finally:
            for simulator, monitor in runs.values():
                monitor.stop()
                simulator.stop()


if __name__ == "__main__":
    main()
