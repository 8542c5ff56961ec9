"""The page in headless Firefox, opened from file://, driven through WebDriver BiDi (Firefox's
own remote protocol: no separate driver): it starts, compiles the example first-line clean,
lists its stations, and underlines a misspelt keyword typed into it.

  /usr/bin/python3 studio_firefox.py PAGE ARTIFACT_DIR

Exit status 77: skipped (no page, no Firefox, or no python3-websockets)."""
import asyncio, base64, json, os, shutil, socket, subprocess, sys, tempfile, time

page, artifacts = sys.argv[1:3]
firefox = shutil.which("firefox-esr") or shutil.which("firefox")
try:
    import websockets  # Debian's python3-websockets
except ImportError:
    websockets = None
if not os.path.exists(page) or not firefox or not websockets:
    print("skipped: needs the page, firefox-esr and python3-websockets")
    sys.exit(77)

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


class Bidi:
    def __init__(self, ws):
        self.ws, self.next_id = ws, 0

    async def call(self, method, **params):
        self.next_id += 1
        await self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            reply = json.loads(await self.ws.recv())
            if reply.get("id") == self.next_id:
                if reply.get("type") == "error":
                    raise RuntimeError(f"{method}: {reply.get('error')}: {reply.get('message')}")
                return reply["result"]

    async def value(self, context, expression):
        result = await self.call("script.evaluate", expression=expression, target={"context": context},
                                 awaitPromise=False)
        return result.get("result", {}).get("value")

    async def wait(self, context, expression, timeout=30):
        end = time.time() + timeout
        while time.time() < end:
            value = await self.value(context, expression)
            if value:
                return value
            await asyncio.sleep(0.1)
        return None


async def run(port):
    async with websockets.connect(f"ws://127.0.0.1:{port}/session", max_size=64 << 20) as ws:
        bidi = Bidi(ws)
        await bidi.call("session.new", capabilities={})
        context = (await bidi.call("browsingContext.getTree"))["contexts"][0]["context"]
        await bidi.call("browsingContext.navigate", context=context, url="file://" + os.path.abspath(page),
                        wait="complete")
        check(await bidi.wait(context, "document.body.dataset.ready") == "yes", "the page starts from file://")
        check(await bidi.wait(context, "document.getElementById('stations').textContent.includes('PRIMA')"),
              "the example first-line is compiled and its stations listed")
        check(await bidi.value(context, "studio.entries.length") == 0, "with no diagnostic")
        await bidi.value(context, "(() => { document.querySelector(`#tabs button[data-file='train.txt']`).click();"
                                  "const v = studio.view, at = v.state.doc.toString().indexOf('segnale,') + 5;"
                                  "v.dispatch({changes: {from: at, insert: 'l'}}); return 1; })()")
        listed = await bidi.wait(context, "studio.entries.length && document.querySelectorAll("
                                          "'#editor .cm-lintRange').length && studio.entries[0].message")
        check(bool(listed) and "segnalle" in listed, f"a misspelt keyword is listed and underlined ({listed})")
        shot = await bidi.call("browsingContext.captureScreenshot", context=context)
        with open(os.path.join(artifacts, "studio-firefox.png"), "wb") as f:
            f.write(base64.b64decode(shot["data"]))


os.makedirs(artifacts, exist_ok=True)
profile = tempfile.mkdtemp()
with socket.socket() as s:
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
browser = subprocess.Popen([firefox, "--headless", "--no-remote", "--profile", profile, f"--remote-debugging-port={port}",
                            "--window-size=1400,900", "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    for _ in range(300):  # Firefox takes a while to listen the first time a profile is used
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            break
        except OSError:
            time.sleep(0.1)
    asyncio.run(asyncio.wait_for(run(port), 180))
finally:
    browser.terminate()
    try:
        browser.wait(10)
    except subprocess.TimeoutExpired:
        browser.kill()
    shutil.rmtree(profile, ignore_errors=True)

print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
