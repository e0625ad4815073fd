# The launcher as installed passes the desktop entry checker without errors or warnings.
. "$(dirname "$0")/common.sh"
require_tool desktop-file-validate desktop-file-utils
desktop="$STAGE/usr/share/applications/$APP_ID.desktop"
[ -f "$desktop" ] || fail "no launcher at $desktop"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
if printf '%s\n' "$out" | grep -Eq 'error:|warning:'; then fail "desktop-file-validate: $out"; fi
printf '%s\n' "$out"
echo "PASS: $desktop"
