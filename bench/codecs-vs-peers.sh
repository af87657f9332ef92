#!/bin/sh
# Times JPEG decode (Picture::Load), JPEG encode at quality 75, PNG decode, and decode and encode
# of 24-bit PCX, run-length TGA and dithered WBMP of a 4000 x 3000 photo, decode of an RGB LZW and
# a 256-colour PackBits TIFF and JPEG and LZW TIFF encode, against djpeg, cjpeg, netpbm, tifftopnm
# and ImageMagick (and vips when installed) on the same files in the same run, and prints the
# ratios of CPU time. Usage: bench/codecs-vs-peers.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
bench="$build/bench/bench_codecs"
require_program "$bench"
for tool in djpeg cjpeg convert ppmtopcx pcxtoppm ppmtotga tgatoppm giftopnm pbmtowbmp wbmptopbm tifftopnm; do require_command $tool; done

convert "$source" -resize '4000x3000!' -quality 90 "$work/photo.jpg"
djpeg -outfile "$work/photo.ppm" "$work/photo.jpg"
convert "$work/photo.ppm" -define png:color-type=2 "$work/photo.png"
convert "$source" -resize '8x8!' "$work/tiny.jpg"
djpeg -outfile "$work/tiny.ppm" "$work/tiny.jpg"
convert "$work/tiny.ppm" -define png:color-type=2 "$work/tiny.png"
for n in photo tiny; do
  ppmtopcx -24bit "$work/$n.ppm" >"$work/$n.pcx"
  ppmtotga -rgb "$work/$n.ppm" >"$work/$n.tga"
  convert "$work/$n.ppm" "$work/$n.mpc"
  convert "$work/$n.ppm" -monochrome "pbm:$work/$n.pbm"
  pbmtowbmp "$work/$n.pbm" >"$work/$n.wbmp"
  convert "$work/$n.pbm" "$work/$n-bw.mpc"
  convert "$work/$n.ppm" -compress LZW "$work/$n-lzw.tif"
  convert "$work/$n.ppm" -colors 256 -type Palette -compress RLE "$work/$n-palette.tif"
done

# GIF: a 1600 x 1200 picture of 256 colours, an animation of ten such frames (the photo moved
# along, one global palette, full frames) and the photo in 24 bits.
for n in photo tiny; do
  [ $n = photo ] && size=1600x1200 || size=8x8
  convert "$work/$n.ppm" -resize "$size!" "$work/$n-small.ppm"
  convert "$work/$n-small.ppm" -colors 256 "$work/$n.gif"
  convert "$work/$n.gif" "$work/$n-gif.mpc"
  convert "$work/$n-small.ppm" "$work/$n-small.mpc"
  convert "$work/$n-small.ppm" -type TrueColor "BMP3:$work/$n-small.bmp"
  frames=""
  for i in 0 1 2 3 4 5 6 7 8 9; do
    convert "$work/$n-small.ppm" -roll +$((i * 16))+0 -remap "$work/$n.gif" "$work/$n-frame$i.gif"
    frames="$frames $work/$n-frame$i.gif"
  done
  # shellcheck disable=SC2086
  convert -delay 10 $frames "$work/$n-animation.gif"
done

export MAGICK_THREAD_LIMIT=1
VISTREL_BENCH_GIF="$work/photo.gif" VISTREL_BENCH_GIF_ANIMATION="$work/photo-animation.gif" \
  VISTREL_BENCH_GIF_PHOTO="$work/photo-small.bmp" \
  VISTREL_BENCH_JPEG="$work/photo.jpg" VISTREL_BENCH_PNG="$work/photo.png" VISTREL_BENCH_PCX="$work/photo.pcx" \
  VISTREL_BENCH_TGA="$work/photo.tga" VISTREL_BENCH_WBMP="$work/photo.wbmp" \
  VISTREL_BENCH_TIFF_LZW="$work/photo-lzw.tif" VISTREL_BENCH_TIFF_PALETTE="$work/photo-palette.tif" "$bench" \
  --benchmark_format=json --benchmark_repetitions=3 --benchmark_report_aggregates_only=true >"$work/ours.json"

# CPU time (user + system) on both sides: the machine may be shared, and wall time then
# measures the neighbours. A peer's process start is timed on a tiny file and taken off.
python3 - "$work" <<'PY'
import json, os, resource, shutil, subprocess, sys
work = sys.argv[1]
ours = {b["run_name"].removesuffix("/real_time"): b["cpu_time"]
        for b in json.load(open(f"{work}/ours.json"))["benchmarks"] if b.get("aggregate_name") == "median"}

def cpu_ms(command, runs=5):
    best = None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        spent = (after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) * 1000
        best = spent if best is None else min(best, spent)
    return best

def peer_ms(make):
    return max(cpu_ms(make("photo")) - cpu_ms(make("tiny")), 0.1)

rows = [("JPEG decode 4000x3000", "BM_JpegDecode", "djpeg",
         peer_ms(lambda n: ["djpeg", "-outfile", "/dev/null", f"{work}/{n}.jpg"])),
        # A BMP, like the picture, holds the whole image bottom-up: djpeg pays for that memory too.
        ("JPEG decode 4000x3000", "BM_JpegDecode", "djpeg -bmp",
         peer_ms(lambda n: ["djpeg", "-bmp", "-outfile", "/dev/null", f"{work}/{n}.jpg"])),
        ("JPEG encode q75      ", "BM_JpegEncode", "cjpeg",
         peer_ms(lambda n: ["cjpeg", "-quality", "75", "-outfile", "/dev/null", f"{work}/{n}.ppm"])),
        ("PNG decode 4000x3000 ", "BM_PngDecode", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}.png", "null:"])),
        ("PCX decode 24-bit    ", "Decode/Pcx", "pcxtoppm",
         peer_ms(lambda n: ["pcxtoppm", f"{work}/{n}.pcx"])),
        ("PCX decode 24-bit    ", "Decode/Pcx", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}.pcx", "null:"])),
        ("TGA decode 24-bit RLE", "Decode/Tga", "tgatoppm",
         peer_ms(lambda n: ["tgatoppm", f"{work}/{n}.tga"])),
        ("TGA decode 24-bit RLE", "Decode/Tga", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}.tga", "null:"])),
        ("GIF decode 1600x1200 ", "Decode/Gif", "giftopnm",
         peer_ms(lambda n: ["giftopnm", f"{work}/{n}.gif"])),
        ("GIF decode frame 10/10", "DecodeLastFrame/Gif", "giftopnm",
         peer_ms(lambda n: ["giftopnm", "-image=10", f"{work}/{n}-animation.gif"])),
        # ImageMagick's pixel cache loads without decoding: what is timed is the encoder.
        ("GIF encode 256 colours", "Write/Gif", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}-gif.mpc", "gif:/dev/null"])),
        ("GIF encode 24-bit    ", "Write/GifMosaic", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}-small.mpc", "gif:/dev/null"])),
        ("PCX encode 24-bit    ", "Encode/Pcx", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}.mpc", "pcx:/dev/null"])),
        ("TGA encode 24-bit    ", "Encode/Tga", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}.mpc", "-compress", "None", "tga:/dev/null"])),
        ("WBMP decode 4000x3000", "Decode/Wbmp", "wbmptopbm",
         peer_ms(lambda n: ["wbmptopbm", f"{work}/{n}.wbmp"])),
        ("WBMP decode 4000x3000", "Decode/Wbmp", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}.wbmp", "null:"])),
        ("WBMP encode 4000x3000", "Encode/Wbmp", "pbmtowbmp",
         peer_ms(lambda n: ["pbmtowbmp", f"{work}/{n}.pbm"])),
        ("WBMP encode 4000x3000", "Encode/Wbmp", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}-bw.mpc", "wbmp:/dev/null"])),
        ("TIFF decode RGB LZW  ", "Decode/TiffLzw", "tifftopnm",
         peer_ms(lambda n: ["tifftopnm", f"{work}/{n}-lzw.tif"])),
        ("TIFF decode 256 colours PackBits", "Decode/TiffPalette", "tifftopnm",
         peer_ms(lambda n: ["tifftopnm", f"{work}/{n}-palette.tif"])),
        # ImageMagick writes RGB JPEG pages, and LZW with Predictor 2, as we do.
        ("TIFF encode 24-bit JPEG q75", "Encode/TiffJpeg", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}.mpc", "-compress", "JPEG", "-quality", "75", f"tif:{work}/peer.tif"])),
        ("TIFF encode 24-bit LZW", "Encode/TiffLzw", "ImageMagick",
         peer_ms(lambda n: ["convert", f"{work}/{n}.mpc", "-compress", "LZW", f"tif:{work}/peer.tif"]))]
if shutil.which("vips"):
    rows.append(("PNG decode 4000x3000 ", "BM_PngDecode", "vips avg",
                 peer_ms(lambda n: ["vips", "avg", f"{work}/{n}.png"])))
for label, name, peer, theirs in rows:
    mine = ours[name]
    print(f"{label}: vistrel {mine:7.1f} ms, {peer} {theirs:7.1f} ms, vistrel / {peer} {mine / theirs:5.2f} (CPU time)")
PY
