"""The page in headless Chromium, opened from file://: an example compiles clean; a misspelt
keyword typed in is underlined and listed at its line and column as an error (scenario.json
does not accept the warning), in Italian too, and goes when mended; a note's link; a hover
names a signal's field; search, completion and the picture's features; a pack with problems
gets no program; the downloaded compiled files are the native scenario-compile's bytes, and
the drivers' programs scenario-pack build's with the runners the page carries; an example
chosen over a typed text and a reload keep the text; a dropped file goes where its content
says; the latency from keydown to updated diagnostics and the longest main-thread task while
typing, on the example and the 1000 km line; a binary file is refused with a message.

  /usr/bin/python3 studio_test.py PAGE NATIVE_BUILD_DIR SOURCE_DIR ARTIFACT_DIR

Exit status 77: skipped (no page, no native build, or no Chromium)."""
import json, os, shutil, subprocess, sys, tempfile, time

page, native, source, artifacts = sys.argv[1:5]
compile_tool = os.path.join(native, "scenario-compile")
for need in (page, compile_tool, "/usr/bin/chromium", "/usr/bin/chromedriver"):
    if not os.path.exists(need):
        print(f"skipped: {need} is missing (scripts/build-studio.sh makes the page)")
        sys.exit(77)
from selenium import webdriver  # noqa: E402  (Debian's python3-selenium)
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

work = tempfile.mkdtemp()
downloads = os.path.join(work, "downloads")
os.makedirs(artifacts, exist_ok=True)
options = webdriver.ChromeOptions()
for flag in ("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking "
             "--disable-component-update --disable-sync --window-size=1400,900").split():
    options.add_argument(flag)
options.add_argument("--user-data-dir=" + os.path.join(work, "profile"))
options.binary_location = "/usr/bin/chromium"
options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                          "profile.default_content_setting_values.automatic_downloads": 1})
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def wait(script, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.05)
    return None


def shot(name):
    driver.save_screenshot(os.path.join(artifacts, f"studio-{name}.png"))


def entries():
    return driver.execute_script("return studio.entries.map(e => [e.file, e.line, e.column, e.severity, e.message, e.code])")


def text_of(file):
    return driver.execute_script("return studio.pack.states.get(arguments[0]).sliceDoc()", file)


def banners():
    return driver.execute_script("return [...document.querySelectorAll('#banners .banner')].map(b => b.textContent).join('\\n')")


def lint_marks():
    return driver.execute_script("return document.querySelectorAll('#editor .cm-lintRange').length")


def type_at(file, needle, offset, keys):
    """Puts the cursor in file just after needle[:offset] and types keys, as a person would."""
    driver.execute_script(
        "const [f, n, k] = arguments; document.querySelector(`#tabs button[data-file='${f}']`).click();"
        "const v = studio.view; const at = v.state.doc.toString().indexOf(n) + k;"
        "v.dispatch({selection: {anchor: at}}); v.focus();", file, needle, offset)
    ActionChains(driver).send_keys(keys).perform()


# The budgets hold on a machine that runs the page alone; on one that runs more than it has
# cores for, they stretch by that factor, and the test says so. A suite run beside other
# work (CI runs the node command's byte check beside this test) holds them with a margin of
# three, which still fails a page that draws on its main thread (tasks of 300 to 900 ms);
# STUDIO_BUDGETS=strict holds them as they stand, and bench/studio_latency.py measures them.
LOAD = max(1.0, os.getloadavg()[0] / (os.cpu_count() or 1))
if os.environ.get("STUDIO_BUDGETS") != "strict":
    LOAD *= 3


def latency(rounds, needle, interval):
    """Types a character and takes it back, one key each interval seconds, rounds times: the
    keydown to diagnostics times (p50, p95) and the longest main-thread task meanwhile."""
    type_at("train.txt", needle, 0, "")
    # Typing starts once the picture of the text as it stands is drawn: while the engine
    # draws it, a key waits for it.
    wait("return !studio.checking && !studio.viewing", 60)
    time.sleep(0.5)
    views = driver.execute_script("return studio.views")
    driver.execute_script("studio.latencies = []; window.longest = 0; window.tasks && window.tasks.disconnect();"
                          "window.tasks = new PerformanceObserver((l) => { for (const e of l.getEntries())"
                          " longest = Math.max(longest, e.duration); }); tasks.observe({type: 'longtask'});")
    for k in range(rounds):
        ActionChains(driver).send_keys("x" if k % 2 == 0 else "\b").perform()
        time.sleep(interval)
    wait("return !studio.checking && !studio.keyAt")
    time.sleep(0.3)
    times = sorted(driver.execute_script("return studio.latencies"))
    drawn = driver.execute_script("return studio.views") - views
    if drawn:
        print(f"(the picture was drawn {drawn} times while typing)")
    return times[len(times) // 2], times[min(len(times) - 1, int(len(times) * 0.95))], driver.execute_script("return longest")


try:
    driver.get("file://" + os.path.abspath(page))
    check(wait("return document.body.dataset.ready") == "yes", "the page starts from file://")
    wait("return studio.compiled > 0")
    check(entries() == [] and lint_marks() == 0, "the example first-line shows no diagnostic")
    check(wait("return document.getElementById('stations').textContent.includes('PRIMA')"),
          "the station table lists PRIMA")
    check(driver.execute_script("return document.getElementById('stations').textContent.includes('km 12+600')"),
          "at its chainage from the line's reference (km 12+300 at the start, PRIMA at 300 m)")
    # 8700 m at 80 km/h from rest to rest: 74.1 s to 80 km/h, 49.3 s braking at 0.45 m/s², 329.8 s between.
    check(driver.execute_script("return document.getElementById('stations').textContent.includes('7 min 33 s')"),
          "SECONDA with its realistic run from PRIMA")
    check(driver.execute_script("return !document.getElementById('first-run').hidden"), "a first run shows the welcome")
    driver.execute_script("document.querySelector('#first-run a[data-doc=\"faults.md\"]').click()")
    check(wait("return document.getElementById('docs-body').textContent.includes('fault 22')"),
          "whose links open the docs carried by the page")
    driver.execute_script("document.getElementById('docs-close').click(); document.getElementById('first-run-close').click()")
    shot("example")

    # A misspelt keyword: "segnale" becomes "segnalle". scenario.json does not accept the
    # warning, so the pack's build refuses it: an error, with the fixes of both kinds.
    train_lines = open(os.path.join(source, "examples/first-line/train.txt")).read().split("\n")
    line_no = next(k for k, text in enumerate(train_lines, 1) if text.startswith("segnale,"))
    type_at("train.txt", "segnale,", 5, "l")
    wait("return studio.entries.length > 0")
    found = entries()
    check(any(e[0] == "train.txt" and e[1] == line_no and e[2] == 1 and e[3] == "error" and "segnalle" in e[4]
              for e in found), f"the misspelt keyword is an error at train.txt:{line_no}:1 ({found})")
    check(lint_marks() > 0, "and underlined in the editor")
    listed = driver.find_element("id", "diagnostics").text
    status = driver.find_element("id", "status").text
    check("train.txt" in listed and "use 'segnale'" in listed and "accepted_warnings" in listed
          and status.startswith("1 error"), f"the list and the status agree ({status})")
    shot("misspelt")
    driver.execute_script("const s = document.getElementById('lang'); s.value = 'it'; s.dispatchEvent(new Event('change'))")
    italian = wait("const e = studio.entries.find(e => e.code === 'unknown-keyword');"
                   "return e && e.message.startsWith('parola chiave sconosciuta') && e.end_column === 9 && e.fixes[0].replacement")
    check(italian == "segnale" and "Pacchetto" in driver.find_element("tag name", "header").text,
          "in Italian, the page and the engine's entry with its span and its fix")
    driver.execute_script("const s = document.getElementById('lang'); s.value = 'en'; s.dispatchEvent(new Event('change'))")
    wait("return studio.entries.some(e => e.message.startsWith('unknown keyword'))")
    driver.execute_script("document.getElementById('download-program').click()")
    shown = wait("return document.getElementById('banners').textContent")
    check(shown and "A program is made only from a pack without problems" in shown,
          f"a pack with problems gets no program, and the page says why ({shown})")
    driver.execute_script("studio.view.focus()")
    ActionChains(driver).send_keys("\b").perform()
    wait("return studio.entries.length == 0")
    check(entries() == [] and lint_marks() == 0, "mended, the entry goes")

    # A station too close to the one before: fault 22 with a note naming it; the note's link
    # goes to its place, and the picture says it shows the last scenario that compiled.
    type_at("train.txt", "9000,", 0, Keys.DELETE * 4 + "600")
    note = wait("const n = document.querySelector('#diagnostics .note'); return n && n.textContent")
    check(note and "PRIMA" in note and "train.txt:" in note, f"the fault's note names the station before ({note})")
    driver.execute_script("document.querySelector('#diagnostics .note a.place').click()")
    at = driver.execute_script("const v = studio.view, s = v.state.selection.main; return [studio.pack.active, v.state.doc.lineAt(s.from).number]")
    check(at == ["train.txt", line_no - 4], f"its link selects the station before ({at})")
    check(wait("return document.body.dataset.picture === 'stale' && !document.getElementById('views-note').hidden"),
          "the picture says it shows the last scenario that compiled")
    shot("stale")
    driver.execute_script("studio.view.focus()")
    for _ in range(4):
        ActionChains(driver).key_down(Keys.CONTROL).send_keys("z").key_up(Keys.CONTROL).perform()
    wait("return studio.entries.length == 0 && document.body.dataset.picture === 'current'")
    check(text_of("train.txt").replace("\r\n", "\n") == "\n".join(train_lines), "undo brings the text back, and the picture")

    # Hovering the signal's seventh field (its dx) names it and its meaning.
    driver.execute_script(
        "document.querySelector(`#tabs button[data-file='train.txt']`).click();"
        "const v = studio.view; const line = v.state.doc.line(arguments[0]);"
        "const at = line.from + line.text.split(',').slice(0, 7).join(',').length + 2;"
        "const c = v.coordsAtPos(at);"
        "v.contentDOM.dispatchEvent(new MouseEvent('mousemove', {bubbles: true, clientX: c.left + 1, clientY: c.top + 2}));",
        line_no)
    tip = wait("const t = document.querySelector('.cm-tooltip-hover .title'); return t && t.parentElement.textContent")
    check(tip and tip.startswith("segnale · field 7 of 11 · dx") and "kind of the signal on the right" in tip,
          f"the hover names the field ({tip})")
    shot("hover")
    type_at("train.txt", "segnale,", 20, "")
    check(wait("return document.getElementById('field-status').textContent.startsWith('segnale · field 2 · sx')"),
          "the status bar names the record and field under the cursor")

    # Ctrl+F, and completion of a whole record.
    ActionChains(driver).key_down(Keys.CONTROL).send_keys("f").key_up(Keys.CONTROL).perform()
    check(wait("return document.querySelector('.cm-search input[name=search]') === document.activeElement"),
          "Ctrl+F opens the search")
    ActionChains(driver).send_keys("SECONDA" + Keys.ENTER).perform()
    picked = driver.execute_script("const s = studio.view.state; return s.sliceDoc(s.selection.main.from, s.selection.main.to)")
    check(picked == "SECONDA", f"and finds ({picked})")
    ActionChains(driver).send_keys(Keys.ESCAPE).perform()
    type_at("train.txt", "[fine]", 0, Keys.ENTER + Keys.UP + "segn")
    wait("const s = document.querySelector('.cm-tooltip-autocomplete li[aria-selected]'); return s && s.textContent.startsWith('segnale')")
    time.sleep(0.3)  # Enter at once after the list opens is a new line, not a choice
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    made = driver.execute_script("const v = studio.view; return v.state.doc.lineAt(v.state.selection.main.from).text")
    check(made.startswith("segnale,") and made.count(",") == 11, f"segn completes to a whole signal record ({made})")
    driver.execute_script("studio.view.focus()")
    for _ in range(3):
        ActionChains(driver).key_down(Keys.CONTROL).send_keys("z").key_up(Keys.CONTROL).perform()
    wait("return studio.entries.length == 0")
    check(text_of("train.txt").replace("\r\n", "\n") == "\n".join(train_lines), "undo takes the record back")

    # The picture: hovering the signal shows its fields beside the pointer; a click on it
    # selects its record in the editor.
    signal = wait("const p = studio.picture; const d = p.drawn.find(([k]) =>"
                  " p.list.features[p.list.nums[p.list.at[k] + 2]].kind === 'signal'); return d && d.slice(1)")
    canvas = driver.find_element("id", "picture")
    driver.execute_script("document.querySelector(`#tabs button[data-file='line.txt']`).click()")
    x, y = (signal[0] + signal[2]) / 2, (signal[1] + signal[3]) / 2
    size = canvas.size
    ActionChains(driver).move_to_element_with_offset(canvas, x - size["width"] / 2, y - size["height"] / 2).perform()
    tip = wait("const t = document.getElementById('picture-tip'); return !t.hidden && t.textContent")
    check(tip and "segnale record 1 in train.txt" in tip and "sx 1, s1 5, s2 6" in tip,
          f"hovering the signal in the picture shows its fields ({tip})")
    shot("picture-hover")
    ActionChains(driver).click().perform()
    selected = driver.execute_script(
        "const v = studio.view, s = v.state.selection.main, l = v.state.doc.lineAt(s.from);"
        "return [studio.pack.active, l.number, s.from === l.from && s.to === l.to]")
    check(selected == ["train.txt", line_no, True], f"a click on it selects train.txt line {line_no} ({selected})")

    # The compiled files, downloaded, against the native tool's.
    driver.execute_script("document.getElementById('download-compiled').click()")
    native_out = os.path.join(work, "native")
    subprocess.run([compile_tool, "--pack", os.path.join(source, "examples/first-line"), "--out", native_out],
                   check=True, capture_output=True)
    names = sorted(os.listdir(native_out))
    def downloaded():
        return sorted(n for n in os.listdir(downloads) if not n.endswith(".crdownload")) if os.path.isdir(downloads) else []
    end = time.time() + 30
    while time.time() < end and downloaded() != names:
        time.sleep(0.1)
    same = [n for n in names if os.path.exists(os.path.join(downloads, n)) and
            open(os.path.join(downloads, n), "rb").read() == open(os.path.join(native_out, n), "rb").read()]
    check(same == names, f"the downloaded compiled files are the native bytes ({len(same)} of {len(names)})")

    # The drivers' programs, downloaded, against scenario-pack build with the runners the page carries.
    for target, runner in (("windows", "scenario-runner-windows.exe"), ("linux", "scenario-runner-linux")):
        runner = os.path.join(os.path.dirname(page), "runners", runner)
        if not os.path.exists(runner):
            print(f"skipped: the page carries no runner for {target} ({runner} is missing)")
            continue
        native_program = os.path.join(work, "native-" + target)
        subprocess.run([os.path.join(native, "scenario-pack"), "build", os.path.join(source, "examples/first-line"),
                        "--target", target, "--runner", runner, "-o", native_program], check=True, capture_output=True)
        name = "Prima_Linea_101" + (".exe" if target == "windows" else "")
        driver.execute_script(f"document.getElementById('download-program{'' if target == 'windows' else '-linux'}').click()")
        made = os.path.join(downloads, name)
        end = time.time() + 30
        while time.time() < end and not (os.path.exists(made) and os.path.getsize(made) == os.path.getsize(native_program)):
            time.sleep(0.1)
        check(os.path.exists(made) and open(made, "rb").read() == open(native_program, "rb").read(),
              f"the downloaded {target} program is scenario-pack build's bytes ({banners()})")

    for interval in (0.1, 0.3):
        p50, p95, longest = latency(40, "segnale,", interval)
        print(f"keydown to diagnostics, example first-line, a key each {interval * 1000:.0f} ms: "
              f"p50 {p50:.1f} ms, p95 {p95:.1f} ms; longest main-thread task {longest:.0f} ms")
        check(p95 <= 50 * LOAD and longest <= 50 * LOAD,
              f"p95 and every main-thread task within 50 ms for the example (× {LOAD:.1f} for the machine's load and the margin)")

    # An example chosen over a typed text opens beside it; after a reload the text is there.
    type_at("train.txt", "[generale]", 0, "-- my own words\n")
    mine = text_of("train.txt")
    driver.execute_script("const s = document.getElementById('example'); s.value = 'valle-dorana'; s.dispatchEvent(new Event('change'))")
    wait("return studio.pack.name === 'valle-dorana'")
    driver.refresh()
    wait("return document.body.dataset.ready")
    packs = driver.execute_script("return [...document.getElementById('pack').options].map(o => o.text)")
    driver.execute_script("const s = document.getElementById('pack'); s.value = s.options[0].value; s.dispatchEvent(new Event('change'))")
    check(packs == ["first-line", "valle-dorana"] and text_of("train.txt") == mine,
          f"an example opens beside the typed text, which a reload keeps ({packs})")

    # A file dropped on the editor, named as no file of a pack: its records tell it is a line
    # description; the page asks before it replaces line.txt, and says where it went.
    dropped = open(os.path.join(source, "examples/valle-dorana/line.txt"), encoding="utf-8").read()
    driver.execute_script(
        "const d = new DataTransfer(); d.items.add(new File([arguments[0]], 'val_ceppo_line.txt'));"
        "studio.view.contentDOM.dispatchEvent(new DragEvent('drop', {bubbles: true, cancelable: true, dataTransfer: d}))",
        dropped)
    asked = wait("const d = document.getElementById('ask'); return d.open && d.textContent")
    check(asked and "line.txt" in asked, f"a dropped line description asks before it replaces line.txt ({asked})")
    shot("drop-asks")
    driver.execute_script("document.querySelector('#ask button[value=replace]').click()")
    said = wait("return document.getElementById('banners').textContent.includes('val_ceppo_line.txt opened as line.txt') && document.getElementById('banners').textContent")
    check(said and text_of("line.txt") == dropped, f"and it goes there, saying so ({said})")
    driver.execute_script("studio.view.focus()")
    ActionChains(driver).key_down(Keys.CONTROL).send_keys("z").key_up(Keys.CONTROL).perform()
    check(text_of("line.txt") != dropped, "undo in that tab brings back what it held")

    # The 1000 km line, opened through the file picker as a pack of its own: 1713 lines a
    # description, more than a pack's program holds, so the page says so and compiles the pair.
    generator = os.path.join(native, "scenario_compile_bench")
    if os.path.exists(generator):
        long = os.path.join(work, "long")
        subprocess.run([generator, "--write-scenario", long], check=True, capture_output=True)
        os.rename(os.path.join(long, "long_linea.txt"), os.path.join(long, "line.txt"))
        os.rename(os.path.join(long, "long_treno.txt"), os.path.join(long, "train.txt"))
        with open(os.path.join(long, "scenario.json"), "w") as f:
            json.dump({"line_name": "Lunga_Linea", "train_number": "1000", "encoding": "windows-1252"}, f)
        driver.find_element("id", "open-files").send_keys(
            "\n".join(os.path.join(long, n) for n in ("scenario.json", "line.txt", "train.txt")))
        wait("return studio.pack.name === 'Lunga_Linea_1000' && studio.result && studio.result.report", 120)
        check(driver.execute_script("return studio.result.report.exit_status") == 0, "the 1000 km line compiles in the page")
        check(any(e[5] == "pack-line-table" for e in entries()), "and the page says why it cannot be a pack's program")
        shown = [text_of(n) for n in ("line.txt", "train.txt")]
        check(shown == [open(os.path.join(long, n), encoding="cp1252", newline="").read() for n in ("line.txt", "train.txt")],
              "each tab holds its own file")
        check(wait("return document.getElementById('picture-title').textContent.includes('Lunga_Linea')", 60),
              "the picture shows the 1000 km line")
        for interval in (0.1, 0.3):
            p50, p95, longest = latency(40, "[generale]", interval)
            print(f"keydown to diagnostics, 1000 km line, a key each {interval * 1000:.0f} ms: "
                  f"p50 {p50:.1f} ms, p95 {p95:.1f} ms; longest main-thread task {longest:.0f} ms")
            check(p95 <= 100 * LOAD and longest <= 50 * LOAD, "p95 within 100 ms and every main-thread task within 50 ms"
                  f" for the 1000 km line (× {LOAD:.1f} for the machine's load and the margin)")
        driver.execute_script("document.querySelector('#view-tabs button[data-view=profile]').click()")
        time.sleep(0.5)
        shot("long-line")

    # Bad input through the file picker: a binary train.txt. The page says so and keeps the
    # author's text.
    bad = os.path.join(work, "bad")
    os.makedirs(bad)
    with open(os.path.join(bad, "train.txt"), "wb") as f:
        f.write(b"\x00\x01binary")
    before = text_of("train.txt")
    driver.find_element("id", "open-files").send_keys(os.path.join(bad, "train.txt"))
    shown = wait("return document.getElementById('banners').textContent.includes('binary') && document.getElementById('banners').textContent")
    check(shown, f"a binary file is refused with a message ({shown})")
    check(text_of("train.txt") == before, "and the author's text stays")
    shot("bad-input")
finally:
    driver.quit()
    shutil.rmtree(work, ignore_errors=True)

print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
