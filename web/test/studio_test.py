"""The page in headless Chromium, opened from file://: an example compiles clean; a misspelt
keyword typed in is underlined and listed at its line and column, and goes when mended; a
hover names a signal's field; a pack with problems gets no program; the
downloaded compiled files are the native scenario-compile's bytes, and the drivers' programs
scenario-pack build's with the runners the page carries; the latency from a
keystroke to updated diagnostics; a binary file is refused with a message.

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
    return driver.execute_script("return studio.entries.map(e => [e.file, e.line, e.column, e.severity, e.message])")


def lint_marks():
    return driver.execute_script("return document.querySelectorAll('#editor .cm-lintRange').length")


def type_at(file, needle, offset, keys):
    """Puts the cursor in file just after needle[:offset] and types keys, as a person would."""
    driver.execute_script(
        "const [f, n, k] = arguments; document.querySelector(`#tabs button[data-file='${f}']`).click();"
        "const v = studio.view; const at = v.state.doc.toString().indexOf(n) + k;"
        "v.dispatch({selection: {anchor: at}}); v.focus();", file, needle, offset)
    ActionChains(driver).send_keys(keys).perform()


def latency(rounds, needle):
    """Types a character and takes it back, rounds times; the keystroke to diagnostics times."""
    driver.execute_script("studio.latencies = []")
    for _ in range(rounds):
        count = driver.execute_script("return studio.compiled")
        type_at("train.txt", needle, 0, "x")
        wait(f"return studio.compiled > {count}")
        count = driver.execute_script("return studio.compiled")
        ActionChains(driver).send_keys("\b").perform()
        wait(f"return studio.compiled > {count}")
    times = sorted(driver.execute_script("return studio.latencies"))
    return times[len(times) // 2], times[min(len(times) - 1, int(len(times) * 0.95))]


try:
    driver.get("file://" + os.path.abspath(page))
    check(wait("return document.body.dataset.ready") == "yes", "the page starts from file://")
    check(entries() == [] and lint_marks() == 0, "the example first-line shows no diagnostic")
    check(wait("return document.getElementById('stations').textContent.includes('PRIMA')"),
          "the station table lists PRIMA")
    check(driver.execute_script("return document.getElementById('stations').textContent.includes('km 12+600')"),
          "at its chainage from the line's reference (km 12+300 at the start, PRIMA at 300 m)")
    # 8700 m at 80 km/h from rest to rest: 74.1 s to 80 km/h, 49.3 s braking at 0.45 m/s², 329.8 s between.
    check(driver.execute_script("return document.getElementById('stations').textContent.includes('7 min 33 s')"),
          "SECONDA with its realistic run from PRIMA")
    shot("example")

    # A misspelt keyword: "segnale" becomes "segnalle" on the train description's line 19.
    train_lines = open(os.path.join(source, "examples/first-line/train.txt")).read().split("\n")
    line_no = next(k for k, text in enumerate(train_lines, 1) if text.startswith("segnale,"))
    type_at("train.txt", "segnale,", 5, "l")
    wait("return studio.entries.length > 0")
    found = entries()
    check(any(e[0] == "train.txt" and e[1] == line_no and e[2] == 1 and "segnalle" in e[4] for e in found),
          f"the misspelt keyword is listed at train.txt:{line_no}:1 ({found})")
    check(lint_marks() > 0, "and underlined in the editor")
    listed = driver.find_element("id", "diagnostics").text
    check("train.txt" in listed and "did you mean" in listed, "the list groups it under train.txt with its fix")
    shot("misspelt")
    # The engine's one check of the pack, in Italian: the entry carries its span and its fix.
    checked = json.loads(driver.execute_script("return studio.core.checkPack('/pack', 'it')"))
    misspelt = [d for d in checked["diagnostics"] if d["code"] == "unknown-keyword"]
    check(misspelt and misspelt[0]["file"] == "train.txt" and misspelt[0]["line"] == line_no
          and misspelt[0]["end_column"] == 9 and misspelt[0]["fixes"][0]["replacement"] == "segnale"
          and misspelt[0]["message"].startswith("parola chiave sconosciuta"),
          f"checkPack gives the entry with its span, its fix and its Italian message ({misspelt})")
    driver.find_element("id", "download-program").click()
    shown = wait("return document.getElementById('message').textContent")
    check(shown and "not made" in shown and "segnalle" in shown,
          f"a pack with problems gets no program, and the page says why ({shown})")
    driver.execute_script("studio.view.focus()")
    ActionChains(driver).send_keys("\b").perform()
    wait("return studio.entries.length == 0")
    check(entries() == [] and lint_marks() == 0, "mended, the entry goes")
    check(driver.execute_script("return document.getElementById('message').hidden"), "and so does the page's refusal")

    # Hovering the signal's seventh field (its dx) names it and its meaning.
    driver.execute_script(
        "document.querySelector(`#tabs button[data-file='train.txt']`).click();"
        "const v = studio.view; const line = v.state.doc.line(arguments[0]);"
        "const at = line.from + line.text.split(',').slice(0, 7).join(',').length + 2;"
        "const c = v.coordsAtPos(at);"
        "v.contentDOM.dispatchEvent(new MouseEvent('mousemove', {bubbles: true, clientX: c.left + 1, clientY: c.top + 2}));",
        line_no)
    tip = wait("const t = document.querySelector('.cm-tooltip-hover'); return t && t.textContent")
    check(tip and tip.startswith("segnale field 7 is dx: kind of the signal on the right"), f"the hover names the field ({tip})")
    shot("hover")

    # The picture: hovering the signal shows its fields beside the pointer; a click on it
    # selects its record in the editor.
    signal = wait("return document.querySelector('#picture g.feature[data-kind=\"signal\"]')")
    driver.execute_script("document.querySelector(`#tabs button[data-file='line.txt']`).click()")
    ActionChains(driver).move_to_element(signal).perform()
    tip = wait("const t = document.querySelector('.picture-tip'); return t && !t.hidden && t.textContent")
    check(tip and "segnale record 1 in train.txt" in tip and "sx 1, s1 5, s2 6" in tip,
          f"hovering the signal in the picture shows its fields ({tip})")
    shot("picture-hover")
    ActionChains(driver).click(signal).perform()
    selected = driver.execute_script(
        "const v = studio.view, s = v.state.selection.main, l = v.state.doc.lineAt(s.from);"
        "return [studio.active, l.number, s.from === l.from && s.to === l.to]")
    check(selected == ["train.txt", line_no, True], f"a click on it selects train.txt line {line_no} ({selected})")

    # The compiled files, downloaded, against the native tool's.
    driver.find_element("id", "download-compiled").click()
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
        driver.find_element("id", "download-program" + ("" if target == "windows" else "-linux")).click()
        made = os.path.join(downloads, name)
        end = time.time() + 30
        while time.time() < end and not (os.path.exists(made) and os.path.getsize(made) == os.path.getsize(native_program)):
            time.sleep(0.1)
        check(os.path.exists(made) and open(made, "rb").read() == open(native_program, "rb").read(),
              f"the downloaded {target} program is scenario-pack build's bytes")

    p50, p95 = latency(20, "segnale,")
    print(f"latency, example first-line: p50 {p50:.1f} ms, p95 {p95:.1f} ms")
    check(p95 < 50, "p95 under 50 ms for the example")

    # The 1000 km line, opened through the file picker: 1713 lines a description, more than
    # a pack's program holds, so the page says so and compiles the pair.
    generator = os.path.join(native, "scenario_compile_bench")
    if os.path.exists(generator):
        long = os.path.join(work, "long")
        subprocess.run([generator, "--write-scenario", long], check=True, capture_output=True)
        os.rename(os.path.join(long, "long_linea.txt"), os.path.join(long, "line.txt"))
        os.rename(os.path.join(long, "long_treno.txt"), os.path.join(long, "train.txt"))
        with open(os.path.join(long, "scenario.json"), "w") as f:
            json.dump({"line_name": "Lunga_Linea", "train_number": "1000", "encoding": "windows-1252"}, f)
        count = driver.execute_script("return studio.compiled")
        driver.find_element("id", "open-files").send_keys(
            "\n".join(os.path.join(long, n) for n in ("scenario.json", "line.txt", "train.txt")))
        wait(f"return studio.compiled > {count}", 120)
        check(driver.execute_script("return studio.result.report && studio.result.report.exit_status") == 0,
              "the 1000 km line compiles in the page")
        check(any("line table" in e[4] for e in entries()), "and the page says why it cannot be a pack's program")
        checked = json.loads(driver.execute_script("return studio.core.checkPack('/pack', 'en')"))
        check(checked["line_table_exceeded"] and checked["report"]["exit_status"] == 0 and
              any(d["code"] == "pack-line-table" for d in checked["diagnostics"]),
              "one check gives the line table's problem and the compile of the descriptions")
        shown = driver.execute_script("return ['line.txt', 'train.txt'].map(f => studio.states.get(f).sliceDoc())")
        check(shown == [open(os.path.join(long, n), encoding="cp1252", newline="").read() for n in ("line.txt", "train.txt")],
              "each tab holds its own file")
        p50, p95 = latency(10, "[generale]")
        print(f"latency, 1000 km line: p50 {p50:.1f} ms, p95 {p95:.1f} ms")
        check(p95 < 300, "p95 under 300 ms for the 1000 km line")
        check(wait("return document.getElementById('picture').textContent.includes('Lunga_Linea')"),
              "once the typing pauses, the picture shows the 1000 km line")
        shot("long-line")

    # Bad input through the file picker: a binary train.txt and no scenario.json. The page
    # says so and keeps the author's text.
    bad = os.path.join(work, "bad")
    os.makedirs(bad)
    with open(os.path.join(bad, "train.txt"), "wb") as f:
        f.write(b"\x00\x01binary")
    before = driver.execute_script("return studio.states.get('line.txt').doc.toString()")
    driver.find_element("id", "open-files").send_keys(os.path.join(bad, "train.txt"))
    shown = wait("return document.getElementById('message').textContent")
    check(shown and "binary" in shown, f"a binary file is refused with a message ({shown})")
    check(driver.execute_script("return studio.states.get('line.txt').doc.toString()") == before,
          "and the author's text stays")
    shot("bad-input")
finally:
    driver.quit()
    shutil.rmtree(work, ignore_errors=True)

print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
