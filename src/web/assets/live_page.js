// The live page: polls /api/latest for the newest values and the link's state, and
// /api/history?since=N for the cycles it has not charted yet; reloads the window picture
// every few seconds.
'use strict';

(() => {
  const pollMs = 2000;
  const pictureMs = 5000;
  const names = ['Tank', '1st stage', '2nd stage', 'Steam', 'Top HE', 'Centre', 'Bottom HE',
                 'Out water'];
  const byId = id => document.getElementById(id);
  const fixed = (value, places, unit = '') =>
    value === null || value === undefined ? '\u2013' : value.toFixed(places) + unit;

  const temperatureCells = names.map(name => {
    const row = byId('temperatures').insertRow();
    const label = document.createElement('th');
    label.textContent = name;
    row.appendChild(label);
    return row.insertCell();
  });

  let lastReflux = null;
  let charts = null;

  function showLatest(latest) {
    byId('mode').textContent = latest.mode === 'live' ? 'live' : 'replay';
    byId('source').textContent = latest.source;
    const link = latest.link;
    const state = byId('link-state');
    if (link.silent_s === null) {
      state.textContent = 'waiting for the first cycle';
      state.className = '';
    } else if (link.arriving) {
      state.textContent = latest.mode === 'live' ? 'frames arriving' : 'records replaying';
      state.className = 'arriving';
    } else {
      state.textContent = 'silent for ' + Math.floor(link.silent_s) + ' s';
      state.className = 'silent';
    }
    byId('reopens').textContent = link.reopens;
    const r = latest.record;
    byId('timing-errors').textContent = (r ? r.timing_errors : 0) + ' / ' + link.timing_errors;
    if (!r) return;
    byId('record-number').textContent = r.record;
    byId('device-time').textContent = r.device_time;
    r.temperatures.forEach((t, c) => { temperatureCells[c].textContent = fixed(t, 1, ' \u00b0C'); });
    byId('liquid-strength').textContent = fixed(r.liquid_strength, 1, ' %');
    byId('vapour-strength').textContent = fixed(r.vapour_strength, 1, ' %');
    byId('stages').textContent = r.stages === null ? '\u2013' :
      fixed(r.stages, 2) + ' (' + r.whole_stages + ' whole)';
    if (r.reflux_ratio !== null) lastReflux = r.reflux_ratio;
    byId('reflux-ratio').textContent = fixed(lastReflux, 2);
    byId('valve').textContent = fixed(r.valve, 0);
    byId('flow').textContent = fixed(r.flow, 2);
  }

  // Fetches history until it has caught up: an answer holds a bounded number of cycles.
  async function catchUp() {
    while (true) {
      const since = charts ? charts.lastIndex() : 0;
      const answer = await (await fetch('/api/history?since=' + since)).json();
      if (answer.newest < since) {
        location.reload();  // a new run behind the same address
        return;
      }
      if (!charts) {
        charts = StillmonCharts.create(byId('charts'), answer.records);
      } else {
        charts.append(answer.records);
      }
      for (const r of answer.records) {
        if (r.reflux_ratio !== null) lastReflux = r.reflux_ratio;
      }
      if (!answer.more) return;
    }
  }

  async function poll() {
    try {
      await catchUp();
      showLatest(await (await fetch('/api/latest')).json());
    } catch (error) {
      const state = byId('link-state');
      state.textContent = 'page not reachable: ' + error.message;
      state.className = 'silent';
    }
    setTimeout(poll, pollMs);
  }

  setInterval(() => { byId('window').src = '/window.png?t=' + Date.now(); }, pictureMs);
  poll();
})();
