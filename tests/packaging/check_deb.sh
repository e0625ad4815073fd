# The Debian package $DEB, built from this build by CPack and unpacked into $UNPACKED by
# the package test (tests/client/package.py): it unpacks into the same tree as the install
# in $STAGE, owned by root, and dpkg-shlibdeps has filled in its dependencies, the Qt 6
# libraries among them.
. "$(dirname "$0")/common.sh"
require_tool dpkg-deb dpkg

deb="$DEB"
[ "$(basename "$deb")" = "pellimor_${VERSION}_$(dpkg --print-architecture).deb" ] \
    || fail "the package is named $(basename "$deb")"

require_file_list "$UNPACKED"
# The program is stripped in the package; everything else is the installed file as is.
grep -v '^usr/bin/' "$UNPACKED.files" | while read -r f; do
    cmp -s "$STAGE/$f" "$UNPACKED/$f" || fail "$f in the package differs from the installed one"
done

dpkg-deb -c "$deb" | awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' >&2 \
    || fail "the package holds files not owned by root"
dpkg-deb -c "$deb" | awk '$1 ~ /^-/ && $6 == "./usr/bin/pellimor" && $1 != "-rwxr-xr-x" ||
                          $1 ~ /^-/ && $6 != "./usr/bin/pellimor" && $1 != "-rw-r--r--" { print; bad = 1 }
                          END { exit bad }' >&2 \
    || fail "the package holds files with unusual permissions"

control() { dpkg-deb -f "$deb" "$1"; }
[ "$(control Package)" = pellimor ] || fail "Package: $(control Package)"
[ "$(control Version)" = "$VERSION" ] || fail "Version: $(control Version)"
[ "$(control Section)" = utils ] || fail "Section: $(control Section)"
control Maintainer | grep -Eq '^[^<]+ <[^@ ]+@[^> ]+>$' || fail "Maintainer: $(control Maintainer)"
[ -n "$(control Description)" ] || fail "the package has no description"
depends=$(control Depends)
names=$(printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/[ (].*//')
# Newer releases name the Qt libraries with a t64 suffix (64-bit time_t).
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6 libc6; do
    printf '%s\n' "$names" | grep -Fqx -e "$lib" -e "${lib}t64" || fail "Depends lacks $lib: $depends"
done
echo "Depends: $depends"
echo "PASS: $(basename "$deb")"
