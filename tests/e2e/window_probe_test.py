"""End-to-end tests of the chart window through the window probe: what the window shows,
its title, the keys it delivers, and the console keys of a run without a display.

The probe's path comes in WINDOW_PROBE; the configured small-screen machine name in
STILLMON_SMALL_SCREEN_NAME (default "STILLMON-SMALL").
"""

import os
import shlex
import unittest

import harness

PROBE = os.environ.get("WINDOW_PROBE", "")
SMALL_MACHINE = os.environ.get("STILLMON_SMALL_SCREEN_NAME", "STILLMON-SMALL")
LIVE_TITLE = "USB CDC USART out to Graf on http://127.0.0.1:8080/"
REPLAY_TITLE = "Saved Log Data Out to Graf on http://127.0.0.1:8080/"


def key_line(*byte_values):
    return "key " + "".join(f"{b:02x}" for b in byte_values)


def probe_env(base, computer_name=None):
    env = dict(base)
    env.pop("COMPUTERNAME", None)
    if computer_name is not None:
        env["COMPUTERNAME"] = computer_name
    return env


class ProbeTestCase(harness.EndToEndTest):
    def setUp(self):
        if not PROBE or not os.access(PROBE, os.X_OK):
            self.fail("WINDOW_PROBE must name the built window_probe program")
        self.directory = harness.temporary_directory()
        self.addCleanup(self.directory.cleanup)
        self.dir = self.directory.name

    def start_x(self):
        x = harness.Xvfb()
        self.addCleanup(x.close)
        return x

    def start_probe(self, x, *arguments, computer_name=None):
        program = harness.Program([PROBE, *arguments],
                                  env=probe_env(x.env(), computer_name), cwd=self.dir)
        self.addCleanup(program.stop)
        return program


class WindowPixels(ProbeTestCase):
    def check_window_equals_surface(self, computer_name, size):
        x = self.start_x()
        dump = os.path.join(self.dir, "surface.png")
        probe = self.start_probe(x, "--count", "4", "--dump", dump, "--timeout", "60",
                                 computer_name=computer_name)
        probe.output.wait_for(r"^window \d+x\d+$")
        probe.output.wait_for(r"^drawn 4$")
        window = x.find_window("Graf on")
        self.assertEqual(x.window_size(window), size)

        surface = harness.Png(dump)
        self.assertEqual((surface.width, surface.height), size)
        expected = harness.image_from_indices(surface.width, surface.height, surface.indices())
        # Every colour of the dump is one of the 16 basic colours, exactly.
        self.assertLessEqual(expected.colours(), {bytes(c) for c in harness.BASIC_PALETTE})
        self.assertGreaterEqual(len(expected.colours()), 16)

        shown = x.screenshot(window)
        count, first = shown.differences(expected)
        self.assertEqual(count, 0, f"{count} pixels differ, first: {first}")

    def test_large_window_shows_the_surface_pixel_for_pixel(self):
        self.check_window_equals_surface(None, (1280, 1024))

    def test_other_machine_names_take_the_large_window(self):
        self.check_window_equals_surface(SMALL_MACHINE.lower(), (1280, 1024))

    def test_small_machine_window_shows_the_surface_pixel_for_pixel(self):
        self.check_window_equals_surface(SMALL_MACHINE, (1024, 768))


class WindowTitle(ProbeTestCase):
    def test_titles_name_the_mode(self):
        for mode, title in (("live", LIVE_TITLE), ("replay", REPLAY_TITLE)):
            with self.subTest(mode=mode):
                x = self.start_x()
                probe = self.start_probe(x, "--title-mode", mode, "--count", "1")
                probe.output.wait_for(r"^drawn 1$")
                window = x.find_window("Graf on")
                self.assertEqual(x.window_name(window), title)
                x.close()


class WindowKeys(ProbeTestCase):
    def test_each_key_arrives_once_with_its_text(self):
        x = self.start_x()
        dump = os.path.join(self.dir, "surface.png")
        probe = self.start_probe(x, "--count", "2", "--dump", dump, "--small")
        probe.output.wait_for(r"^drawn 2$")
        window = x.find_window("Graf on")
        x.focus(window)
        x.send_keys(window, "q", "Q", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                    "period", "space", "Return", "KP_Enter", "Escape", "Up", "Left", "Next",
                    "F1", "F12")
        probe.output.wait_for(r"^Snapshot saved: ")
        x.type_text(window, "4.5x", check=False)
        self.assertEqual(probe.wait(), 0)

        expected = (
            [key_line(ord(c)) for c in "qQ0123456789. "]
            + [key_line(0x0D), key_line(0x0D), key_line(0x1B), key_line(0xFF, 0x48),
               key_line(0xFF, 0x4B), key_line(0xFF, 0x51), key_line(0xFF, 0x3B),
               key_line(0xFF, 0x86)]
            + [key_line(ord(c)) for c in "4.5x"])
        lines = probe.output.all()
        keys = [line for line in lines if line.startswith("key ")]
        self.assertEqual(keys, expected)

        # F12 saved the window's content, named by the time, and nothing else came of it.
        saved = [line for line in lines if line.startswith("Snapshot saved: ")]
        self.assertEqual(len(saved), 1)
        name = saved[0][len("Snapshot saved: "):]
        self.assertRegex(name, r"^stillmon-\d{8}-\d{6}\.png$")
        snapshot = harness.read_png(os.path.join(self.dir, name))
        self.assertEqual(snapshot.differences(harness.read_png(dump))[0], 0)
        self.assertEqual(lines.index(saved[0]), lines.index(key_line(0xFF, 0x86)) + 1)

    def test_closing_the_window_is_a_key_not_an_end(self):
        x = self.start_x()
        probe = self.start_probe(x, "--count", "1")
        probe.output.wait_for(r"^drawn 1$")
        window = x.find_window("Graf on")
        x.request_close(window)
        probe.output.wait_for("^" + key_line(0xFF, 0x6B) + "$")
        # The window is still there and still takes keys.
        self.assertEqual(x.find_window("Graf on"), window)
        x.focus(window)
        x.send_keys(window, "x", check=False)
        self.assertEqual(probe.wait(), 0)
        keys = [line for line in probe.output.all() if line.startswith("key ")]
        self.assertEqual(keys, [key_line(0xFF, 0x6B), key_line(ord("x"))])


class HeadlessKeys(ProbeTestCase):
    def run_in_terminal(self, *arguments):
        out = os.path.join(self.dir, "out.txt")
        modes = os.path.join(self.dir, "modes.txt")
        command = (f"stty -a > {shlex.quote(modes)}.before; "
                   f"{shlex.quote(PROBE)} {' '.join(shlex.quote(a) for a in arguments)} "
                   f"> {shlex.quote(out)} 2>&1; echo exit=$? >> {shlex.quote(out)}; "
                   f"stty -a > {shlex.quote(modes)}.after; sleep 60")
        terminal = harness.Tmux(command, env=harness.environment_without_display(),
                                cwd=self.dir, output_files=(out,))
        self.addCleanup(terminal.close)
        return terminal, out, modes

    read = staticmethod(harness.read_lines)

    def test_console_keys_arrive_with_their_texts(self):
        dump = os.path.join(self.dir, "surface.png")
        terminal, out, modes = self.run_in_terminal("--count", "2", "--dump", dump)
        harness.wait_until(lambda: "drawn 2" in self.read(out), 20, what="the probe's frames")
        lines = self.read(out)
        self.assertIn("No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running without"
                      " a window; keys from the console", lines)
        self.assertIn("headless 1280x1024", lines)

        terminal.send_keys("7")
        harness.wait_until(lambda: key_line(0x37) in self.read(out), 10, what="key 7")
        terminal.send_keys("Up")
        harness.wait_until(lambda: key_line(0xFF, 0x48) in self.read(out), 10, what="Up")
        terminal.send_keys("Escape")
        harness.wait_until(lambda: key_line(0x1B) in self.read(out), 10, what="Esc")
        terminal.send_keys("F12")
        harness.wait_until(lambda: any(l.startswith("Snapshot saved: ") for l in self.read(out)),
                           10, what="the snapshot")
        terminal.send_keys("Enter", "x")
        harness.wait_until(lambda: "exit=0" in self.read(out), 10, what="the probe's end")

        keys = [line for line in self.read(out) if line.startswith("key ")]
        self.assertEqual(keys, [key_line(0x37), key_line(0xFF, 0x48), key_line(0x1B),
                                key_line(0xFF, 0x86), key_line(0x0D), key_line(0x78)])
        saved = next(l for l in self.read(out) if l.startswith("Snapshot saved: "))
        snapshot = harness.read_png(os.path.join(self.dir, saved[len("Snapshot saved: "):]))
        self.assertEqual(snapshot.differences(harness.read_png(dump))[0], 0)

        # The terminal is back in the mode it had.
        harness.wait_until(lambda: os.path.exists(modes + ".after"), 10, what="stty")
        with open(modes + ".before") as before, open(modes + ".after") as after:
            self.assertEqual(before.read(), after.read())

    def test_keys_typed_in_a_burst_arrive_in_order(self):
        terminal, out, _ = self.run_in_terminal("--count", "1")
        harness.wait_until(lambda: "drawn 1" in self.read(out), 20, what="the probe's frames")
        terminal.send_keys("-l", "45.5")
        terminal.send_keys("Enter", "Down", "Escape", "q", "x")
        harness.wait_until(lambda: "exit=0" in self.read(out), 10, what="the probe's end")
        keys = [line for line in self.read(out) if line.startswith("key ")]
        self.assertEqual(keys, [key_line(ord(c)) for c in "45.5"]
                         + [key_line(0x0D), key_line(0xFF, 0x50), key_line(0x1B),
                            key_line(ord("q")), key_line(ord("x"))])


class HeadlessIdle(ProbeTestCase):
    def test_idles_without_cpu_when_input_has_ended(self):
        probe = harness.Program([PROBE, "--count", "1", "--timeout", "30"],
                                env=harness.environment_without_display(), cwd=self.dir)
        self.addCleanup(probe.stop)
        probe.output.wait_for(r"^headless 1280x1024$")
        probe.output.wait_for(r"^drawn 1$")
        share = harness.cpu_share(probe.pid, 3.0)
        self.assertLess(share, 0.01, f"{share:.2%} of a core while idle")
        self.assertIsNone(probe.process.poll())


if __name__ == "__main__":
    unittest.main()
