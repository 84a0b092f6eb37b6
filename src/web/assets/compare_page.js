// Runs side by side: a chart a channel, each run a dataset in its colour over the seconds from
// its alignment point, from #compare-data: {"axis": the x axis's title, "channels": [titles],
// "runs": [{"name", "colour", "marks": [{"x", "text"}], "series": [[x, y, x, y...] a channel]}]}.
// The points are thinned already (min and max per bucket), so Chart.js draws them as they are.
'use strict';

(() => {
  const data = JSON.parse(document.getElementById('compare-data').textContent);

  // Each run's marks as dashed lines in its colour, named at the top on the first chart.
  const markLines = {
    id: 'runMarks',
    afterDatasetsDraw(chart) {
      const {ctx, chartArea: area, scales: {x}} = chart;
      ctx.save();
      ctx.beginPath();
      ctx.rect(area.left, area.top, area.right - area.left, area.bottom - area.top);
      ctx.clip();
      ctx.lineWidth = 1;
      ctx.setLineDash([6, 3]);
      ctx.font = '11px sans-serif';
      ctx.textBaseline = 'top';
      data.runs.forEach((run, r) => {
        if (!chart.isDatasetVisible(r)) return;
        ctx.strokeStyle = ctx.fillStyle = run.colour;
        for (const mark of run.marks) {
          const at = Math.round(x.getPixelForValue(mark.x)) + 0.5;
          ctx.beginPath();
          ctx.moveTo(at, area.top);
          ctx.lineTo(at, area.bottom);
          ctx.stroke();
          if (chart.canvas.id === 'chart-0') ctx.fillText(mark.text, at + 3, area.top + 2 + 12 * r);
        }
      });
      ctx.restore();
    },
  };

  const container = document.getElementById('charts');
  data.channels.forEach((title, c) => {
    const box = document.createElement('div');
    box.className = 'run-chart';
    const canvas = document.createElement('canvas');
    canvas.id = 'chart-' + c;
    box.appendChild(canvas);
    container.appendChild(box);
    const datasets = data.runs.map(run => {
      const flat = run.series[c];
      const points = [];
      for (let i = 0; i < flat.length; i += 2) {
        points.push({x: flat[i], y: flat[i + 1] === null ? NaN : flat[i + 1]});
      }
      return {label: run.name, data: points, borderColor: run.colour,
              backgroundColor: run.colour, borderWidth: 1, pointRadius: 0};
    });
    new Chart(canvas, {
      type: 'line',
      data: {datasets},
      options: {
        animation: false, parsing: false, normalized: true, maintainAspectRatio: false,
        interaction: {mode: 'nearest', axis: 'x', intersect: false},
        plugins: {title: {display: true, text: title}},
        scales: {x: {type: 'linear', title: {display: true, text: data.axis}},
                 y: {afterFit: axis => { axis.width = 48; }}},
      },
      plugins: [markLines],
    });
  });
})();
