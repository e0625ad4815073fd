# The Debian package, built from this build by CPack in a scratch folder: it unpacks
# into the same tree as the install, owned by root, and dpkg-shlibdeps has filled in
# its dependencies, the Qt 6 libraries among them.
. "$(dirname "$0")/common.sh"
require_tool dpkg-deb dpkg
require_tool dpkg-shlibdeps dpkg-dev
require_tool file file

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! "$CPACK" --config "$CPACK_CONFIG" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack could not build the package"
fi

deb="$scratch/out/pellimor_${VERSION}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack left: $(ls "$scratch/out")"
[ "$(ls "$scratch/out"/*.deb | wc -l)" -eq 1 ] || fail "cpack left several packages: $(ls "$scratch/out")"

dpkg-deb -x "$deb" "$scratch/root"
require_file_list "$scratch/root"
# The program is stripped in the package; everything else is the installed file as is.
grep -v '^usr/bin/' "$scratch/root.files" | while read -r f; do
    cmp -s "$STAGE/$f" "$scratch/root/$f" || fail "$f in the package differs from the installed one"
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
