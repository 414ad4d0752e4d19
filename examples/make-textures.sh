#!/usr/bin/env bash
# Writes the sample host data's textures in the raster formats other than
# JPEG that Debian's tools write, all from the one oak picture, so that
# publishing examples/sample-assembly.xml converts textures of several
# formats. Run it again only to remake them; the files are kept in the
# repository. Needs ImageMagick (convert).
#
#   examples/make-textures.sh
set -euo pipefail
cd "$(dirname "$0")"

source=host-data/data/wood/oak.jpg
out=host-data/data/textures
mkdir -p "$out"
# Nothing that changes from run to run goes into the files (dates, names).
plain=(-strip -define png:exclude-chunks=date,time)

convert "$source" "${plain[@]}" PNG:"$out/oak_png.png"
convert "$source" "${plain[@]}" BMP3:"$out/oak_bmp.bmp"
convert "$source" "${plain[@]}" -compress lzw TIFF:"$out/oak_tif.tiff"
convert "$source" "${plain[@]}" TGA:"$out/oak_tga.tga"
convert "$source" "${plain[@]}" +dither -colors 64 GIF:"$out/oak_gif.gif"
convert "$source" "${plain[@]}" PCX:"$out/oak_pcx.pcx"
convert "$source" "${plain[@]}" PICT:"$out/oak_pct.pct"
convert "$source" "${plain[@]}" -colorspace Gray -threshold 50% -monochrome CALS:"$out/oak_cal.cal"
echo "Wrote the textures in $(pwd)/$out"
