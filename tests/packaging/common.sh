# Shared by the packaging checks; the environment comes from CMakeLists.txt.
set -eu

# Everything a package of Pellimor holds, relative to the root.
expected_files() {
    {
        echo usr/bin/pellimor
        echo "usr/share/applications/$APP_ID.desktop"
        echo "usr/share/metainfo/$APP_ID.metainfo.xml"
        for size in 16 22 24 32 48 64 128 256; do
            echo "usr/share/icons/hicolor/${size}x$size/apps/$APP_ID.png"
        done
        echo "usr/share/icons/hicolor/scalable/apps/$APP_ID.svg"
        echo usr/share/doc/pellimor/copyright
        echo usr/share/doc/pellimor/changelog.gz
        echo usr/share/man/man1/pellimor.1.gz
    } | LC_ALL=C sort
}

files_under() {
    (cd "$1" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
}

# Fails with a diff unless the tree under $1 holds exactly the expected files.
require_file_list() {
    files_under "$1" >"$1.files"
    if ! expected_files | diff -u - "$1.files" >&2; then
        fail "$1 does not hold exactly the expected files (- expected, + found)"
    fi
}

require_tool() {
    if ! command -v "$1" >/dev/null 2>&1; then
        echo "SKIP: $1 is not installed (Debian package $2); make test installs it"
        exit 77
    fi
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
