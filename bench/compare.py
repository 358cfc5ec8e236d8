#!/usr/bin/python3
"""Runs the client's benchmarks beside its peers and prints one table.

  compare.py BUILD_DIR [--runs N] [--markdown FILE]

Page readers: tamsor_reader_bench against peer_session.py's cutting of the same pages.
Session: tamsor_session_client (the client's forum operations), tamsor_floor_client (bare
libcurl) and peer_session.py (requests + re), each in a process of its own against one
tamsor-forum-sim in another, taking turns; once on loopback as it is and once with the simulator
answering as if LATENCY_MS away. Start-up: the tamsor client under Xvfb.
"""

import argparse
import json
import os
import queue
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"  # the distribution's interpreter, with its python3-requests
PEER = os.path.join(HERE, "peer_session.py")
DEMO_NAME, DEMO_PASSWORD = "demo", "demo123"
PROFILE_PAUSE_MS = 200.0
LONG_LINE_LIMIT_S = 60
LATENCY_MS = 20  # a round trip to a server in the same region


def median(values):
    return statistics.median(values) if values else None


class Simulator:
    """tamsor-forum-sim in a process of its own; answers captcha-code queries and keeps the time
    at which each logged request arrived."""

    def __init__(self, binary, account_port=0, forum_port=0, log=False, latency_ms=0):
        command = [binary, "--account-port", str(account_port), "--forum-port", str(forum_port),
                   "--latency", str(latency_ms), "--captcha-queries"] + (["--log"] if log else [])
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, bufsize=1)
        self.codes = queue.Queue()
        self.counts = queue.Queue()
        self.requests = queue.Queue()
        self.account_host = self.forum_host = None
        for line in self.process.stdout:
            if line.startswith("account host: http://"):
                self.account_host = line.split("http://", 1)[1].strip()
            elif line.startswith("forum host:"):
                self.forum_host = line.split("http://", 1)[1].strip()
                break
        if not self.forum_host:
            raise RuntimeError("the simulator did not start")
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            if line.startswith("captcha code: "):
                self.codes.put(line[len("captcha code: "):].strip())
            elif line.startswith("connections: "):  # "connections: account=N forum=M"
                self.counts.put(sum(int(item.split("=")[1]) for item in line.split()[1:]))
            elif line.startswith("["):
                self.requests.put((time.monotonic(), line.strip()))

    def captcha_code(self):
        self.process.stdin.write("\n")
        self.process.stdin.flush()
        return self.codes.get(timeout=10)

    def connections(self):
        """Connections both hosts have accepted so far."""
        self.process.stdin.write("connections\n")
        self.process.stdin.flush()
        return self.counts.get(timeout=10)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


def run_client(command, simulator):
    """Runs one session client; its figures (with the connections it opened), check lines,
    addresses and rusage."""
    connections_before = simulator.connections()
    process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    figures, checks, addresses = {}, [], {}
    for line in process.stdout:
        if line == "captcha\n":
            process.stdin.write(simulator.captcha_code() + "\n")
            process.stdin.flush()
        elif line.startswith("result "):
            figures = {k: float(v) for k, v in (item.split("=") for item in line.split()[1:])}
        elif line.startswith("laps "):
            figures.update({"lap " + k: float(v) for k, v in (
                item.split("=") for item in line.split()[1:])})
        elif line.startswith("check "):
            checks.append(line[len("check "):].strip())
        elif line.startswith("address "):
            _, name, value = line.strip().split(" ", 2)
            addresses[name] = value
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0 or not figures:
        raise RuntimeError(f"{command[0]} failed with status {process.returncode}")
    figures["process_cpu_ms"] = (usage.ru_utime + usage.ru_stime) * 1e3
    figures["connections"] = simulator.connections() - connections_before
    figures["peak_rss_mb"] = usage.ru_maxrss / 1024
    return figures, checks, addresses


def sessions(build, runs, latency_ms=0):
    simulator = Simulator(os.path.join(build, "sim", "tamsor-forum-sim"), latency_ms=latency_ms)
    hosts = [simulator.account_host, simulator.forum_host, DEMO_NAME, DEMO_PASSWORD]
    try:
        client = [os.path.join(build, "bench", "tamsor_session_client")] + hosts
        _, client_checks, addresses = run_client(client, simulator)  # warm-up; names addresses
        floor = ([os.path.join(build, "bench", "tamsor_floor_client")] + hosts +
                 [addresses[n] for n in ("board", "post", "popup", "picture", "viewer")])
        fresh = floor[:1] + ["--fresh-connections"] + floor[1:]
        peer = [PYTHON, PEER, "session"] + hosts
        clients = (("tamsor", client), ("floor", floor), ("fresh", fresh), ("python", peer))
        results = {name: [] for name, _ in clients}
        checks = {"tamsor": client_checks}
        for _ in range(runs):
            for name, command in clients:
                figures, found, _ = run_client(command, simulator)
                results[name].append(figures)
                checks[name] = found
        return ({name: {key: median([r[key] for r in rows]) for key in rows[0]}
                 for name, rows in results.items()}, checks)
    finally:
        simulator.stop()


def readers(build, runs, pages):
    binary = os.path.join(build, "bench", "tamsor_reader_bench")
    subprocess.run([binary, "--write-pages", pages], check=True)
    output = subprocess.run(
        [binary, f"--benchmark_repetitions={runs}", "--benchmark_report_aggregates_only=true",
         "--benchmark_format=json", "--benchmark_min_time=0.3"],
        check=True, capture_output=True, text=True).stdout
    ours = {b["run_name"]: b["cpu_time"] for b in json.loads(output)["benchmarks"]
            if b.get("aggregate_name") == "median"}
    theirs = json.loads(subprocess.run([PYTHON, PEER, "readers", pages, str(max(runs, 11))],
                                       check=True, capture_output=True, text=True).stdout)
    try:
        long_line = subprocess.run([PYTHON, PEER, "long_line", pages], check=True,
                                   capture_output=True, text=True, timeout=LONG_LINE_LIMIT_S)
        theirs.update(json.loads(long_line.stdout))
    except subprocess.TimeoutExpired:
        theirs["long_line_post"] = None
    return ours, theirs


def start_display():
    """A private Xvfb on a free display number."""
    for _ in range(3):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                 "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if number:
            return xvfb, ":" + number
        xvfb.wait(timeout=10)
    raise RuntimeError("Xvfb did not start")


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return None


class Desktop:
    """Finds the client's windows on the private display by their size and clicks into them the
    way a person would, with xdotool."""

    LOGIN, MESSAGE, OPERATIONS = (411, 239), (320, 78), (248, 502)
    BOARD_BROWSER, POST_VIEWER = (415, 553), (391, 422)

    def __init__(self, environment, pid):
        self.environment, self.pid = environment, pid

    def _xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.environment, capture_output=True,
                              text=True).stdout

    def window(self, size, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for window in self._xdotool("search", "--onlyvisible", "--pid",
                                        str(self.pid)).split():
                shape = dict(line.split("=") for line in self._xdotool(
                    "getwindowgeometry", "--shell", window).split())
                if (int(shape["WIDTH"]), int(shape["HEIGHT"])) == size:
                    return window, int(shape["X"]), int(shape["Y"])
            time.sleep(0.05)
        raise RuntimeError(f"no window of size {size} appeared")

    # Without a window manager nobody hands out the keyboard focus: the click does it here.
    def click(self, size, x, y, double=False):
        window, left, top = self.window(size)
        self._xdotool("windowfocus", "--sync", window)
        repeat = ["--repeat", "2", "--delay", "60"] if double else []
        self._xdotool("mousemove", "--sync", str(left + x), str(top + y), "click", *repeat, "1")

    def type_into(self, size, x, y, text):
        self.click(size, x, y)
        self._xdotool("type", "--delay", "20", text)

    def key(self, name):
        self._xdotool("key", name)


def wait_for_request(simulator, part, timeout=15):
    deadline = time.monotonic() + timeout
    while True:
        arrived, line = simulator.requests.get(timeout=max(deadline - time.monotonic(), 0.01))
        if part in line + "\n":  # a part ending in "\n" must end the line
            return arrived


def drive_session(simulator, desktop):
    """A whole session through the windows: sign in, punch, board directory, one board, one
    post, its picture in the viewer. Each step waits for the requests it makes, and for the
    window to settle, before the next one starts."""
    d = desktop

    def step(action, *requests, settle=0.3):
        while not simulator.requests.empty():
            simulator.requests.get()
        action()
        for part in requests:
            wait_for_request(simulator, part)
        time.sleep(settle)

    d.window(d.LOGIN)
    code = simulator.captcha_code()
    d.type_into(d.LOGIN, 140, 133, DEMO_NAME)
    d.type_into(d.LOGIN, 140, 172, DEMO_PASSWORD)
    d.type_into(d.LOGIN, 140, 212, code)
    step(lambda: d.key("Return"), "POST /index.php")
    # 欢迎回来: OK opens the operations window, which fetches the profile (and pauses 200 ms).
    step(lambda: d.click(d.MESSAGE, 160, 60), "[forum] GET /\n", settle=0.5)
    step(lambda: d.click(d.OPERATIONS, 124, 52), "POST /jobcenter.php")  # punch
    step(lambda: d.click(d.MESSAGE, 160, 60), "[forum] GET /\n", settle=0.5)  # profile again
    step(lambda: d.click(d.OPERATIONS, 68, 209))  # the board browser
    step(lambda: d.click(d.BOARD_BROWSER, 369, 212), "[forum] GET /\n", "[forum] GET /\n")
    step(lambda: d.click(d.BOARD_BROWSER, 55, 77, double=True), "GET /thread.php")
    # The first thread opens in the post viewer, which reads it and fetches its two pictures.
    step(lambda: d.click(d.BOARD_BROWSER, 119, 296, double=True), "GET /r", "GET /images/",
         "GET /images/", settle=0.5)
    step(lambda: d.click(d.POST_VIEWER, 64, 368, double=True), "GET /images/", settle=0.5)


def watch_map(watch, environment):
    """tamsor_map_watch, ready to see the next window titled "Tamsor..." mapped."""
    watcher = subprocess.Popen([watch, "Tamsor"], stdout=subprocess.PIPE, text=True,
                               env=environment)
    if watcher.stdout.readline() != "ready\n":
        watcher.wait(timeout=10)
        raise RuntimeError("tamsor_map_watch could not watch the display")
    return watcher


def end(process):
    if process.poll() is None:
        process.terminate()
    process.wait(timeout=10)


def start_floor(floor, watch, environment):
    """Milliseconds from starting the bare Qt window to its map, and its RSS then."""
    watcher = watch_map(watch, environment)
    started = time.monotonic()
    program = subprocess.Popen([floor], env=environment, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        mapped = float(watcher.stdout.readline().split()[1])
        time.sleep(0.5)
        return (mapped - started) * 1e3, resident_mb(program.pid)
    finally:
        end(program)
        end(watcher)


def start_up(build, runs):
    client = os.path.join(build, "src", "app", "tamsor")
    watch = os.path.join(build, "bench", "tamsor_map_watch")
    floor = os.path.join(build, "bench", "tamsor_start_floor")
    if not (os.path.exists(client) and os.path.exists(watch) and shutil.which("Xvfb")):
        return None
    ports = read_cache(build, "TAMSOR_ACCOUNT_HOST"), read_cache(build, "TAMSOR_FORUM_HOST")
    xvfb, display = start_display()
    environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    times, captcha_times, resident, floor_times, floor_resident = [], [], [], [], []
    after_session = session_connections = None
    simulator = None
    try:
        simulator = Simulator(os.path.join(build, "sim", "tamsor-forum-sim"),
                              ports[0].rsplit(":", 1)[1], ports[1].rsplit(":", 1)[1], log=True)
        for run in range(runs + 2):
            if 0 < run <= runs and os.path.exists(floor):
                floor_ms, floor_mb = start_floor(floor, watch, environment)
                floor_times.append(floor_ms)
                floor_resident.append(floor_mb)
            watcher = watch_map(watch, environment)
            while not simulator.requests.empty():
                simulator.requests.get()
            connections_before = simulator.connections()
            started = time.monotonic()
            program = subprocess.Popen([client], env=environment, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            try:
                mapped = float(watcher.stdout.readline().split()[1])  # "mapped <seconds> ..."
                watcher.wait(timeout=10)
                arrived = wait_for_request(simulator, "/class/CAP/codeshow.php")
                time.sleep(0.5)
                if run == 0:
                    pass  # fills the font caches; not counted
                elif run <= runs:
                    times.append((max(mapped, arrived) - started) * 1e3)
                    captcha_times.append((arrived - started) * 1e3)
                    resident.append(resident_mb(program.pid))
                else:
                    try:
                        drive_session(simulator, Desktop(environment, program.pid))
                        after_session = resident_mb(program.pid)
                        session_connections = simulator.connections() - connections_before
                    except (RuntimeError, queue.Empty) as failure:
                        print(f"the session through the windows did not finish: {failure}",
                              file=sys.stderr)
            finally:
                end(program)
                end(watcher)
    finally:
        xvfb.terminate()
        xvfb.wait(timeout=10)
        if simulator:
            simulator.stop()
    return {"start_up_ms": median(times), "captcha_request_ms": median(captcha_times),
            "rss_login_mb": median(resident), "rss_session_mb": after_session,
            "floor_start_up_ms": median(floor_times), "floor_rss_mb": median(floor_resident),
            "session_connections": session_connections}


def read_cache(build, name):
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        for line in cache:
            if line.startswith(name + ":"):
                return line.split("=", 1)[1].strip()
    return ""


def ratio(a, b):
    return f"{b / a:.1f}x" if a and b else "-"


def count(value):
    return "-" if value is None else f"{value:g}"


def ms(value):
    return "-" if value is None else f"{value:.2f}" if value < 10 else f"{value:.1f}"


def table(ours, theirs, session, startup):
    rows = [("Figure (medians; ms unless noted)", "tamsor", "libcurl floor", "Python peer",
             "Peer / tamsor", "Goal")]
    readers = [("Profile reader, 0.9 MB start page (CPU)", "BM_ReadProfile", "profile"),
               ("Directory reader, start page x2, 500 boards", "BM_ReadDirectory", "directory"),
               ("Thread list reader, 1 MB board, 1000 threads", "BM_ReadThreadList", "thread_list"),
               ("Post reader, 1 MB post", "BM_ReadPost/post", "post"),
               ("Long-line post reader, 1 MB one line", "BM_ReadPost/long_line_post",
                "long_line_post"),
               ("GBK decoding alone: start page", "BM_PageText/start_page",
                "page_text/start_page"),
               ("GBK decoding alone: board page", "BM_PageText/board_page",
                "page_text/board_page"),
               ("GBK decoding alone: post page", "BM_PageText/post_page", "page_text/post_page")]
    for label, bench, peer in readers:
        goal = ("< 50 ms" if peer == "long_line_post" else "" if peer.startswith("page_text")
                else ">= 10x")
        python = theirs.get(peer)
        shown = (f"> {LONG_LINE_LIMIT_S} s (stopped)" if python is None and peer in theirs
                 else ms(python))
        rows.append((label, ms(ours.get(bench)), "", shown, ratio(ours.get(bench), python), goal))
    for label, bench in (("Pattern alone: board names", "BM_Regex/board_names"),
                         ("Pattern alone: board links", "BM_Regex/board_links"),
                         ("Pattern alone: thread titles", "BM_Regex/thread_titles"),
                         ("Pattern alone: thread IDs", "BM_Regex/thread_ids"),
                         ("Pattern alone: post pictures", "BM_Regex/post_pictures"),
                         ("Pattern alone: long-line pictures", "BM_Regex/long_line_pictures")):
        rows.append((label, ms(ours.get(bench)), "", "", "", ""))
    if session:
        t, f, p = session["tamsor"], session["floor"], session["python"]
        rows += [
            ("Session wall time (ms)", ms(t["wall_ms"]), ms(f["wall_ms"]), ms(p["wall_ms"]),
             "", ""),
            ("Session wall less the 200 ms profile pause", ms(t["wall_ms"] - PROFILE_PAUSE_MS),
             ms(f["wall_ms"]), ms(p["wall_ms"]),
             f"{(t['wall_ms'] - PROFILE_PAUSE_MS) / f['wall_ms']:.2f}x the floor; "
             f"Python {ratio(t['wall_ms'] - PROFILE_PAUSE_MS, p['wall_ms'])}", "<= 1.2x floor"),
            ("  libcurl with a new connection per request", "", ms(session["fresh"]["wall_ms"]),
             "", "", ""),
            ("Connections opened per session", count(t["connections"]), count(f["connections"]),
             count(p["connections"]), "", "2 (one per host)"),
            ("Session CPU (ms)", ms(t["cpu_ms"]), ms(f["cpu_ms"]), ms(p["cpu_ms"]),
             ratio(t["cpu_ms"], p["cpu_ms"]), ">= 3x"),
            ("Process CPU incl. start and exit (ms)", ms(t["process_cpu_ms"]),
             ms(f["process_cpu_ms"]), ms(p["process_cpu_ms"]),
             ratio(t["process_cpu_ms"], p["process_cpu_ms"]), ""),
            ("Peak RSS of the session process (MB)", ms(t["peak_rss_mb"]), ms(f["peak_rss_mb"]),
             ms(p["peak_rss_mb"]), ratio(t["peak_rss_mb"], p["peak_rss_mb"]), ""),
        ]
    if startup:
        rows += [("Start-up to login window with captcha (ms)", ms(startup["start_up_ms"]),
                  ms(startup["floor_start_up_ms"]) + " (bare Qt window)", "", "", "< 60 ms"),
                 ("  captcha requested after (ms)", ms(startup["captcha_request_ms"]), "", "", "",
                  ""),
                 ("Client RSS at the login window (MB)", ms(startup["rss_login_mb"]),
                  ms(startup["floor_rss_mb"]) + " (bare Qt window)", "", "", ""),
                 ("Client RSS after a whole session (MB)", ms(startup["rss_session_mb"]), "", "",
                  "", "< 45 MB"),
                 ("Connections the client opened in that session",
                  count(startup["session_connections"]), "", "", "", "2 (one per host)")]
    return markdown(rows)


def latency_table(by_latency):
    """The whole session on loopback and at a real network's round trip."""
    rows = [("Latency (ms)", "tamsor, wall less the pause", "libcurl floor", "tamsor / floor",
             "libcurl, a connection per request", "Python peer",
             "Connections: tamsor / floor / per request / Python", "Goal")]
    for latency, (session, _) in by_latency.items():
        t, f = session["tamsor"], session["floor"]
        own = t["wall_ms"] - PROFILE_PAUSE_MS
        rows.append((str(latency), ms(own), ms(f["wall_ms"]), f"{own / f['wall_ms']:.2f}x",
                     ms(session["fresh"]["wall_ms"]), ms(session["python"]["wall_ms"]),
                     " / ".join(count(session[n]["connections"])
                                for n in ("tamsor", "floor", "fresh", "python")),
                     "<= 1.1x floor" if latency else ""))
    return markdown(rows)


def lap_table(session, latency):
    """Where the session's wall time goes, step by step."""
    rows = [(f"Session step at {latency} ms, wall ms (median)", "tamsor", "libcurl floor",
             "libcurl, a connection per request", "Python peer")]
    for key in session["tamsor"]:
        if key.startswith("lap "):
            rows.append((key[4:],) + tuple(ms(session[n].get(key))
                                           for n in ("tamsor", "floor", "fresh", "python")))
    return markdown(rows)


def markdown(rows):
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]))]
    lines = ["| " + " | ".join(cell.ljust(w) for cell, w in zip(row, widths)) + " |"
             for row in rows]
    lines.insert(1, "|" + "|".join("-" * (w + 2) for w in widths) + "|")
    return "\n".join(lines)


def main():
    options = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    options.add_argument("build")
    options.add_argument("--runs", type=int, default=5)
    options.add_argument("--markdown")
    args = options.parse_args()
    with tempfile.TemporaryDirectory() as pages:
        ours, theirs = readers(args.build, args.runs, pages)
    by_latency = {latency: sessions(args.build, args.runs, latency)
                  for latency in (0, LATENCY_MS)}
    session, checks = by_latency[0]
    try:
        startup = start_up(args.build, args.runs)
    except (RuntimeError, OSError, IndexError, ValueError, queue.Empty,
            subprocess.TimeoutExpired) as failure:
        print(f"start-up: not measured: {failure!r}", file=sys.stderr)
        startup = None
    result = "\n\n".join([table(ours, theirs, session, startup), latency_table(by_latency)] +
                         [lap_table(found, latency) for latency, (found, _) in by_latency.items()])
    print(result)
    for name, found in checks.items():
        print(f"{name}: {' / '.join(found)}")
    if startup is None:
        print("start-up: not measured (no tamsor client, tamsor_map_watch or Xvfb in the build)")
    if args.markdown:
        with open(args.markdown, "w") as out:
            out.write(result + "\n")


if __name__ == "__main__":
    sys.exit(main())
