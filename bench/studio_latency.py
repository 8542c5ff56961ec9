"""The page's figures in headless Chromium, from outside the page: the time from navigation
to the first pack drawn, and, typing one key each INTERVAL ms into an example and into the
1000 km line, the time from each keydown event to the diagnostics updated (the first change
of the list or the status after it) and the longest main-thread task (PerformanceObserver,
longtask). A probe is put into the page before its own scripts run, so it measures any build
of the page alike.

  /usr/bin/python3 bench/studio_latency.py PAGE [PAGE ...] --long DIR [--rounds N] [--intervals 100,300]

DIR holds the 1000 km line as a pack (scenario.json, line.txt, train.txt): build-ci's
scenario_compile_bench --write-scenario writes its descriptions. Pages are measured in turn,
alternating, --repeat times."""
import argparse, json, os, statistics, tempfile, time
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains

PROBE = """
window.__probe = {keys: [], lat: [], tasks: [], drawn: 0};
new PerformanceObserver((l) => { for (const e of l.getEntries()) __probe.tasks.push([e.startTime, e.duration]); })
  .observe({type: 'longtask', buffered: true});
addEventListener('keydown', (e) => __probe.keys.push(e.timeStamp), true);
new MutationObserver((records) => {
  const now = performance.now();
  if (!__probe.drawn && (document.querySelector('#picture svg') || document.body.dataset.drawn))
    __probe.drawn = document.body.dataset.drawn ? Number(document.body.dataset.drawn) : now;
  const k = __probe.keys.length;
  if (k && __probe.lat.length < k && records.some((r) => {
      const t = r.target.nodeType === 1 ? r.target : r.target.parentElement;
      return t && t.closest && t.closest('#diagnostics, #status');
    }))
    { while (__probe.lat.length < k - 1) __probe.lat.push(null); __probe.lat.push(now - __probe.keys[k - 1]); }
}).observe(document, {subtree: true, childList: true, characterData: true, attributes: true});
"""


def start(page):
    options = webdriver.ChromeOptions()
    for flag in "--headless --no-sandbox --disable-gpu --no-first-run --window-size=1400,900".split():
        options.add_argument(flag)
    options.add_argument("--user-data-dir=" + tempfile.mkdtemp())
    options.binary_location = "/usr/bin/chromium"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PROBE})
    driver.get("file://" + os.path.abspath(page))
    end = time.time() + 60
    while time.time() < end and not driver.execute_script("return __probe.drawn"):
        time.sleep(0.02)
    return driver, driver.execute_script("return __probe.drawn")


def idle(driver, seconds=1.5):
    time.sleep(seconds)


def type_keys(driver, needle, rounds, interval):
    """Puts the cursor before needle in train.txt and types 'x' then Backspace, rounds times."""
    driver.execute_script(
        "document.querySelector(`#tabs button[data-file='train.txt'], #tabs [data-file='train.txt']`).click();"
        "const v = studio.view; const at = v.state.doc.toString().indexOf(arguments[0]);"
        "v.dispatch({selection: {anchor: at}}); v.focus();", needle)
    idle(driver)
    driver.execute_script("__probe.keys = []; __probe.lat = []; __probe.tasks = []; __probe.from = performance.now()")
    for k in range(rounds):
        ActionChains(driver).send_keys("x" if k % 2 == 0 else "\b").perform()
        time.sleep(interval / 1000)
    idle(driver, 2)
    lat = [x for x in driver.execute_script("return __probe.lat") if x is not None]
    tasks = driver.execute_script("return __probe.tasks.filter(t => t[0] >= __probe.from).map(t => t[1])")
    lat.sort()
    return {"n": len(lat), "p50": lat[len(lat) // 2] if lat else None,
            "p95": lat[min(len(lat) - 1, int(len(lat) * 0.95))] if lat else None,
            "longest_task": max(tasks) if tasks else 0}


def open_long(driver, folder):
    inputs = driver.find_elements("css selector", "input[type=file][multiple]:not([webkitdirectory])")
    inputs[0].send_keys("\n".join(os.path.join(folder, n) for n in ("scenario.json", "line.txt", "train.txt")))
    end = time.time() + 60
    while time.time() < end:
        time.sleep(0.2)
        # The old page opens over the pack at once; the new one may ask first.
        driver.execute_script("const b = document.querySelector('dialog[open] button[value=new]'); if (b) b.click();")
        if driver.execute_script("const s = (studio.pack || studio).states.get('line.txt'); return s && s.doc.lines > 1000"):
            break
    idle(driver, 3)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("pages", nargs="+")
    ap.add_argument("--long", required=True)
    ap.add_argument("--rounds", type=int, default=40)
    ap.add_argument("--intervals", default="100,300")
    ap.add_argument("--repeat", type=int, default=1)
    a = ap.parse_args()
    results = {p: [] for p in a.pages}
    for _ in range(a.repeat):
        for page in a.pages:
            driver, drawn = start(page)
            row = {"first_drawn_ms": drawn}
            idle(driver)
            for interval in map(int, a.intervals.split(",")):
                row[f"example_{interval}"] = type_keys(driver, "segnale,", a.rounds, interval)
            open_long(driver, a.long)
            for interval in map(int, a.intervals.split(",")):
                row[f"long_{interval}"] = type_keys(driver, "[generale]", a.rounds, interval)
            driver.quit()
            results[page].append(row)
            print(page, json.dumps(row), flush=True)
    print("load average:", open("/proc/loadavg").read().strip())
    for page, rows in results.items():
        print(page, "first drawn (median):", statistics.median(r["first_drawn_ms"] for r in rows))


if __name__ == "__main__":
    main()
