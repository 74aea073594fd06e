#!/usr/bin/env python3
"""Opens the logger's page in headless Chromium through chromedriver (WebDriver over plain
HTTP from urllib) and checks what a person on deck would see.

Usage: web_page_in_browser.py SIM BAROMON WORKDIR SHOTS NAME WIDTH HEIGHT DPR
The simulator feeds the headless logger, which serves the page on a free loopback port.
Prints what it checked; exits 1 at the first thing that is wrong.
"""
import base64, json, os, socket, subprocess, sys, time, urllib.request, urllib.error

sim, baromon, work, shots, name = sys.argv[1:6]
width, height, dpr = int(sys.argv[6]), int(sys.argv[7]), float(sys.argv[8])


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def fail(message):
    print("FAIL:", message, flush=True)
    sys.exit(1)


def wait(condition, seconds, what):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    fail("no " + what + " within %d s" % seconds)


def call(method, url, body=None):
    data = None if body is None else json.dumps(body).encode()
    request = urllib.request.Request(url, data=data, method=method,
                                     headers={"Content-Type": "application/json"})
    try:
        with urllib.request.urlopen(request, timeout=60) as answer:
            return json.loads(answer.read() or b"{}").get("value")
    except urllib.error.HTTPError as e:
        fail("WebDriver %s %s: %s" % (method, url, e.read()[:500]))
    except OSError:
        return None


processes = []
try:
    # Two days of records, so the barogram has its curve in the screenshots.
    subprocess.run([sim, "--log", "2", "--out", os.path.join(work, "monitor.txt")], check=True,
                   stdout=subprocess.DEVNULL)
    feed = subprocess.Popen([sim, "--pty", "--interval", "1"], stdout=subprocess.PIPE, text=True)
    processes.append(feed)
    device = feed.stdout.readline().strip()
    web = free_port()
    logger = subprocess.Popen([baromon, "--headless", "--port", "2=" + device,
                               "--serve-http", "127.0.0.1:%d" % web], cwd=work,
                              stdout=open(os.path.join(work, "logger.txt"), "w"), stderr=subprocess.STDOUT)
    processes.append(logger)
    driver_port = free_port()
    driver = subprocess.Popen(["chromedriver", "--port=%d" % driver_port], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    processes.append(driver)
    base = "http://127.0.0.1:%d" % driver_port
    wait(lambda: (call("GET", base + "/status") or {}).get("ready"), 30, "chromedriver")

    options = {"binary": "/usr/bin/chromium",
               "args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                        "--user-data-dir=" + os.path.join(work, "profile"),
                        "--window-size=%d,%d" % (width, height)]}
    if dpr != 1:
        options["mobileEmulation"] = {"deviceMetrics": {"width": width, "height": height, "pixelRatio": dpr}}
    session = call("POST", base + "/session",
                   {"capabilities": {"alwaysMatch": {"browserName": "chrome", "goog:chromeOptions": options}}})
    at = base + "/session/" + session["sessionId"]

    def run(script):
        return call("POST", at + "/execute/sync", {"script": script, "args": []})

    call("POST", at + "/url", {"url": "http://127.0.0.1:%d/" % web})
    first = wait(lambda: (lambda t: t if t and t != "\u2013" else None)(
        run("return document.getElementById('time').textContent")), 30, "live value")
    pressure = run("return document.getElementById('pressure').textContent")
    print("live time", first, "pressure", pressure, flush=True)
    if "hPa" not in pressure:
        fail("no pressure in hPa: " + repr(pressure))
    changed = wait(lambda: (lambda t: t if t != first else None)(
        run("return document.getElementById('time').textContent")), 10, "change of the live value")
    print("changed to", changed, flush=True)

    size = wait(lambda: (lambda v: v if v and v["complete"] and v["natural"] > 0 else None)(run(
        "const i = document.getElementById('barogram');"
        "return {complete: i.complete, natural: i.naturalWidth, naturalHeight: i.naturalHeight,"
        " inner: window.innerWidth, dpr: window.devicePixelRatio, alt: i.alt,"
        " scroll: document.documentElement.scrollWidth, lang: document.documentElement.lang};")),
        30, "barogram picture")
    print("picture", json.dumps(size, sort_keys=True), flush=True)
    if size["dpr"] != dpr:
        fail("device pixel ratio %s, not %s" % (size["dpr"], dpr))
    if size["natural"] != round(size["inner"] * size["dpr"]):
        fail("the barogram is %d pixels wide for a window of %d x %s" % (size["natural"], size["inner"],
                                                                         size["dpr"]))
    if size["scroll"] > size["inner"]:
        fail("the page is %d wide in a window of %d" % (size["scroll"], size["inner"]))
    if not size["alt"] or size["lang"] != "de":
        fail("alt text %r, language %r" % (size["alt"], size["lang"]))
    shot = call("GET", at + "/screenshot")
    os.makedirs(shots, exist_ok=True)
    with open(os.path.join(shots, name + ".png"), "wb") as f:
        f.write(base64.b64decode(shot))
    call("DELETE", at)
    print("OK", flush=True)
finally:
    for p in reversed(processes):
        p.terminate()
        try:
            p.wait(10)
        except subprocess.TimeoutExpired:
            p.kill()
