#!/usr/bin/env bash
# Regenerates every picture the program compiles in (assets/pictures/) and the
# application icon set (assets/icons/) from the drawings in assets/src/.
#
# Each drawing is one vegetable in one pose; the guide frames and the icons are
# that drawing turned, tilted and scaled, as listed in the tables below. A frame is
# rendered straight at its pixel size (and at twice that for the @2x twin), then
# reduced to a palette with one transparent colour, as GIF and ICO demand.
#
# The output is the same on every run (no timestamps, no metadata), so git only
# sees a change when a drawing or a table changes.
#
# Usage: assets/generate.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
src=$here/src
pictures=$here/pictures
icons=$here/icons

ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
    done
    ((${#missing[@]} == 0)) && return
    local sudo=()
    ((EUID != 0)) && sudo=(sudo)
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}
# fonts-dejavu-core: the logo's lettering.
ensure_packages imagemagick librsvg2-bin fonts-dejavu-core

# ImageMagick 6 names it convert; a newer one may have only magick.
im=(convert)
command -v convert >/dev/null || im=(magick)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes an SVG to stdout that shows drawing $1 turned clockwise by $2 degrees about
# its centre, in a frame of $3 x $4 pixels, $5 drawing units to the pixel, rendered
# $6 times larger; $7 and $8 shift the drawing right and down by that many pixels.
pose() {
    local drawing=$src/$1.svg angle=$2 w=$3 h=$4 unit=$5 scale=$6 dx=${7:-0} dy=${8:-0}
    local size
    size=$(sed -n 's/.*viewBox="0 0 \([0-9.]*\) \([0-9.]*\)".*/\1 \2/p' "$drawing" | head -n 1)
    [[ -n $size ]] || { echo "$drawing: no viewBox \"0 0 W H\"" >&2; exit 1; }
    awk -v w="$w" -v h="$h" -v u="$unit" -v s="$scale" -v a="$angle" -v dx="$dx" -v dy="$dy" \
        -v size="$size" 'BEGIN {
        split(size, b, " ")
        printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\"", w * s, h * s
        printf " viewBox=\"%g %g %g %g\">\n", -w * u / 2 - dx * u, -h * u / 2 - dy * u, w * u, h * u
        printf "<g transform=\"rotate(%g)\"><g transform=\"translate(%g,%g)\">\n", a, -b[1] / 2, -b[2] / 2
    }'
    sed '/^<?xml/d' "$drawing"
    printf '</g></g></svg>\n'
}

# GIF and ICO hold one fully transparent colour and nothing half transparent:
# edge pixels over a third covered keep their colour, the rest go. The pixels that
# go are made black, as an icon's mask expects under its transparent parts.
# PaletteAlpha keeps a grey picture (the hand) colour-mapped, or the ICO writer
# would store it in 32 bits.
to_palette() { # in.png colours out
    "${im[@]}" "$1" -channel A -threshold 35% +channel -background black -alpha background \
        +dither -colors "$2" -type PaletteAlpha -strip "$3"
}

render() { # key extension colours drawing angle w h unit [dx dy]
    local key=$1 ext=$2 colours=$3
    shift 3
    local drawing=$1 angle=$2 w=$3 h=$4 unit=$5 dx=${6:-0} dy=${7:-0}
    local scale suffix
    for scale in 1 2; do
        suffix=""
        ((scale == 2)) && suffix="@2x"
        pose "$drawing" "$angle" "$w" "$h" "$unit" "$scale" "$dx" "$dy" > "$work/$key$suffix.svg"
        rsvg-convert "$work/$key$suffix.svg" -o "$work/$key$suffix.png"
        to_palette "$work/$key$suffix.png" "$colours" "$pictures/$key$suffix.$ext"
    done
}

mkdir -p "$pictures" "$icons"

# The guide frames. Each turning sequence goes a quarter turn clockwise per frame;
# the carrot rocks between two tilts.
#      key       ext  colours drawing angle  w  h  unit  dx  dy
render Poivron1  gif  255     pepper     0  27 28 10
render Poivron2  gif  255     pepper    90  28 27 10
render Poivron3  gif  255     pepper   180  27 28 10
render Poivron4  gif  255     pepper   270  28 27 10
render Tomate1   gif  255     tomato     0  24 21 10
render Tomate2   gif  255     tomato    90  21 24 10
render Tomate3   gif  255     tomato   180  24 21 10
render Tomate4   gif  255     tomato   270  21 24 10
render Carotte1  gif  255     carrot   -32  35 28 10.6
render Carotte2  gif  255     carrot    32  35 28 10.6
render Radis1    gif  255     radish   -45  28 30  11
render Radis2    gif  255     radish    45  28 30  11
render Radis3    gif  255     radish   135  30 28  11
render Radis4    gif  255     radish   225  28 30  11

# The logo, drawn at its own size.
render logo      gif  255     logo       0 100 96  1

# Icons: the link hand in 16 colours, the whole vegetables in 256.
render Hand      ico  16      hand       0  32 32 10
render Radis     ico  255     radish   -20  32 32 9.2
render Carotte   ico  255     carrot   -45  32 32 10.2
render Poivron   ico  255     pepper     0  32 32 8.8
render Tomate    ico  255     tomato     0  32 32 7.6

# The application icon for desktops: the radish, scalable and at the usual sizes,
# with full alpha since nothing here needs a palette.
pose radish -20 32 32 9.2 4 > "$icons/pellimor.svg"
for n in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$n" -h "$n" "$icons/pellimor.svg" -o "$icons/pellimor-$n.png"
done
