# Installs the build into $STAGE as a package would place it, for the checks to read.
. "$(dirname "$0")/common.sh"
rm -rf "$STAGE"
DESTDIR="$STAGE" "$CMAKE" --install "$BUILD_DIR" --prefix /usr
