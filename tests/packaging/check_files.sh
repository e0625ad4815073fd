# The installed tree: exactly the expected files, each of the kind its place promises,
# and the launcher, the AppStream record and the icons all under the one id.
. "$(dirname "$0")/common.sh"
require_file_list "$STAGE"
usr="$STAGE/usr"

[ -x "$usr/bin/pellimor" ] || fail "usr/bin/pellimor is not executable"
[ "$(head -c 4 "$usr/bin/pellimor" | od -An -c | tr -d ' ')" = '177ELF' ] \
    || fail "usr/bin/pellimor is not a program"

# A PNG's header holds its width and height as 32-bit big-endian numbers.
for size in 16 22 24 32 48 64 128 256; do
    png="$usr/share/icons/hicolor/${size}x$size/apps/$APP_ID.png"
    [ "$(head -c 8 "$png" | od -An -c | tr -d ' ')" = '211PNG\r\n032\n' ] || fail "$png is not a PNG"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }')
    [ "$dims" = "${size}x$size" ] || fail "the ${size}x$size icon is $dims"
done
grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/$APP_ID.svg" || fail "the scalable icon is not SVG"

copyright="$usr/share/doc/pellimor/copyright"
! grep -q "$(printf '\r')" "$copyright" || fail "the copyright file has CR line ends"
tr -d '\r' <"$SOURCE_DIR/ui/about/agreement.txt" | cmp -s - "$copyright" \
    || fail "the copyright file is not the agreement"

for doc in "$usr/share/doc/pellimor/changelog.gz" "$usr/share/man/man1/pellimor.1.gz"; do
    gzip -t "$doc" 2>/dev/null || fail "$doc is not gzip-compressed"
done

desktop="$usr/share/applications/$APP_ID.desktop"
metainfo="$usr/share/metainfo/$APP_ID.metainfo.xml"
grep -qx "Icon=$APP_ID" "$desktop" || fail "the launcher does not name the icon $APP_ID"
grep -qx "Exec=pellimor" "$desktop" || fail "the launcher does not start pellimor"
grep -q "<id>$APP_ID</id>" "$metainfo" || fail "the AppStream id is not $APP_ID"
grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$metainfo" \
    || fail "the AppStream record does not launch $APP_ID.desktop"
grep -q "<binary>pellimor</binary>" "$metainfo" || fail "the AppStream record does not provide pellimor"
echo "PASS: $(wc -l <"$STAGE.files") files in place"
