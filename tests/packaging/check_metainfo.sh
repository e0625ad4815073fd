# The AppStream record as installed validates, on its own and against the tree around it
# (launcher and icons), without fetching the screenshot.
. "$(dirname "$0")/common.sh"
require_tool appstreamcli appstream
metainfo="$STAGE/usr/share/metainfo/$APP_ID.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream record at $metainfo"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$STAGE" || fail "appstreamcli validate-tree"
echo "PASS: $metainfo"
