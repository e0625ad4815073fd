# Runs a test program on a virtual X server of its own, where it can send input through
# the server with xdotool. 77 tells ctest the test was skipped for want of a tool.
for tool in xvfb-run:xvfb xdotool:xdotool xauth:xauth; do
    if ! command -v "${tool%%:*}" >/dev/null 2>&1; then
        echo "SKIP: ${tool%%:*} is not installed (Debian package ${tool#*:}); make test installs it"
        exit 77
    fi
done
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
