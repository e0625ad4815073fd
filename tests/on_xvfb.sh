# Runs a test program on a virtual X server of its own, where it can send input through
# the server with xdotool. 77 tells ctest the test was skipped for want of a tool.
if ! command -v xdotool >/dev/null 2>&1; then
    echo "SKIP: xdotool is not installed (Debian package xdotool); make test installs it"
    exit 77
fi
exec /usr/bin/python3 "$(dirname "$0")/client/session.py" -- "$@"
