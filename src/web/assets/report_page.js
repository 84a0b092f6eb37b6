// The report of a saved run: the summary is in the page already; this draws the run's charts
// from the records inlined in #run-records as {"fields": [names], "rows": [[values], ...]},
// the compact form of the records the live page fetches as objects, and draws on every chart
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
  // Drawn by the charts' own lines, in the live page's colours for each kind.
  const kinds = {session: 'session-start', fired: 'firing'};
  const lines = JSON.parse(document.getElementById('chart-marks').textContent)
      .map(mark => ({index: mark.x, label: mark.label ?? mark.alarm,
                     kind: kinds[mark.kind] ?? mark.kind}));
  StillmonCharts.create(document.getElementById('charts'), records).setLines('report', lines);
})();
