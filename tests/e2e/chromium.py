"""Pages loaded in headless Chromium (Debian's `chromium`): a screenshot, or the page's DOM once
its scripts have run, with a script of the test's own added to the page first. Virtual time
lets the page settle without a fixed wait: Chromium ends once the page is idle or the budget
is spent.
"""

import os
import subprocess
import tempfile

import harness

# For each chart of the page: the pixels of its plot area (without title, legend and axes)
# that are not grey, and where that area lies on the page (x, y, width, height). The charts'
# grid and labels are grey or black, their data lines in colour. Appended to the page as
# JSON in <pre id="chart-pixels">.
CHART_PIXELS_SCRIPT = """
addEventListener('load', () => {
  const charts = {};
  for (const canvas of document.querySelectorAll('canvas')) {
    const chart = Chart.getChart(canvas);
    const scale = chart.currentDevicePixelRatio;
    const {left, top, right, bottom} = chart.chartArea;
    const pixels = canvas.getContext('2d').getImageData(
      left * scale, top * scale, (right - left) * scale, (bottom - top) * scale).data;
    let coloured = 0;
    for (let i = 0; i < pixels.length; i += 4) {
      if (is_coloured(pixels[i], pixels[i + 1], pixels[i + 2])) ++coloured;
    }
    const box = canvas.getBoundingClientRect();
    charts[canvas.id] = {coloured, area: [box.left + scrollX + left, box.top + scrollY + top,
                                          right - left, bottom - top].map(Math.round)};
  }
  const out = document.createElement('pre');
  out.id = 'chart-pixels';
  out.textContent = JSON.stringify(charts);
  document.body.appendChild(out);
});
function is_coloured(r, g, b) { return Math.max(r, g, b) - Math.min(r, g, b) > 40; }
"""
WINDOW = (1280, 1800)


def is_coloured(rgb):
    return max(rgb) - min(rgb) > 40


def run(url, *options, budget_ms=10000, timeout_s=60):
    """Chromium's standard output for the page; without a budget, in real time (the DOM is
    dumped once the page has loaded)."""
    harness.require_tools("chromium")
    budget = [] if budget_ms is None else [f"--virtual-time-budget={budget_ms}"]
    with tempfile.TemporaryDirectory(prefix="stillmon-chromium-") as profile:
        result = subprocess.run(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             f"--user-data-dir={profile}", *budget, *options, url],
            capture_output=True, timeout=timeout_s)
    if result.returncode != 0:
        raise harness.HarnessError(f"chromium failed ({result.returncode}): "
                                   f"{result.stderr.decode(errors='replace')[-2000:]}")
    return result.stdout.decode(errors="replace")


def screenshot(path, png_path):
    run("file://" + os.path.abspath(path), "--hide-scrollbars",
        "--window-size={},{}".format(*WINDOW), f"--screenshot={png_path}")
    return harness.read_png(png_path)


def dom_with_script(path, script, budget_ms=10000):
    """The DOM of the page at `path` (a file) with the script added at the end of its body."""
    with open(path, encoding="utf-8") as f:
        page = f.read()
    probe = path + ".probe.html"
    with open(probe, "w", encoding="utf-8") as f:
        f.write(page.replace("</body>", f"<script>{script}</script></body>"))
    try:
        return run("file://" + os.path.abspath(probe), "--hide-scrollbars",
                   "--window-size={},{}".format(*WINDOW), "--dump-dom", budget_ms=budget_ms)
    finally:
        os.remove(probe)
