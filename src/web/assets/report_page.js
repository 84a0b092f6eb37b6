// The report of a saved run: the summary is in the page already; this draws the run's charts
// from the records inlined in #run-records as {"fields": [names], "rows": [[values], ...]},
// the compact form of the records the live page fetches as objects.
'use strict';

(() => {
  const data = JSON.parse(document.getElementById('run-records').textContent);
  const fields = data.fields;
  const records = data.rows.map(row => {
    const record = {};
    for (let i = 0; i < fields.length; ++i) record[fields[i]] = row[i];
    return record;
  });
  StillmonCharts.create(document.getElementById('charts'), records);
})();
