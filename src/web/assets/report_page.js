// The report of a saved run: the summary is in the page already; this draws the run's charts
// from the records inlined in #run-records as {"fields": [names], "rows": [[values], ...]},
// the compact form of the records the live page fetches as objects, and marks on every chart
// the records where a session began after another, the operator made a mark, or an alarm
// fired or cleared, from #chart-marks: [{"x": the record's index, "kind": "session",
// "session": its number, "label": "session N"}, ..., {"x": ..., "kind": "mark", "label": its
// text}, ..., {"x": ..., "kind": "fired" or "cleared", "alarm": its name}, ...].
'use strict';

(() => {
  const data = JSON.parse(document.getElementById('run-records').textContent);
  const fields = data.fields;
  const records = data.rows.map(row => {
    const record = {};
    for (let i = 0; i < fields.length; ++i) record[fields[i]] = row[i];
    return record;
  });
  const marks = JSON.parse(document.getElementById('chart-marks').textContent);
  if (marks.length) {
    // A plugin of this page alone (registered before the charts exist, so every chart has
    // it): the live page's charts, drawn by the same script, carry no marks. Sessions and
    // marks are solid lines with their label beside them, alarms dashed.
    const colours = {session: 'rgb(0, 90, 220)', mark: 'rgb(150, 0, 190)',
                     fired: 'rgb(230, 0, 0)', cleared: 'rgb(0, 150, 0)'};
    Chart.register({
      id: 'chartMarks',
      afterDatasetsDraw(chart) {
        const {ctx, chartArea: area, scales: {x}} = chart;
        ctx.save();
        ctx.beginPath();  // a label near the right end stays inside the plot
        ctx.rect(area.left, area.top, area.right - area.left, area.bottom - area.top);
        ctx.clip();
        ctx.lineWidth = 1;
        ctx.font = '11px sans-serif';
        ctx.textBaseline = 'top';
        for (const mark of marks) {
          ctx.setLineDash(mark.alarm === undefined ? [] : [6, 3]);
          // On a whole pixel's middle, so that the line keeps its colour.
          const at = Math.round(x.getPixelForValue(mark.x)) + 0.5;
          if (at < area.left || at > area.right) continue;
          ctx.strokeStyle = ctx.fillStyle = colours[mark.kind];
          ctx.beginPath();
          ctx.moveTo(at, area.top);
          ctx.lineTo(at, area.bottom);
          ctx.stroke();
          if (mark.label) ctx.fillText(mark.label, at + 3, area.top + 2);
        }
        ctx.restore();
      },
    });
  }
  StillmonCharts.create(document.getElementById('charts'), records);
})();
