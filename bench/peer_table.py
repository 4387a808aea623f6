#!/usr/bin/env python3
# The player beside the skinned Linux players that wear the same classic skins, and beside the bare
# stack (build/bench/stack_floor), measured the same way for every program:
#   1. start to main window mapped, a returning user;
#   2. start with an MP3 argument to its first sound, a returning user;
#   3. resident memory (Rss of /proc/PID/smaps_rollup) 3 s into playing that MP3;
#   4. CPU share (time on the CPU of all its threads, % of one core) over the 4 s that follow.
# Runs are interleaved program by program; the table holds medians, each with its ratio to the player.
#
# Run by hand on a quiet machine, after building (build/velmora and build/bench/stack_floor):
#   xvfb-run -a python3 bench/peer_table.py 5 [--install NAME=FOLDER ...]
# --install adds a column for another build's install folder (a copy of build/velmora kept from
# before a change), so a change is measured beside the build and the peers in one run.
# Needs, beside the build: Python 3 (standard library only; X is spoken through libxcb), Xvfb,
# gst-launch-1.0 with lamemp3enc, xingmux and id3v2mux (makes the MP3), and the Debian packages
# pulseaudio, pulseaudio-utils (parec), audacious with audacious-plugins, and qmmp. A peer that
# is not installed is left out.
#
# How it measures:
# - Sound: a PulseAudio daemon of the bench's own (its own runtime folder, --exit-idle-time=-1, one
#   null sink as the default, no real device) is the only server the programs see (PULSE_SERVER).
#   parec records the sink's monitor from start to end; first sound is the monotonic time of the
#   first sample above a small threshold, less the program's spawn time. The player and the floor
#   run with VELMORA_AUDIO_SINK unset, so they pick GStreamer's own sink (PulseAudio here); the
#   peers use their PulseAudio output.
# - Window: MapNotify on the root window, the window's owner read from _NET_WM_PID; the first
#   top-level window a program maps counts. No window manager runs.
# - Home: each program has a private HOME and XDG folders (config, data, cache, runtime) and is
#   started twice before the runs (once bare, once with the MP3), so every measured start is a
#   returning user's. The player and the floor are copies of their install folders, since the
#   player writes beside itself. The audacious home is set to its GTK mode's classic-skins
#   interface; qmmp's skinned interface is its default, its output is set to PulseAudio. All share
#   a D-Bus session bus of the bench's own, as a desktop has one, that starts no services.
# - End: SIGTERM (the player and audacious save and quit on it), qmmp's own --quit; SIGKILL after 5 s.
import array
import ctypes
import ctypes.util
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(REPO, "build")
TIMEOUT = 20.0  # seconds a start may take before its figure counts as missing
PLAY_BEFORE_MEMORY = 3.0
CPU_SECONDS = 4.0
RATE, CHANNELS = 44100, 2
BYTES_PER_SECOND = RATE * CHANNELS * 2
LOUD = 64  # a sample above this (of 32767) is sound; the tone peaks near 26000


def log(text):
    print(text, file=sys.stderr, flush=True)


class MapWatch:
    """Maps of top-level windows on the X server in DISPLAY, through libxcb."""

    MAP_NOTIFY = 19
    CW_EVENT_MASK = 1 << 11
    SUBSTRUCTURE_NOTIFY = 1 << 19
    ATOM_CARDINAL = 6
    ATOM_WM_NAME = 39

    class _ScreenIterator(ctypes.Structure):
        _fields_ = [("data", ctypes.c_void_p), ("rem", ctypes.c_int), ("index", ctypes.c_int)]

    def __init__(self):
        x = ctypes.CDLL(ctypes.util.find_library("xcb") or "libxcb.so.1")
        self._free = ctypes.CDLL(None).free
        self._free.argtypes = [ctypes.c_void_p]
        p, u8, u16, u32 = ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint16, ctypes.c_uint32
        cookie = ctypes.c_uint  # xcb's cookies are a struct of one unsigned int, passed as one
        for name, res, args in [
            ("xcb_connect", p, [ctypes.c_char_p, p]),
            ("xcb_connection_has_error", ctypes.c_int, [p]),
            ("xcb_get_setup", p, [p]),
            ("xcb_setup_roots_iterator", self._ScreenIterator, [p]),
            ("xcb_change_window_attributes", cookie, [p, u32, u32, p]),
            ("xcb_intern_atom", cookie, [p, u8, u16, ctypes.c_char_p]),
            ("xcb_intern_atom_reply", p, [p, cookie, p]),
            ("xcb_get_property", cookie, [p, u8, u32, u32, u32, u32, u32]),
            ("xcb_get_property_reply", p, [p, cookie, p]),
            ("xcb_get_property_value_length", ctypes.c_int, [p]),
            ("xcb_get_property_value", p, [p]),
            ("xcb_get_geometry", cookie, [p, u32]),
            ("xcb_get_geometry_reply", p, [p, cookie, p]),
            ("xcb_poll_for_event", p, [p]),
            ("xcb_flush", ctypes.c_int, [p]),
        ]:
            f = getattr(x, name)
            f.restype, f.argtypes = res, args
        self._x = x
        self._c = x.xcb_connect(None, None)
        if not self._c or x.xcb_connection_has_error(self._c):
            raise SystemExit("no X server in DISPLAY; run under xvfb-run -a")
        root = ctypes.c_uint32.from_address(x.xcb_setup_roots_iterator(x.xcb_get_setup(self._c)).data).value
        mask = ctypes.c_uint32(self.SUBSTRUCTURE_NOTIFY)
        x.xcb_change_window_attributes(self._c, root, self.CW_EVENT_MASK, ctypes.byref(mask))
        reply = x.xcb_intern_atom_reply(self._c, x.xcb_intern_atom(self._c, 0, 11, b"_NET_WM_PID"), None)
        self._pid_atom = ctypes.c_uint32.from_address(reply + 8).value if reply else 0
        self._free(reply)
        x.xcb_flush(self._c)

    def _owner(self, window):
        x = self._x
        reply = x.xcb_get_property_reply(
            self._c, x.xcb_get_property(self._c, 0, window, self._pid_atom, self.ATOM_CARDINAL, 0, 1), None)
        owner = -1
        if reply and x.xcb_get_property_value_length(reply) == 4:
            owner = ctypes.c_uint32.from_address(x.xcb_get_property_value(reply)).value
        self._free(reply)
        return owner

    def size(self, window):
        reply = self._x.xcb_get_geometry_reply(self._c, self._x.xcb_get_geometry(self._c, window), None)
        if not reply:
            return None
        size = (ctypes.c_uint16.from_address(reply + 16).value, ctypes.c_uint16.from_address(reply + 18).value)
        self._free(reply)
        return size

    def name(self, window):
        x = self._x
        reply = x.xcb_get_property_reply(self._c, x.xcb_get_property(self._c, 0, window, self.ATOM_WM_NAME, 0, 0, 64), None)
        if not reply:
            return ""
        text = ctypes.string_at(x.xcb_get_property_value(reply), x.xcb_get_property_value_length(reply))
        self._free(reply)
        return text.decode("utf-8", "replace")

    def mapped(self, pid):
        """The first window of pid mapped since the last call, or None."""
        found = None
        while True:
            event = self._x.xcb_poll_for_event(self._c)
            if not event:
                return found
            if ctypes.c_uint8.from_address(event).value & 0x7F == self.MAP_NOTIFY and found is None:
                window = ctypes.c_uint32.from_address(event + 8).value
                if self._owner(window) == pid:
                    found = window
            self._free(event)


class SoundServer:
    """A private PulseAudio daemon with a null sink, its monitor read all the time by parec."""

    def __init__(self, folder):
        self.folder = folder
        for sub in ("home", "runtime", "state"):
            os.makedirs(os.path.join(folder, sub), mode=0o700, exist_ok=True)
        self.socket = os.path.join(folder, "native")
        script = os.path.join(folder, "default.pa")
        with open(script, "w") as f:
            f.write(f"load-module module-native-protocol-unix socket={self.socket} auth-anonymous=1\n"
                    f"load-module module-null-sink sink_name=null rate={RATE} channels={CHANNELS}\n"
                    "set-default-sink null\n")
        env = dict(os.environ, HOME=os.path.join(folder, "home"), XDG_RUNTIME_DIR=os.path.join(folder, "runtime"),
                   PULSE_RUNTIME_PATH=os.path.join(folder, "runtime"), PULSE_STATE_PATH=os.path.join(folder, "state"))
        env.pop("PULSE_SERVER", None)
        self._log = open(os.path.join(folder, "daemon.log"), "w")
        self.daemon = subprocess.Popen(
            ["pulseaudio", "-n", "-F", script, "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--system=no", "--realtime=no", "--high-priority=no", "--log-target=stderr"],
            env=env, stdout=self._log, stderr=self._log)
        self.server = "unix:" + self.socket
        deadline = time.monotonic() + 10
        while subprocess.run(["pactl", "--server", self.server, "info"], capture_output=True).returncode != 0:
            if time.monotonic() > deadline or self.daemon.poll() is not None:
                raise SystemExit(f"the PulseAudio daemon did not start; see {self._log.name}")
            time.sleep(0.1)
        self._lock = threading.Lock()
        self._waiting_since = None
        self._first = None
        self._last_loud = 0.0
        self._recorder = subprocess.Popen(
            ["parec", "--server", self.server, "--device=null.monitor", "--raw", "--format=s16le",
             f"--rate={RATE}", f"--channels={CHANNELS}", "--latency-msec=5"],
            stdout=subprocess.PIPE, stderr=self._log, bufsize=0)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        fd = self._recorder.stdout.fileno()
        rest = b""
        while True:
            chunk = os.read(fd, 4096)
            now = time.monotonic()
            if not chunk:
                return
            chunk, rest = rest + chunk, b""
            if len(chunk) % 2:
                chunk, rest = chunk[:-1], chunk[-1:]
            samples = array.array("h")
            samples.frombytes(chunk)
            if max(samples) <= LOUD and min(samples) >= -LOUD:
                continue
            first = next(i for i, s in enumerate(samples) if s > LOUD or s < -LOUD)
            # The loud sample arrived as long before the read as the samples after it take to play.
            at = now - (len(samples) - first) * 2 / BYTES_PER_SECOND
            with self._lock:
                self._last_loud = now
                if self._waiting_since is not None and self._first is None and at >= self._waiting_since:
                    self._first = at

    def quiet_for(self, seconds, limit=10.0):
        """Waits until the monitor has been silent for the given time."""
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            with self._lock:
                if time.monotonic() - self._last_loud >= seconds:
                    return True
            time.sleep(0.02)
        return False

    def arm(self, since):
        with self._lock:
            self._waiting_since, self._first = since, None

    def first_sound(self):
        with self._lock:
            return self._first

    def close(self):
        for p in (self._recorder, self.daemon):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        self._log.close()


class SessionBus:
    """A D-Bus session bus of the bench's own, as a desktop has, that starts no services."""

    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        self.address = "unix:path=" + os.path.join(folder, "bus")
        config = os.path.join(folder, "session.conf")
        with open(config, "w") as f:
            f.write("<busconfig><type>session</type><listen>" + self.address + "</listen><auth>EXTERNAL</auth>"
                    '<policy context="default"><allow send_destination="*" eavesdrop="true"/>'
                    '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>\n')
        self.daemon = subprocess.Popen(["dbus-daemon", "--nofork", "--config-file=" + config],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists(os.path.join(folder, "bus")):
            if time.monotonic() > deadline or self.daemon.poll() is not None:
                raise SystemExit("the session bus did not start")
            time.sleep(0.02)

    def close(self):
        self.daemon.terminate()
        self.daemon.wait()


def private_home(folder):
    """The environment of a program living in folder: its own HOME and XDG folders."""
    for sub in ("config", "data", "cache", "state", "runtime", "desktop"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    os.chmod(os.path.join(folder, "runtime"), 0o700)
    with open(os.path.join(folder, "config", "user-dirs.dirs"), "w") as f:
        f.write(f'XDG_DESKTOP_DIR="{folder}/desktop"\n')
    return {"HOME": folder, "XDG_CONFIG_HOME": f"{folder}/config", "XDG_DATA_HOME": f"{folder}/data",
            "XDG_CACHE_HOME": f"{folder}/cache", "XDG_STATE_HOME": f"{folder}/state",
            "XDG_RUNTIME_DIR": f"{folder}/runtime"}


def set_registry_enabled(path, wanted):
    """Sets the enabled line of the named plug-ins in an audacious plugin-registry file."""
    with open(path) as f:
        lines = f.read().split("\n")
    current = None
    for i, line in enumerate(lines):
        head = line.split(" ", 1)
        if len(head) == 2 and head[1].startswith("/") and head[1].endswith(".so"):
            current = os.path.basename(head[1])
        elif line.startswith("enabled ") and current in wanted:
            lines[i] = f"enabled {wanted[current]}"
    with open(path, "w") as f:
        f.write("\n".join(lines))


class Program:
    def __init__(self, name, folder, argv, env, quit_argv=None):
        self.name, self.folder, self.argv, self.env = name, folder, argv, env
        self.quit_argv = quit_argv  # the program's own way to ask a running instance to quit
        self.window = None  # the size and name of the first window mapped
        self.runs = []  # dicts of figures, one per start with the MP3 and one per bare start

    def spawn(self, extra):
        out = os.path.join(self.folder, "output.log")
        actions = [(os.POSIX_SPAWN_OPEN, 1, out, os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o644),
                   (os.POSIX_SPAWN_DUP2, 1, 2), (os.POSIX_SPAWN_OPEN, 0, os.devnull, os.O_RDONLY, 0)]
        args = self.argv + extra
        return os.posix_spawn(args[0], args, self.env, file_actions=actions)


def end(program, pid):
    """Asks the program to quit as its user could; SIGTERM if it gives no way, SIGKILL after 5 s."""
    if program.quit_argv:
        subprocess.run(program.quit_argv, env=program.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=10)
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            if os.waitpid(pid, os.WNOHANG)[0] == pid:
                return
            time.sleep(0.01)
        log(f"{program.name} did not quit when asked; ended by SIGTERM")
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        if os.waitpid(pid, os.WNOHANG)[0] == pid:
            return
        time.sleep(0.01)
    os.kill(pid, signal.SIGKILL)
    os.waitpid(pid, 0)


def rss_mb(pid):
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith("Rss:"):
                return int(line.split()[1]) / 1024.0
    return None


def cpu_ns(pid):
    """Time on the CPU of all the process's threads, in ns (finer than /proc/PID/stat's ticks)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass  # a thread that ended meanwhile
    return total


def start(program, watch, sound, mp3=None):
    """One start: the window's time, and with an MP3 the first sound, memory and CPU."""
    figures = {}
    sound.quiet_for(0.3)
    watch.mapped(-1)  # what earlier starts left
    t0 = time.monotonic()
    sound.arm(t0)
    pid = program.spawn([mp3] if mp3 else [])
    try:
        deadline = t0 + TIMEOUT
        while time.monotonic() < deadline:
            now = time.monotonic()
            if "mapped" not in figures:
                window = watch.mapped(pid)
                if window is not None:
                    figures["mapped"] = (now - t0) * 1000
                    if program.window is None:
                        program.window = (watch.size(window), watch.name(window))
            if mp3 and "sound" not in figures and sound.first_sound() is not None:
                figures["sound"] = (sound.first_sound() - t0) * 1000
            if os.waitpid(pid, os.WNOHANG)[0] == pid:
                log(f"{program.name} ended by itself; see {program.folder}/output.log")
                pid = None
                return figures
            if "sound" in figures if mp3 else "mapped" in figures:
                break
            time.sleep(0.001)

        def wait(until):  # a window mapped late still counts
            while time.monotonic() < until:
                if "mapped" not in figures and watch.mapped(pid) is not None:
                    figures["mapped"] = (time.monotonic() - t0) * 1000
                time.sleep(0.001)

        if not mp3:
            time.sleep(1.0)  # settled, so the end does not cut a start short
            if sound.first_sound() is not None:
                log(f"{program.name} made sound on a start without a file (resumed playing?)")
            return figures
        if "sound" not in figures:
            return figures
        wait(t0 + figures["sound"] / 1000 + PLAY_BEFORE_MEMORY)
        figures["rss"] = rss_mb(pid)
        before, since = cpu_ns(pid), time.monotonic()
        wait(since + CPU_SECONDS)
        figures["cpu"] = 100.0 * (cpu_ns(pid) - before) / 1e9 / (time.monotonic() - since)
        return figures
    finally:
        if pid is not None:
            end(program, pid)


def make_mp3(path):
    subprocess.run(["gst-launch-1.0", "-q", "audiotestsrc", "num-buffers=862", "samplesperbuffer=1024", "freq=440",
                    "!", f"audio/x-raw,rate={RATE},channels={CHANNELS}", "!", "audioconvert", "!", "lamemp3enc",
                    "!", "xingmux", "!", "id3v2mux", "!", "filesink", f"location={path}"], check=True)


def programs(base, server, bus, extra_installs):
    common = {k: v for k, v in os.environ.items()
              if k not in ("DBUS_SESSION_BUS_ADDRESS", "VELMORA_AUDIO_SINK", "PULSE_SERVER", "GST_PLUGIN_PATH",
                           "GST_REGISTRY", "GST_TRACERS", "SESSION_MANAGER")}
    common.update(PULSE_SERVER=server, DBUS_SESSION_BUS_ADDRESS=bus, QT_QPA_PLATFORM="xcb")
    found = []
    installs = [("velmora", os.path.join(BUILD, "velmora"))] + extra_installs + \
        [("floor", os.path.join(BUILD, "bench", "stack_floor"))]
    for name, install in installs:
        if not os.path.exists(os.path.join(install, "velmora")):
            raise SystemExit(f"{install}/velmora is missing; build the project first")
        folder = os.path.join(base, name)
        shutil.copytree(install, os.path.join(folder, "install"), symlinks=True)
        env = dict(common, **private_home(folder), VELMORA_MESSAGES_TO_STDERR="1")
        found.append(Program(name, folder, [os.path.join(folder, "install", "velmora")], env))
    if shutil.which("audacious"):
        folder = os.path.join(base, "audacious")
        found.append(Program("audacious", folder, [shutil.which("audacious")], dict(common, **private_home(folder))))
    else:
        log("audacious is not installed; its column is left out")
    if shutil.which("qmmp"):
        folder = os.path.join(base, "qmmp")
        env = dict(common, **private_home(folder))
        os.makedirs(os.path.join(folder, ".qmmp"), exist_ok=True)
        with open(os.path.join(folder, ".qmmp", "qmmprc"), "w") as f:
            f.write("[Output]\ncurrent_plugin=pulse\n")
        # Its own quit, since SIGTERM leaves its instance socket behind for the next start to clear.
        found.append(Program("qmmp", folder, [shutil.which("qmmp")], env, [shutil.which("qmmp"), "--no-start", "-q"]))
    else:
        log("qmmp is not installed; its column is left out")
    return found


def seed(program, watch, sound, mp3):
    """The starts of a user who has run the program before: one bare, one with the MP3."""
    if program.name == "audacious":
        start(program, watch, sound)  # writes the plug-in registry, where the interface is chosen
        registry = os.path.join(program.folder, "config", "audacious", "plugin-registry")
        if not os.path.exists(registry):
            log("audacious wrote no plugin-registry; it keeps its default interface")
        else:
            set_registry_enabled(registry, {"gtkui.so": 0, "qtui.so": 0, "skins-qt.so": 0, "skins.so": 1})
    program.window = None
    bare = start(program, watch, sound)
    played = start(program, watch, sound, mp3)
    log(f"seeded {program.name}: window {program.window}, mapped {bare.get('mapped')}, "
        f"sound {played.get('sound')}")


ROWS = [
    ("start to main window, returning user (ms)", "bare", "mapped", "{:.0f}"),
    ("MP3 argument to first sound, returning user (ms)", "play", "sound", "{:.0f}"),
    ("resident memory 3 s into playing (MB)", "play", "rss", "{:.1f}"),
    ("CPU while playing (% of a core)", "play", "cpu", "{:.2f}"),
    ("  (start to main window, MP3 start (ms))", "play", "mapped", "{:.0f}"),
]


def print_table(columns, runs, load_before, load_after):
    def values(program, kind, key):
        return [r[key] for k, r in program.runs if k == kind and r.get(key) is not None]

    def median(program, kind, key):
        v = values(program, kind, key)
        return statistics.median(v) if v else None

    print(f"Median of {runs} interleaved runs; load average before {load_before[0]:.2f} {load_before[1]:.2f} "
          f"{load_before[2]:.2f}, after {load_after[0]:.2f} {load_after[1]:.2f} {load_after[2]:.2f}")
    print("Sound: private PulseAudio null sink, first sample above the threshold on its monitor.")
    print("Main window (first top-level mapped, when seeding): " +
          "; ".join(f"{p.name} {p.window[0][0]}x{p.window[0][1]} '{p.window[1]}'" if p.window and p.window[0]
                    else f"{p.name} none" for p in columns))
    width = 16
    print(f"\n{'figure (median; ratio to velmora)':<50}" + "".join(f"{p.name:>{width}}" for p in columns))
    reference = columns[0]
    for label, kind, key, form in ROWS:
        line = f"{label:<50}"
        base = median(reference, kind, key)
        for p in columns:
            m = median(p, kind, key)
            n = len(values(p, kind, key))
            cell = "-" if m is None else form.format(m)
            if m is not None and p is not reference and base:
                cell += f" x{m / base:.2f}"
            if m is not None and n < runs:
                cell += f" ({n})"
            line += f"{cell:>{width}}"
        print(line)
    print("\nA count in parentheses: runs that gave the figure, when fewer than all.")
    print("\nEach run's figures:")
    for label, kind, key, form in ROWS:
        print(f"  {label}")
        for p in columns:
            print(f"    {p.name:<10} " + " ".join(form.format(v) for v in values(p, kind, key)))


def main():
    runs, extra = 5, []
    args = sys.argv[1:]
    while args:
        arg = args.pop(0)
        if arg == "--install" and args and "=" in args[0]:
            name, folder = args.pop(0).split("=", 1)
            extra.append((name, os.path.abspath(folder)))
        else:
            runs = int(arg)
    if not os.environ.get("DISPLAY"):
        raise SystemExit("no DISPLAY; run under xvfb-run -a")
    base = tempfile.mkdtemp(prefix="peer-table-")
    sound = bus = None
    try:
        bus = SessionBus(os.path.join(base, "bus"))
        sound = SoundServer(os.path.join(base, "pulse"))
        watch = MapWatch()
        mp3 = os.path.join(base, "tone.mp3")
        make_mp3(mp3)
        columns = programs(base, sound.server, bus.address, extra)
        for p in columns:
            seed(p, watch, sound, mp3)
        load_before = os.getloadavg()
        for i in range(runs):
            order = columns[i % len(columns):] + columns[:i % len(columns)]
            for p in order:
                p.runs.append(("bare", start(p, watch, sound)))
            for p in order:
                p.runs.append(("play", start(p, watch, sound, mp3)))
            log(f"run {i + 1} of {runs} done")
        print_table(columns, runs, load_before, os.getloadavg())
    finally:
        for service in (sound, bus):
            if service:
                service.close()
        if os.environ.get("PEER_TABLE_KEEP"):
            log(f"kept {base}")
        else:
            shutil.rmtree(base, ignore_errors=True)


if __name__ == "__main__":
    main()
