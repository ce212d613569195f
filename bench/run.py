#!/usr/bin/env python3
"""Runs every benchmark against its baseline, interleaved (ours, baseline, ours, ...), and prints one table
of medians with min and max, each row with the environment it ran in. Benchmarks are not tests: this never
fails on a missed target.

    run.py BUILD_DIR [ROUNDS]
Needs DISPLAY set to a private X server (scripts/bench.sh starts Xvfb) and XDG_RUNTIME_DIR set to a fresh
folder, and dbus-daemon with at-spi2-core for the start-up on a desktop session."""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile

build = os.path.abspath(sys.argv[1])
rounds = max(7, int(sys.argv[2]) if len(sys.argv) > 2 else 9)
xwindow = os.path.join(build, 'tests', 'xwindow')
standin = os.path.join(build, 'tests', 'fake_nodebuilder')
frontend = os.path.join(build, 'vantrel-frontend')
minimal = os.path.join(build, 'bench', 'bench_minimal_window')
captioned = os.path.join(build, 'bench', 'bench_captioned_window')
plain = os.path.join(build, 'bench', 'bench_plain_controls_window')
config = tempfile.mkdtemp(prefix='vantrel-bench-')

# What a program finds of a desktop before its window appears, so that each row says what it measured and a
# figure compares with another machine's: the toolkit asks the session bus (the accessibility bridge, at the
# first control's text), picks a platform theme by the desktop's name, and reads its own switches.
DESKTOP_VARIABLES = ('DBUS_SESSION_BUS_ADDRESS', 'AT_SPI_BUS_ADDRESS', 'XDG_CURRENT_DESKTOP', 'XDG_SESSION_DESKTOP',
                     'DESKTOP_SESSION', 'GNOME_DESKTOP_SESSION_ID', 'KDE_FULL_SESSION', 'QT_QPA_PLATFORMTHEME',
                     'QT_STYLE_OVERRIDE', 'QT_ACCESSIBILITY', 'QT_LINUX_ACCESSIBILITY_ALWAYS_ON', 'QT_SCALE_FACTOR',
                     'QT_SCREEN_SCALE_FACTORS', 'QT_AUTO_SCREEN_SCALE_FACTOR', 'QT_FONT_DPI')
env = {k: v for k, v in os.environ.items() if k not in DESKTOP_VARIABLES}
env.update(XDG_CONFIG_HOME=config, QT_QPA_PLATFORM='xcb')

# Without a session bus the bus library starts one through dbus-launch (package dbus-x11) where that is
# installed, and fails at once where it is not: the bare X server's figures differ by it.
runtime_bus = os.path.join(env.get('XDG_RUNTIME_DIR', '/nonexistent'), 'bus')
if os.path.exists(runtime_bus):
    sys.exit(f'run.py: {runtime_bus} is a session bus; XDG_RUNTIME_DIR must be a fresh folder')
dbus_launch = shutil.which('dbus-launch', path='/usr/bin:' + env.get('PATH', ''))
BARE = ('bare X server: no session bus, no accessibility bus; dbus-x11 ' +
        ('installed, so dbus-launch starts a session bus' if dbus_launch else 'not installed, so none is started'))
DESKTOP = 'desktop: session bus and accessibility bus running, no screen reader'
IN_PROCESS = 'one process on the bare X server'


def launch(title, program, environment):
    """Milliseconds from start to the window mapped, and the resident set then (MiB). The watcher runs in a
    process group of its own with the program it starts: should it lose the X server and leave the program
    behind, the group is ended and the round taken again."""
    for _ in range(3):
        with tempfile.TemporaryFile('w+') as out:
            watcher = subprocess.Popen([xwindow, 'launch', title, '--', program], env=environment, stdout=out,
                                       stderr=out, start_new_session=True)
            try:
                status = watcher.wait(timeout=90)
            except subprocess.TimeoutExpired:
                status = None
            if status != 0:
                try:
                    os.killpg(watcher.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                watcher.wait()
                out.seek(0)
                print(f'run.py: round taken again: {out.read().strip() or "no answer"}', file=sys.stderr)
                continue
            out.seek(0)
            milliseconds, kib = out.read().split()[:2]
            return float(milliseconds), int(kib) / 1024.0
    sys.exit(f'run.py: {program} could not be timed')


def desktop_session():
    """A session bus with the accessibility bus on it, as a desktop session starts them at login: the toolkit
    talks to both before its window appears. Returns the environment that reaches them and the bus's pid."""
    bus = subprocess.run(['dbus-daemon', '--session', '--fork', '--print-address=1', '--print-pid=1'], env=env,
                         check=True, capture_output=True, text=True).stdout.split('\n')
    session = dict(env, DBUS_SESSION_BUS_ADDRESS=bus[0])
    subprocess.run(['dbus-send', '--session', '--print-reply', '--dest=org.a11y.Bus', '/org/a11y/bus',
                    'org.a11y.Bus.GetAddress'], env=session, check=True, capture_output=True)
    return session, int(bus[1])


def spread(samples):
    return statistics.median(samples), min(samples), max(samples)


rows = []


def row(figure, where, ours, baseline, unit, compare, target, limit):
    o, b = spread(ours), spread(baseline)
    value = o[0] / b[0] if compare == 'ratio' else o[0] - b[0]
    shown = f'{value:.2f}x' if compare == 'ratio' else f'{value:+.2f} {unit}'
    rows.append((figure, where, f'{o[0]:.2f} {unit} ({o[1]:.2f}..{o[2]:.2f})',
                 f'{b[0]:.2f} {unit} ({b[1]:.2f}..{b[2]:.2f})', shown, target,
                 '-' if limit is None else 'met' if value <= limit else 'NOT met'))


def load():
    return ' '.join(f'{figure:.2f}' for figure in os.getloadavg())


load_before = load()

# Start-up and memory: process start to the window mapped, and the resident set at that moment. The start-up's
# floor is the plainest Qt program with the main window's controls and captions (default font and style, in
# grids). The empty window and the same with one caption are measured beside it, for comparison: what the
# controls cost a plain program, and what drawing any text costs.
STARTUP_PROGRAMS = (('ours', frontend, 'Vantrel Frontend'), ('plain', plain, 'Baseline window'),
                    ('empty', minimal, 'Baseline window'), ('caption', captioned, 'Baseline window'))


def startups(environment):
    """Each start-up program's milliseconds and mebibytes, interleaved round by round, by its key."""
    times = {key: [] for key, _, _ in STARTUP_PROGRAMS}
    memory = {key: [] for key, _, _ in STARTUP_PROGRAMS}
    for _ in range(rounds):
        for key, program, title in STARTUP_PROGRAMS:
            ms, mib = launch(title, program, environment)
            times[key].append(ms)
            memory[key].append(mib)
    return times, memory


def startup_rows(where, times, limit):
    row('Start-up, against the plain controls', where, times['ours'], times['plain'], 'ms', 'ratio',
        f'ratio <= {limit}', limit)
    row('Start-up, against the empty window', where, times['ours'], times['empty'], 'ms', 'ratio',
        'none: for comparison', None)
    row('Start-up of the plain controls, against the empty window', where, times['plain'], times['empty'], 'ms',
        'ratio', 'none: what the controls cost', None)
    row('Start-up of the empty window with one caption', where, times['caption'], times['empty'], 'ms', 'ratio',
        'none: what text costs', None)


times, memory = startups(env)
startup_rows(BARE, times, 1.1)
row('Memory, against the empty window', BARE, memory['ours'], memory['empty'], 'MiB', 'difference', '<= +8 MiB',
    8.0)

# The same start-up on a desktop: every program on a session bus with the accessibility bus present.
session, bus_pid = desktop_session()
try:
    startup_rows(DESKTOP, startups(session)[0], 1.1)
finally:
    os.kill(bus_pid, signal.SIGTERM)  # the accessibility bus's launcher ends with the session's bus

# Build round trip: the program interleaves its own rounds with the posix_spawn baseline.
lines = subprocess.run([os.path.join(build, 'bench', 'bench_roundtrip'), standin, str(rounds * 3)], env=env,
                       check=True, capture_output=True, text=True).stdout.split('\n')
pairs = [tuple(map(float, line.split())) for line in lines if line.strip()]
row('Build round trip', IN_PROCESS, [p[0] for p in pairs], [p[1] for p in pairs], 'ms', 'difference', '<= +5 ms',
    5.0)

# Big folder: a new file browser at 100,000 files until its list is filled, against readdir with the match.
browse = os.path.join(build, 'bench', 'bench_browse')
if os.path.exists(browse):
    lines = subprocess.run([browse, str(rounds)], env=env, check=True, capture_output=True,
                           text=True).stdout.split('\n')
    pairs = [tuple(map(float, line.split())) for line in lines if line.strip()]
    row('Big folder', IN_PROCESS, [p[0] for p in pairs], [p[1] for p in pairs], 'ms', 'ratio', 'ratio <= 2', 2.0)

# NodeBuilder's console: 10 MB of lines from the stand-in shown until the run ends, against the same bytes read
# from a pseudo-terminal by a bare read loop; and how often the console repainted meanwhile. Once with nobody
# listening (no line is announced), once on a desktop whose accessibility is on, where each batch of new lines
# is announced to the accessibility bus.
ANNOUNCING = 'desktop: session and accessibility bus, accessibility on (QT_LINUX_ACCESSIBILITY_ALWAYS_ON): lines announced'


def console_rows(where, environment, with_memory):
    lines = subprocess.run([console, standin, str(rounds)], env=environment, check=True, capture_output=True,
                           text=True).stdout.split('\n')
    triples = [tuple(map(float, line.split())) for line in lines if line.strip()]
    row('Console, 10 MB of lines', where, [t[0] for t in triples], [t[1] for t in triples], 'ms', 'ratio',
        'ratio <= 2.5', 2.5)
    rate = spread([t[2] for t in triples])
    rows.append(('Console repaints while streaming', where, f'{rate[0]:.1f} /s ({rate[1]:.1f}..{rate[2]:.1f})',
                 '-', '-', '>= 20 /s', 'met' if rate[0] >= 20 else 'NOT met'))
    if with_memory:
        row('Console memory after 10 MB', where, [t[3] for t in triples], [t[4] for t in triples], 'MiB',
            'difference', '<= +8 MiB', 8.0)


console = os.path.join(build, 'bench', 'bench_console')
if os.path.exists(console):
    console_rows(IN_PROCESS, env, True)
    session, bus_pid = desktop_session()
    try:
        console_rows(ANNOUNCING, dict(session, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1'), False)
    finally:
        os.kill(bus_pid, signal.SIGTERM)

header = ('Figure', 'Runs in', 'Ours: median (min..max)', 'Baseline, same run', 'Ratio or difference', 'Target', 'Met')
widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
print(f'{rounds} interleaved rounds each (round trip: {rounds * 3}); {os.cpu_count()} processors, load average '
      f'(1, 5, 15 min) {load_before} before, {load()} after')
for r in [header] + rows:
    print(' | '.join(str(c).ljust(w) for c, w in zip(r, widths)))
