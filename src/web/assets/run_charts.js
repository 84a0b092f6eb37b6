// stillmon's charts of a run: temperatures, liquid and vapour strength, stages, reflux ratio,
// valve and flow, over the cycle index, with zoom on the x range (drag across a chart, or the
// buttons) shared by all charts. Needs Chart.js 3 loaded first.
//
// How it is fed: an array of cycle records in the JSON form of src/web/record_json.h, oldest
// first, each with its "index" in the run:
//   const charts = StillmonCharts.create(document.getElementById('charts'), records);
//   charts.append(newerRecords);
// The live page appends what /api/history?since=<charts.lastIndex()> returns every few
// seconds; a report of a saved run inlines all its records in the page and calls create() once.
// charts.setLines(group, lines) draws each of `lines`, [{index, label, kind}], as a vertical
// line at its cycle index on every chart, labelled, in the colour of its kind: red where an
// alarm fired ("firing"), green where it cleared ("cleared"), blue at an operator's mark
// ("mark"), grey and dashed where a session began ("session-start"). Each group ("alarms",
// "journal") replaces the lines it drew before. charts.setMarks(marks) is the "alarms" group of
// the marks of /api/alarms.
'use strict';

const StillmonCharts = (() => {
  const temperatureNames = ['Tank', '1st stage', '2nd stage', 'Steam', 'Top HE', 'Centre',
                            'Bottom HE', 'Out water'];
  const colours = ['#d62728', '#ff7f0e', '#bcbd22', '#2ca02c', '#17becf', '#1f77b4',
                   '#9467bd', '#8c564b'];

  // Each chart: its datasets, each with how to take its value from a record (undefined: no
  // point in this cycle; NaN: a gap in the line).
  const layouts = [
    {id: 'temperatures', title: 'Temperatures (\u00b0C)',
     series: temperatureNames.map((name, c) => ({label: name, colour: colours[c],
                                                 value: r => r.temperatures[c]}))},
    {id: 'strengths', title: 'Strength (% by volume)',
     series: [{label: 'Liquid (tank)', colour: '#1f77b4', value: r => r.liquid_strength},
              {label: 'Vapour (steam)', colour: '#d62728', value: r => r.vapour_strength}]},
    {id: 'stages', title: 'Stages',
     series: [{label: 'Stages', colour: '#2ca02c',
               value: r => (r.stages === null ? NaN : r.stages)}]},
    {id: 'reflux', title: 'Reflux ratio (at the end of each period)',
     series: [{label: 'Reflux ratio', colour: '#9467bd', points: true,
               value: r => (r.reflux_ratio === null ? undefined : r.reflux_ratio)}]},
    {id: 'valve-flow', title: 'Valve and flow',
     series: [{label: 'Valve', colour: '#ff7f0e', value: r => r.valve},
              {label: 'Flow', colour: '#17becf', axis: 'flow', value: r => r.flow}]},
  ];

  const lineColours = {firing: '#c62828', cleared: '#1a7f37', mark: '#1f4fd6',
                       'session-start': '#666'};
  const labelRows = 3;  // labels of lines close together step down rather than overprint

  const pushBlock = 10000;  // points per push(): far below the engines' argument limits

  // Room on the x axis for one time label at its longest and a gap. Chart.js's own skipping
  // counts on labels at both ends of the axis; where its ticks leave an end empty, labels
  // run together on a phone's width.
  const timeLabelRoom = (() => {
    const context = document.createElement('canvas').getContext('2d');
    context.font = Chart.helpers.toFont(Chart.defaults.font).string;
    return context.measureText('00:00:00_000').width + 20;
  })();

  function create(container, records) {
    const times = new Map();  // index -> device time, for the x axis labels
    let firstIndex = null;
    let lastIndex = 0;
    let range = {kind: 'all'};
    const charts = [];
    const lineGroups = new Map();  // group -> its lines

    // Over the traces, clipped to the plot area, each line's label beside its top.
    const linePlugin = {
      id: 'stillmonLines',
      afterDatasetsDraw(chart) {
        const lines = [...lineGroups.values()].flat();
        if (!lines.length) return;
        const {ctx, chartArea: area, scales: {x}} = chart;
        ctx.save();
        ctx.beginPath();
        ctx.rect(area.left, area.top, area.right - area.left, area.bottom - area.top);
        ctx.clip();
        ctx.lineWidth = 2;
        ctx.font = '11px sans-serif';
        ctx.textBaseline = 'top';
        lines.forEach((line, k) => {
          // On a whole pixel's middle, so that the line keeps its colour.
          const at = Math.round(x.getPixelForValue(line.index)) + 0.5;
          ctx.strokeStyle = ctx.fillStyle = lineColours[line.kind] ?? '#555';
          ctx.setLineDash(line.kind === 'session-start' ? [6, 3] : []);
          ctx.beginPath();
          ctx.moveTo(at, area.top);
          ctx.lineTo(at, area.bottom);
          ctx.stroke();
          ctx.fillText(line.label, at + 3, area.top + 2 + 13 * (k % labelRows));
        });
        ctx.restore();
      },
    };

    const toolbar = document.createElement('div');
    toolbar.className = 'run-charts-toolbar';
    const buttons = [['Whole run', () => setRange({kind: 'all'})],
                     ['Last hour', () => setRange({kind: 'last', count: 3600})],
                     ['Last 10 min', () => setRange({kind: 'last', count: 600})],
                     ['Zoom out', () => zoomOut()]];
    for (const [text, action] of buttons) {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = text;
      button.addEventListener('click', action);
      toolbar.appendChild(button);
    }
    const hint = document.createElement('span');
    hint.textContent = 'Drag across a chart to zoom in.';
    toolbar.appendChild(hint);
    container.appendChild(toolbar);

    for (const layout of layouts) {
      const box = document.createElement('div');
      box.className = 'run-chart';
      const canvas = document.createElement('canvas');
      canvas.id = 'chart-' + layout.id;
      const selection = document.createElement('div');
      selection.className = 'run-chart-selection';
      box.append(canvas, selection);
      container.appendChild(box);
      const scales = {
        // Ticks at least a label's room apart: the "nice" steps Chart.js picks are never
        // narrower than the axis's width over one tick less than the limit.
        x: {type: 'linear', ticks: {maxRotation: 0, autoSkipPadding: 20, includeBounds: false,
                                    maxTicksLimit: ({scale}) =>
                                      Math.floor(scale.width / timeLabelRoom) + 1,
                                    callback: value => times.get(value) ?? ''}},
        // Axes of one width on every chart, so that their plot areas line up.
        y: {position: 'left', afterFit: axis => { axis.width = 48; }},
      };
      const rightAxis = layout.series.some(s => s.axis);
      if (rightAxis) {
        scales.flow = {position: 'right', afterFit: axis => { axis.width = 40; },
                       grid: {drawOnChartArea: false}};
      }
      const chart = new Chart(canvas, {
        type: 'line',
        data: {datasets: layout.series.map(s => ({
          label: s.label, data: [], borderColor: s.colour, backgroundColor: s.colour,
          borderWidth: 1, pointRadius: s.points ? 2 : 0, showLine: true,
          yAxisID: s.axis || 'y'}))},
        options: {
          animation: false, parsing: false, normalized: true, maintainAspectRatio: false,
          layout: {padding: {right: rightAxis ? 0 : 40}},
          interaction: {mode: 'nearest', axis: 'x', intersect: false},
          plugins: {title: {display: true, text: layout.title},
                    decimation: {enabled: true, algorithm: 'min-max'},
                    tooltip: {callbacks: {title: items => items.length ?
                      'Cycle ' + items[0].parsed.x + '  ' + (times.get(items[0].parsed.x) ?? '')
                      : ''}}},
          scales,
        },
        plugins: [linePlugin],
      });
      charts.push({chart, layout});
      watchDrag(canvas, selection, chart);
    }

    function watchDrag(canvas, selection, chart) {
      let start = null;
      const place = (from, to) => {
        selection.style.left = Math.min(from, to) + 'px';
        selection.style.width = Math.abs(to - from) + 'px';
      };
      canvas.addEventListener('mousedown', event => {
        start = event.offsetX;
        place(start, start);
        selection.style.display = 'block';
      });
      canvas.addEventListener('mousemove', event => {
        if (start !== null) place(start, event.offsetX);
      });
      const finish = event => {
        if (start === null) return;
        selection.style.display = 'none';
        const from = Math.min(start, event.offsetX);
        const to = Math.max(start, event.offsetX);
        start = null;
        if (to - from < 5) return;
        const x = chart.scales.x;
        setRange({kind: 'fixed', min: Math.floor(x.getValueForPixel(from)),
                  max: Math.ceil(x.getValueForPixel(to))});
      };
      canvas.addEventListener('mouseup', finish);
      canvas.addEventListener('mouseleave', finish);
    }

    function zoomOut() {
      const x = charts[0].chart.scales.x;
      const width = x.max - x.min;
      if (firstIndex === null || x.min - width <= firstIndex && x.max + width >= lastIndex) {
        setRange({kind: 'all'});
      } else {
        setRange({kind: 'fixed', min: Math.round(x.min - width / 2),
                  max: Math.round(x.max + width / 2)});
      }
    }

    function setRange(wanted) {
      range = wanted;
      redraw();
    }

    // Every chart spans the same x range, the whole run unless zoomed, so that a cycle stands
    // at the same place on each, whatever points a chart has (the reflux ratio has few).
    function redraw() {
      let min = firstIndex ?? undefined;
      let max = lastIndex || undefined;
      if (range.kind === 'last') {
        max = lastIndex;
        min = Math.max(firstIndex ?? 1, lastIndex - range.count + 1);
      } else if (range.kind === 'fixed') {
        ({min, max} = range);
      } else if (firstIndex !== null) {
        // The whole run on every chart, so that a cycle stands at the same place in each,
        // also where a chart's points start late or come seldom (the reflux ratio's).
        min = firstIndex;
        max = lastIndex;
      }
      for (const {chart} of charts) {
        chart.options.scales.x.min = min;
        chart.options.scales.x.max = max;
        chart.update('none');
      }
    }

    // Every dataset of every chart, with how it takes its value from a record.
    const columns = charts.flatMap(({chart, layout}) =>
      layout.series.map((s, i) => ({chart, i, value: s.value})));

    function append(newer) {
      const fresh = columns.map(() => []);
      for (const r of newer) {
        if (r.index <= lastIndex) continue;
        if (firstIndex === null) firstIndex = r.index;
        lastIndex = r.index;
        times.set(r.index, r.device_time);
        for (let k = 0; k < columns.length; ++k) {
          const y = columns[k].value(r);
          if (y !== undefined) fresh[k].push({x: r.index, y: y === null ? NaN : y});
        }
      }
      // Chart.js keeps the array it was given (and decimates from it), so points go into that
      // array, never into a dataset's shown data. It hears of every push() into it and takes
      // in each push's points as one step at the next update: one push per block of points,
      // not per point, or a whole run's points take seconds.
      columns.forEach(({chart, i}, k) => {
        const data = chartData(chart, i);
        for (let at = 0; at < fresh[k].length; at += pushBlock) {
          data.push(...fresh[k].slice(at, at + pushBlock));
        }
      });
      if (newer.length) redraw();
    }

    // The decimation plugin keeps the array first given as dataset._data once it decimates.
    function chartData(chart, i) {
      const dataset = chart.data.datasets[i];
      return dataset._data || dataset.data;
    }

    function setLines(group, lines) {
      lineGroups.set(group, lines);
      for (const {chart} of charts) chart.draw();
    }

    function setMarks(marks) {
      setLines('alarms', marks.map(m => ({index: m.index, label: m.alarm, kind: m.state})));
    }

    append(records);
    return {append, setLines, setMarks, lastIndex: () => lastIndex,
            charts: charts.map(c => c.chart)};
  }

  return {create};
})();
