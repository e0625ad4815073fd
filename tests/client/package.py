#!/usr/bin/python3
"""The package as a person gets it: built the way `make package` builds it, unpacked into a
scratch root the way dpkg installs it (nothing on this machine changes), its launcher's command
started from that root on a virtual X server until the splash shows, and the package and its
files put through Debian's own checkers, which may report nothing beyond allowed-findings.txt.

The environment names CPACK, CPACK_CONFIG, VERSION, APP_ID and STAGE (the installed tree).
`package.py --findings DEB` only puts a package through the checkers, under the same policy:
`make package` runs it so."""

import os
import re
import shlex
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import session  # noqa: E402
from session import Failure, wait_for  # noqa: E402

ALLOWED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "allowed-findings.txt")
SHOTS = os.path.join(os.getcwd(), "client-screenshots")
# The splash's client area: 7320 x 4155 twips at 15 twips a pixel.
SPLASH = (488, 277)


def allowed_findings():
    allowed = set()
    with open(ALLOWED) as entries:
        for line in entries:
            words = line.split("#", 1)[0].split()
            if words:
                allowed.add(tuple(words[:3]))
    return allowed


def run(argv, **kw):
    return subprocess.run(argv, capture_output=True, text=True, timeout=120, **kw)


def lintian_findings(deb):
    out = run(["lintian", "--display-level", ">=pedantic", "--display-experimental",
               "--no-tag-display-limit", deb])
    if out.returncode not in (0, 1) or "error" in out.stderr.lower():
        raise Failure(f"lintian could not check the package:\n{out.stderr}")
    # "W: pellimor: tag-name detail..."
    return [("lintian", m.group(1), (m.group(2) or "").split()[:1], line)
            for line in out.stdout.splitlines()
            for m in [re.match(r"^[EWIPXO]: [^:]+: (\S+)(?: (.*))?$", line)] if m]


def appstream_findings(root):
    # The record on its own and against the tree around it (launcher and icons).
    out = run(["appstreamcli", "validate-tree", "--no-net", "--pedantic", "--no-color", root])
    # "I: component-id:3: tag-name detail..."
    found = [("appstream", m.group(1), (m.group(2) or "").split()[:1], line.strip())
             for line in out.stdout.splitlines()
             for m in [re.match(r"^\s*[EWIP]: [^:]*:\d*: (\S+)(?: (.*))?$", line)] if m]
    if out.returncode != 0 and not found:
        raise Failure(f"appstreamcli failed without findings:\n{out.stdout}{out.stderr}")
    return found


def desktop_findings(desktop):
    out = run(["desktop-file-validate", desktop])
    # "file.desktop: error: ...", "...: warning: ...", "...: hint: ..."
    return [("desktop-file-validate", m.group(1), [], line)
            for line in (out.stdout + out.stderr).splitlines()
            for m in [re.match(r"^.*?: (error|warning|hint): (.*)$", line)] if m]


def launcher_command(desktop):
    """The launcher's Exec line, split as a desktop splits it, without field codes."""
    section, command = None, None
    with open(desktop) as entry:
        for line in entry:
            line = line.strip()
            if line.startswith("["):
                section = line
            elif section == "[Desktop Entry]" and line.startswith("Exec="):
                command = line[len("Exec="):]
    if not command:
        raise Failure(f"{desktop} has no Exec line")
    return [arg for arg in shlex.split(command) if not re.fullmatch(r"%[fFuUdDnNickvm]", arg)]


def unpack(deb, root):
    """Unpacks the package as dpkg would install it; gives its launcher. It must hold one
    launcher and one AppStream record."""
    out = run(["dpkg-deb", "-x", deb, root])
    if out.returncode != 0:
        raise Failure(f"dpkg-deb could not unpack the package:\n{out.stderr}")
    found = []
    for folder, suffix in (("usr/share/applications", ".desktop"), ("usr/share/metainfo", ".metainfo.xml")):
        names = [n for n in os.listdir(os.path.join(root, folder)) if n.endswith(suffix)] \
            if os.path.isdir(os.path.join(root, folder)) else []
        if len(names) != 1:
            raise Failure(f"the package holds {len(names)} files *{suffix} in /{folder}, not one")
        found.append(os.path.join(root, folder, names[0]))
    return found[0]


def body(s):
    for program, package in (("dpkg-deb", "dpkg"), ("dpkg-shlibdeps", "dpkg-dev"),
                             ("file", "file"), ("lintian", "lintian"),
                             ("desktop-file-validate", "desktop-file-utils"),
                             ("appstreamcli", "appstream"), ("xdotool", "xdotool"),
                             ("xwininfo", "x11-utils")):
        session.require(program, package)

    # ---- built and installed ----
    out = run([os.environ["CPACK"], "--config", os.environ["CPACK_CONFIG"], "-G", "DEB",
               "-B", os.path.join(s.scratch, "out")])
    if out.returncode != 0:
        raise Failure(f"cpack could not build the package:\n{out.stdout}{out.stderr}")
    deb = os.path.join(s.scratch, "out", f"pellimor_{os.environ['VERSION']}_"
                       f"{run(['dpkg', '--print-architecture']).stdout.strip()}.deb")
    if not os.path.isfile(deb):
        raise Failure(f"cpack left no {os.path.basename(deb)}")
    root = os.path.join(s.scratch, "root")
    desktop = unpack(deb, root)
    check_package(deb, root)

    # ---- the launcher's command, from the installed root ----
    argv = launcher_command(desktop)
    path = os.path.join(root, "usr/bin") + os.pathsep + os.environ.get("PATH", "")
    if os.path.isabs(argv[0]):
        executable = os.path.join(root, argv[0].lstrip("/"))
    else:
        executable = shutil.which(argv[0], path=path)
    if not executable or not os.path.realpath(executable).startswith(os.path.realpath(root) + "/"):
        raise Failure(f'the launcher runs "{argv[0]}", which the package does not install '
                      f"(found: {executable})")
    s.start_xvfb()
    s.start_session_bus()
    program = s.start("pellimor", [executable, *argv[1:]],
                      env=dict(s.env, PATH=path, QT_QPA_PLATFORM="xcb"))

    def splash_window():
        s.check_running(program)
        out = run(["xdotool", "search", "--onlyvisible", "--pid", str(program.pid)], env=s.env)
        for window in out.stdout.split():
            info = run(["xwininfo", "-id", window], env=s.env).stdout
            size = tuple(int(v) for v in re.findall(r"(?:Width|Height): (\d+)", info))
            if "Map State: IsViewable" in info and size == SPLASH:
                return window
        return None

    window = wait_for(splash_window, 20, "the splash on the screen", step=0.05)
    if os.path.realpath(f"/proc/{program.pid}/exe") != os.path.realpath(executable):
        raise Failure(f"the process shown runs {os.path.realpath(f'/proc/{program.pid}/exe')}")
    if shutil.which("import"):
        os.makedirs(SHOTS, exist_ok=True)
        run(["import", "-window", "root", os.path.join(SHOTS, "package-splash.png")], env=s.env)
    print(f'The launcher\'s "{" ".join(argv)}" started {executable[len(root):]} from the package; '
          f"its splash is window {window}, {SPLASH[0]}x{SPLASH[1]}, mapped.")

    check_findings(deb, root, desktop)


def check_package(deb, root):
    """What dpkg sees of the package: its files against the installed tree, owners, modes and
    control fields (tests/packaging/check_deb.sh)."""
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "packaging", "check_deb.sh")
    out = run(["sh", script], env=dict(os.environ, DEB=deb, UNPACKED=root))
    print(out.stdout, end="")
    if out.returncode != 0:
        raise Failure(f"the package's files or fields are not as installed:\n{out.stdout}{out.stderr}")


def check_findings(deb, root, desktop):
    """Debian's checkers: nothing beyond what allowed-findings.txt allows, with its reason. The
    one policy for the package, here and in `make package`."""
    findings = lintian_findings(deb) + appstream_findings(root) + desktop_findings(desktop)
    allowed = allowed_findings()
    new = [f for f in findings if (f[0], f[1], *f[2]) not in allowed and (f[0], f[1]) not in allowed]
    for f in findings:
        print(f"{f[0]}: {f[3]}" + ("" if f in new else "   (allowed)"))
    gone = [" ".join(a) for a in allowed
            if not any((f[0], f[1], *f[2])[:len(a)] == a for f in findings)]
    if gone:
        print("No longer reported, so their entries in allowed-findings.txt can go: " + ", ".join(gone))
    if new:
        raise Failure("Debian's checkers report what allowed-findings.txt does not allow:\n"
                      + "\n".join(f"  {f[0]}: {f[3]}" for f in new))


def check_only(s, deb):
    """`make package`: the checkers' findings on a package built elsewhere, under the same policy."""
    for program, package in (("dpkg-deb", "dpkg"), ("lintian", "lintian"),
                             ("desktop-file-validate", "desktop-file-utils"), ("appstreamcli", "appstream")):
        session.require(program, package)
    root = os.path.join(s.scratch, "root")
    check_findings(os.path.abspath(deb), root, unpack(deb, root))


if sys.argv[1:2] == ["--findings"] and len(sys.argv) == 3:
    session.run("package-findings", lambda s: check_only(s, sys.argv[2]))
else:
    session.run("package", body)
