// The report of a saved run: the summary is in the page already; this draws the run's charts
// from the records inlined in #run-records as {"fields": [names], "rows": [[values], ...]},
// the compact form of the records the live page fetches as objects, and draws on every chart
// the lines of #chart-marks (where a session began after another, the operator made a mark,
// an alarm fired or cleared) as the live page draws its own: [{"index", "kind", "label"}, ...].
'use strict';

(() => {
  const data = JSON.parse(document.getElementById('run-records').textContent);
  const fields = data.fields;
  const records = data.rows.map(row => {
    const record = {};
    for (let i = 0; i < fields.length; ++i) record[fields[i]] = row[i];
    return record;
  });
  StillmonCharts.create(document.getElementById('charts'), records)
      .setLines('report', JSON.parse(document.getElementById('chart-marks').textContent));
})();
