// The live page: polls /api/latest for the newest values and the link's state,
// /api/history?since=N for the cycles it has not charted yet, /api/alarms for the alarms and,
// when /api/latest's revision of it has moved, /api/journal for the run's journal; reloads the
// window picture every few seconds.
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
    if (latest.ended) {
      // The replay waits at its "Repeat ? " prompt: its source is not silent, it is done.
      state.textContent = 'replay ended';
      state.className = '';
    } else if (link.silent_s === null) {
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

  // Alarms: a banner while any fires; after "Sound on" (a browser plays nothing before a click)
  // a beep while a critical one fires unacknowledged; their firings and clearings marked on
  // the charts. Without alarms configured the list is empty and none of it shows.
  const soundButton = byId('sound');
  let audio = null;
  let calling = false;
  let shownMarks = '[]';

  soundButton.addEventListener('click', () => {
    if (audio) {
      audio.close();
      audio = null;
    } else {
      audio = new AudioContext();
    }
    soundButton.textContent = audio ? 'Sound off' : 'Sound on';
    soundButton.setAttribute('aria-pressed', audio ? 'true' : 'false');
  });

  // Two short square-wave tones, faded in and out so that they do not click.
  function beep() {
    const start = audio.currentTime;
    for (const at of [start, start + 0.25]) {
      const tone = audio.createOscillator();
      const gain = audio.createGain();
      tone.type = 'square';
      tone.frequency.value = 880;
      gain.gain.setValueAtTime(0, at);
      gain.gain.linearRampToValueAtTime(0.2, at + 0.01);
      gain.gain.setValueAtTime(0.2, at + 0.14);
      gain.gain.linearRampToValueAtTime(0, at + 0.15);
      tone.connect(gain).connect(audio.destination);
      tone.start(at);
      tone.stop(at + 0.16);
    }
  }

  function alarmLine(alarm) {
    const item = document.createElement('li');
    item.textContent = (alarm.severity === 'critical' ? 'ALARM ' : 'Warning ') + alarm.name + ': ';
    const detail = document.createElement('span');
    detail.className = 'detail';
    // The condition is worded by the program, as stderr and the notifications word it; "since"
    // is ISO 8601 with its offset: the time of day is what an operator reads.
    detail.textContent = alarm.condition + ' since ' + alarm.since.slice(11, 19) +
      (alarm.acknowledged ? ' (acknowledged)' : '');
    detail.title = alarm.since;
    item.appendChild(detail);
    return item;
  }

  function showAlarms(answer) {
    const firing = answer.alarms.filter(a => a.state === 'firing');
    byId('firing-alarms').replaceChildren(...firing.map(alarmLine));
    byId('alarm-banner').hidden = firing.length === 0;
    soundButton.hidden = answer.alarms.length === 0;
    calling = firing.some(a => a.severity === 'critical' && !a.acknowledged);
    const marks = JSON.stringify(answer.marks);
    if (charts && marks !== shownMarks) {
      charts.setMarks(answer.marks);
      shownMarks = marks;
    }
  }

  // The journal: listed under the charts, newest first, and each mark and session start a line
  // on them. Its texts are the operator's: they go into the page as text, never as markup.
  let shownJournal = 0;

  // The wall time's date and time of day each whole (a phone's width wraps between them),
  // its offset from UTC in the tooltip.
  function journalRow(entry) {
    const row = document.createElement('tr');
    const when = row.insertCell();
    for (const part of [entry.wall_time.slice(0, 10), ' ', entry.wall_time.slice(11, 19)]) {
      when.append(part === ' ' ? part : Object.assign(document.createElement('span'),
                                                      {textContent: part}));
    }
    when.title = entry.wall_time;
    for (const text of [entry.record, entry.kind, entry.text]) {
      row.insertCell().textContent = text;
    }
    return row;
  }

  function showJournal(answer) {
    const entries = answer.entries;
    byId('journal-entries').replaceChildren(...entries.map(journalRow).reverse());
    byId('journal-dropped').textContent = answer.dropped ?
      answer.dropped + ' older entries are no longer kept here (the journal file has them).' : '';
    byId('journal-box').hidden = entries.length === 0;
    charts.setLines('journal', entries.filter(e => e.kind !== 'session-end').map(e => ({
      index: e.index, kind: e.kind, label: e.kind === 'mark' ? e.text : 'session start'})));
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
      const latest = await (await fetch('/api/latest')).json();
      showLatest(latest);
      if (latest.journal !== shownJournal) {
        showJournal(await (await fetch('/api/journal')).json());
        shownJournal = latest.journal;
      }
      showAlarms(await (await fetch('/api/alarms')).json());
    } catch (error) {
      const state = byId('link-state');
      state.textContent = 'page not reachable: ' + error.message;
      state.className = 'silent';
    }
    setTimeout(poll, pollMs);
  }

  setInterval(() => { if (audio && calling) beep(); }, 1000);
  setInterval(() => { byId('window').src = '/window.png?t=' + Date.now(); }, pictureMs);
  poll();
})();
