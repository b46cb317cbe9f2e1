#!/usr/bin/env bash
# Makes the reader test files of this folder and their expected pixels, once, with the
# reference tools (ImageMagick 6, libjpeg-turbo's cjpeg/djpeg, exiftool, libwebp's
# cwebp/dwebp, poppler's pdftoppm). The tests only read the results, which are committed;
# none of these tools is needed to run them. Every expected file "NAME.rgb" holds the
# picture of NAME as the reference decoder gives it: raw red, green, blue bytes, top row
# first, transparency put over white. Where the file holds 16-bit samples or alpha, the
# expected pixels are "NAME.rgb16" instead: the same at 16 bits per channel, big-endian,
# which the tests round to 8 bits (round(v * 255 / 65535), as libpng's scaling does):
# ImageMagick's own 16-to-8-bit step rounds differently by one level for some values.
set -euo pipefail
cd "$(dirname "$0")"
# No time stamps: the same tools make the same bytes.
export MAGICK_DATE_EXCLUDE=1

# A 13 x 9 picture (odd sizes, so every row needs padding) whose colours change in 16 bits.
convert -size 13x9 xc: -sparse-color Bilinear '0,0 red 12,0 yellow 0,8 blue 12,8 rgb(0,200,90)' \
        -depth 16 base16.miff
convert base16.miff -depth 8 base.ppm
# The same with opacity rising from left to right.
convert base16.miff -alpha set -channel A -fx 'i/12' +channel base-alpha16.miff

expect() { # expect NAME [reference command...]: the expected pixels of NAME
    local name=$1; shift
    "$@" > "${name}.rgb"
}
flat() { convert "$1" -background white -alpha remove -alpha off -depth 8 rgb:-; }
flat16() { convert "$1" -background white -alpha remove -alpha off -depth 16 -endian MSB rgb:-; }

# PNG: every colour type and depth (written by ImageMagick through libpng).
for depth in 1 2 4 8 16; do
    convert base16.miff -colorspace gray -define png:color-type=0 -define png:bit-depth=$depth \
            "grey$depth.png"
    if [ "$depth" = 16 ]; then
        convert grey16.png -depth 16 -endian MSB rgb:- > grey16.png.rgb16
    else
        expect "grey$depth.png" flat "grey$depth.png"
    fi
done
for depth in 1 2 4 8; do
    colours=$((1 << depth))
    convert base.ppm -dither None -colors $colours -type Palette -define png:bit-depth=$depth \
            "PNG8:palette$depth.png"
    expect "palette$depth.png" flat "palette$depth.png"
done
for depth in 8 16; do
    convert base16.miff -define png:color-type=2 -define png:bit-depth=$depth "rgb$depth.png"
    convert base-alpha16.miff -define png:color-type=6 -define png:bit-depth=$depth "rgba$depth.png"
    convert base-alpha16.miff -colorspace gray -define png:color-type=4 \
            -define png:bit-depth=$depth "greyalpha$depth.png"
    for f in rgba$depth greyalpha$depth; do flat16 "$f.png" > "$f.png.rgb16"; done
    if [ "$depth" = 8 ]; then expect rgb8.png flat rgb8.png; else flat16 rgb16.png > rgb16.png.rgb16; fi
done
convert base16.miff -interlace PNG -define png:color-type=2 -define png:bit-depth=8 rgb8-interlaced.png
expect rgb8-interlaced.png flat rgb8-interlaced.png
convert base-alpha16.miff -interlace PNG -define png:color-type=6 -define png:bit-depth=16 \
        rgba16-interlaced.png
flat16 rgba16-interlaced.png > rgba16-interlaced.png.rgb16
# tRNS: a palette with a transparent entry, one transparent grey level, one transparent
# colour.
convert base.ppm -dither None -colors 8 -transparent "$(convert base.ppm -dither None -colors 8 \
        -format '%[pixel:p{0,0}]' info:)" PNG8:palette-trns.png
expect palette-trns.png flat palette-trns.png
convert base.ppm -transparent "$(convert base.ppm -format '%[pixel:p{3,3}]' info:)" \
        PNG24:rgb-trns.png
expect rgb-trns.png flat rgb-trns.png
convert base.ppm -colorspace gray -depth 8 -transparent "$(convert base.ppm -colorspace gray \
        -depth 8 -format '%[pixel:p{6,4}]' info:)" -define png:color-type=0 grey-trns.png
expect grey-trns.png flat grey-trns.png

# JPEG: libjpeg-turbo's encoder; djpeg gives the expected pixels.
cjpeg -quality 90 base.ppm > colour.jpg
cjpeg -quality 90 -grayscale base.ppm > grey.jpg
cjpeg -quality 90 -progressive base.ppm > progressive.jpg
convert base.ppm -colorspace CMYK -quality 90 cmyk.jpg
for f in colour grey progressive cmyk; do
    expect "$f.jpg" sh -c "djpeg -pnm $f.jpg | convert - -depth 8 rgb:-"
done
# The eight EXIF orientations of one picture, and the picture each shows upright.
for n in 1 2 3 4 5 6 7 8; do
    cp colour.jpg "orient$n.jpg"
    exiftool -q -overwrite_original -n "-Orientation=$n" "orient$n.jpg"
    expect "orient$n.jpg" convert "orient$n.jpg" -auto-orient -depth 8 rgb:-
done

# GIF: ImageMagick's encoder through its own LZW; one with a transparent colour, one
# interlaced.
convert base.ppm -dither None -colors 16 colours.gif
convert base.ppm -dither None -colors 8 -transparent "$(convert base.ppm -dither None -colors 8 \
        -format '%[pixel:p{12,0}]' info:)" transparent.gif
convert base.ppm -dither None -colors 16 -interlace GIF interlaced.gif
for f in colours transparent interlaced; do expect "$f.gif" flat "$f.gif[0]"; done

# WebP: libwebp's encoder; dwebp gives the pixels of the opaque ones, and libwebp's
# decoder inside ImageMagick puts the alpha one over white.
convert base16.miff -depth 8 base.png
convert base-alpha16.miff -depth 8 base-alpha.png
cwebp -quiet -q 80 base.png -o lossy.webp
cwebp -quiet -lossless base.png -o lossless.webp
cwebp -quiet -lossless -exact base-alpha.png -o lossless-alpha.webp
for f in lossy lossless; do
    expect "$f.webp" sh -c "dwebp -quiet $f.webp -ppm -o - | convert - -depth 8 rgb:-"
done
flat16 lossless-alpha.webp > lossless-alpha.webp.rgb16

# PDF: two-pages.pdf is written by make-pdf.py (drawing operators by hand); page 2
# at 72 and 150 dpi as pdftoppm renders it.
python3 make-pdf.py
pdftoppm -png -r 72 -f 2 -l 2 -singlefile two-pages.pdf two-pages-p2-72
pdftoppm -png -r 150 -f 2 -l 2 -singlefile two-pages.pdf two-pages-p2-150

rm -f base16.miff base-alpha16.miff base.ppm base.png base-alpha.png
