"use strict";
// The status page: status.json fetched every few seconds and shown; the
// countdown to the next shot runs on between the fetches.
(() => {
  const refreshMs = 3000;
  const stateTexts = { idle: "No series yet", running: "Series running", ended: "Series ended" };
  const element = (id) => document.getElementById(id);
  let status = null;
  let fetchedAt = 0;
  let pictureKey = "";

  const two = (n) => String(n).padStart(2, "0");
  // Whole seconds left, rounded up, as the program counts down: "00:07", "01:00:00".
  const countdown = (ms) => {
    const seconds = Math.max(0, Math.ceil(ms / 1000));
    const minutes = two(Math.floor(seconds / 60) % 60) + ":" + two(seconds % 60);
    return seconds < 3600 ? minutes : two(Math.floor(seconds / 3600)) + ":" + minutes;
  };
  const counted = (n, one, many) => n + " " + (n === 1 ? one : many);
  const setText = (id, text) => {
    if (element(id).textContent !== text) element(id).textContent = text;
  };

  function showNext() {
    if (!status) return;
    let text = "\u2013";
    if (status.backToBack) {
      text = "Shots back to back";
    } else if (status.nextShotInMs !== null) {
      const left = status.nextShotInMs - (performance.now() - fetchedAt);
      text = status.nextShotAt + " (in " + countdown(left) + ")";
    }
    setText("next", text);
  }

  function showPicture(picture) {
    element("picture").hidden = picture === null;
    const key = picture === null ? "" : picture.shot + "/" + picture.name;
    if (picture === null || key === pictureKey) return;
    pictureKey = key;
    const query = "?shot=" + encodeURIComponent(key);
    element("thumbnail").src = (picture.thumbnail ? "last-thumb.jpg" : "last.jpg") + query;
    element("picture-link").href = (picture.full ? "last.jpg" : "last-thumb.jpg") + query;
    setText("picture-name", "Shot " + picture.shot + ": " + picture.name);
  }

  function show() {
    document.title = "Velorantica for Casio " + status.model;
    setText("title", document.title);
    setText("state", stateTexts[status.state] || status.state);
    setText("status", status.status);
    setText("shot", status.count === null ? String(status.shot) : status.shot + " of " + status.count);
    const failures = [];
    if (status.failedShots) failures.push(counted(status.failedShots, "shot failed", "shots failed"));
    if (status.failedCopies) failures.push(counted(status.failedCopies, "copy failed", "copies failed"));
    if (status.missedFrames) failures.push(counted(status.missedFrames, "frame missed", "frames missed"));
    setText("failures", failures.length ? failures.join(", ") : "none");
    setText("end", status.plannedEnd === null ? "\u2013" : status.plannedEnd);
    element("window-row").hidden = status.nextWindow === null;
    setText("window", status.nextWindow === null ? "" : status.nextWindow);
    showNext();
    showPicture(status.lastPicture);
    const log = element("log");
    const lines = status.log.join("\n");
    if (log.textContent !== lines) {
      log.textContent = lines;
      log.scrollTop = log.scrollHeight;
    }
  }

  async function refresh() {
    try {
      const answer = await fetch("status.json", { cache: "no-store" });
      if (!answer.ok) throw new Error("status " + answer.status);
      status = await answer.json();
      fetchedAt = performance.now();
      element("offline").hidden = true;
      show();
    } catch (failure) {
      element("offline").hidden = false;
    }
    setTimeout(refresh, refreshMs);
  }

  setInterval(showNext, 500);
  refresh();
})();
