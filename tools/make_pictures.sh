#!/usr/bin/env bash
# Draws the game's seventeen pictures into img/ as BMP files named *.dat, and
# the menu entry's icon into packaging/icons/ as PNG files named by their size,
# three sizes also as raw pixels for the window (or into the two folders
# given). Needs ImageMagick and the DejaVu fonts of fonts-dejavu-core. The
# output is the same, byte for byte, every time it runs on the same
# ImageMagick; it is committed, so that building the game or its package needs
# neither and gives the same files on any machine.
#
# The game draws each picture with glDrawPixels at a raster position that
# becomes its lower-left corner, without blending, so a picture's background
# covers whatever lies under it. The pictures of the game screen are therefore
# cut from a copy of that screen (black, the banner, the play-field frame) with
# their own drawing added, and fit in without a seam.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/img}
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Colours the game draws with, as the display stores them.
banner='rgb(128,128,204)'  # glColor3f(0.5, 0.5, 0.8)
frame='rgb(128,0,0)'       # glColor3f(0.5, 0, 0)
# The pictures' own colours.
ink='rgb(255,255,255)'     # titles and values
shadow='rgb(52,52,112)'    # under white text on the banner
label='rgb(36,36,88)'      # the labels on the banner
night='rgb(24,24,56)'      # the pause sign's plate

value_size=30
label_size=18
title_size=34
baseline=60  # of every text on the banner (y 20 to 79)

# The game screen around the banner: black, the banner, and the play-field
# frame (width 5 around x 20 and y 750; its inner half lies under the ring).
frame_lines=(-fill "$frame" -draw 'rectangle 17,98 21,752' -draw 'rectangle 17,748 1008,752')
convert -size 1024x768 xc:black -fill "$banner" -draw 'rectangle 20,20 1004,79' "${frame_lines[@]}" "$work/screen.png"

# Width in pixels of a text at a size.
text_width() {
    convert xc: -font "$font" -pointsize "$2" -debug annotate -annotate 0 "$1" null: 2>&1 |
        sed -n 's/.*Metrics: .*; width: \([0-9]*\);.*/\1/p' | head -n 1
}

# White text with its shadow: SIZE X Y TEXT, as draw options for convert.
shadowed() {
    echo -font "$font" -pointsize "$1" -fill "$shadow" -annotate "+$(($2 + 2))+$(($3 + 2))" "$4" \
        -fill "$ink" -annotate "+$2+$3" "$4"
}

# save NAME IMAGE-OPTIONS...: writes img/NAME.dat with 8 bits a pixel when
# that looks the same: at most 256 colours, or 256 chosen colours that leave
# every pixel within 1% of its own; else with 24.
save() {
    local name=$1
    shift
    local picture=$work/$name.png reduced=$work/$name-256.png
    convert "$@" +repage -alpha off -depth 8 "$picture"
    local type=truecolor
    if [ "$(identify -format '%k' "$picture")" -le 256 ]; then
        type=palette
    else
        convert "$picture" +dither -colors 256 "$reduced"
        if [ "$(compare -metric AE -fuzz 1% "$picture" "$reduced" null: 2>&1)" = 0 ]; then
            picture=$reduced
            type=palette
        fi
    fi
    convert "$picture" -type "$type" -compress none -define bmp:format=bmp3 "BMP3:$out/$name.dat"
}

# cut X Y W H: the part of the screen whose lower-left corner the game puts
# at the raster position (X, Y), y growing downwards.
cut() { echo -crop "$3x$4+$1+$(($2 - $4))"; }

mkdir -p "$out"

# The title, lower-left corner at (0, 63).
save titulo_jogo "$work/screen.png" $(shadowed $title_size 36 $baseline TARVIK-SNAKE) $(cut 0 63 330 43)

# The score label at (455, 89), drawn first: "LEVEL" before the mode label
# at (570, 75) and "SCORE" before the first digit at (810, 80).
level_x=$((566 - $(text_width LEVEL $label_size)))
score_x=$((802 - $(text_width SCORE $label_size)))
save level_score "$work/screen.png" -font "$font" -pointsize $label_size -fill "$label" \
    -annotate "+$level_x+$baseline" LEVEL -annotate "+$score_x+$baseline" SCORE $(cut 455 89 352 56)

save normal "$work/screen.png" $(shadowed $value_size 578 $baseline NORMAL) $(cut 570 75 160 42)
save hard "$work/screen.png" $(shadowed $value_size 578 $baseline HARD) $(cut 570 75 160 42)

# The digits stand 31 pixels apart, each on a plate 28 wide, like the
# wheels of a counter.
for digit in 0 1 2 3 4 5 6 7 8 9; do
    x=$((810 + (28 - $(text_width $digit $value_size)) / 2))
    save "$digit" "$work/screen.png" -fill "$night" -draw 'roundrectangle 810,29 837,70 5,5' \
        -font "$font" -pointsize $value_size -fill "$ink" -annotate "+$x+$baseline" $digit $(cut 810 80 28 51)
done

# The pause sign at (8, 90) blinks over the title: a dark plate with two bars
# and the word.
save pause "$work/screen.png" -fill "$night" -draw 'roundrectangle 30,27 320,73 10,10' \
    -fill "$ink" -draw 'rectangle 46,39 53,61' -draw 'rectangle 60,39 67,61' \
    -font "$font" -pointsize $value_size -annotate "+84+$baseline" PAUSED $(cut 8 90 322 70)

# A snake like the game's, dimmed to a decoration: snake PERCENT HALF
# X,Y... adds to the array drawing the draw options for octagons of the given
# half-size at the points, from the tail to the head, in the game's colours
# at PERCENT of their brightness: every third body segment striped, the head
# and the tail orange, a diamond on the head.
drawing=()
dim() { echo "rgb($(($2 * $1 / 100)),$(($3 * $1 / 100)),$(($4 * $1 / 100)))"; }
snake() {
    local percent=$1 half=$2
    shift 2
    local cut=$((half / 2)) last=$(($# - 1)) i=0 x y color
    for point in "$@"; do
        x=${point%,*} y=${point#*,}
        if [ $i -eq 0 ] || [ $i -eq $last ]; then
            color=$(dim "$percent" 204 77 0)
        elif [ $((i % 3)) -eq 0 ]; then
            color=$(dim "$percent" 102 204 153)
        else
            color=$(dim "$percent" 128 204 128)
        fi
        drawing+=(-fill "$color" -draw "polygon $((x - cut)),$((y - half)) $((x - half)),$((y - cut))
            $((x - half)),$((y + cut)) $((x - cut)),$((y + half)) $((x + cut)),$((y + half))
            $((x + half)),$((y + cut)) $((x + half)),$((y - cut)) $((x + cut)),$((y - half))")
        i=$((i + 1))
    done
    drawing+=(-fill "$(dim "$percent" 255 255 255)"
        -draw "polygon $x,$((y - cut)) $((x - cut)),$y $x,$((y + cut)) $((x + cut)),$y")
}

# The ring at (21, 750) sits in the play field's lower-left corner: a small
# snake biting its tail, under everything the game draws on the field. The
# picture covers the inner half of the frame, which it therefore repeats.
# Ten segments on a circle of radius 21 around (54, 716), rounded to pixels.
ring=$(awk 'BEGIN { for (i = 0; i < 10; i++) { a = 3.14159265 * (0.5 - 0.2 * i)
                    printf "%d,%d ", int(154.5 + 21 * cos(a)) - 100, int(816.5 - 21 * sin(a)) - 100 } }')
snake 45 6 $ring
save ring "$work/screen.png" "${drawing[@]}" "${frame_lines[@]}" $(cut 21 750 64 64)

# The menu background, behind white text in the middle of the screen (about
# x 400 to 760, y 310 to 670) and a footer at the lower right: dark and still,
# the game's title above, and its snake, dimmed, in the left margin.
drawing=()
snake 30 10 52,779 52,758 52,737 52,716 52,695 52,674 52,653 52,632 52,611 52,590 52,569 52,548 \
    52,527 52,506 73,506 94,506 115,506 136,506 157,506 178,506
title_x=$(((1024 - $(text_width TARVIK-SNAKE 72)) / 2))
save menu -size 1024x768 gradient:'rgb(20,20,46)-rgb(6,6,16)' "${drawing[@]}" \
    -fill "$(dim 35 255 0 0)" -draw 'circle 262,506 269,506' \
    -font "$font" -pointsize 72 -fill 'rgb(30,30,70)' -annotate "+$((title_x + 4))+$((196 + 4))" TARVIK-SNAKE \
    -fill "$banner" -annotate "+$title_x+196" TARVIK-SNAKE \
    -fill "$frame" -draw "rectangle $title_x,222 $((1024 - title_x)),224"

# The menu entry's icon, at the sizes of the icon theme: the snake on a plate
# like the pause sign's, heading for a red food.
icons=${2:-$root/packaging/icons}
mkdir -p "$icons"
drawing=()
snake 100 14 190,70 160,70 130,70 100,70 70,70 70,100 70,130 100,130 130,130 160,130 190,130 \
    190,160 190,190 160,190 130,190 100,190
convert -size 256x256 xc:none -fill "$night" -stroke "$banner" -strokewidth 8 \
    -draw 'roundrectangle 8,8 247,247 40,40' -stroke none "${drawing[@]}" \
    -fill 'rgb(255,0,0)' -draw 'circle 56,190 70,190' "$work/icon.png"
for size in 16 24 32 48 64 128 256; do
    # Without a time stamp, so the same drawing gives the same bytes.
    convert "$work/icon.png" -resize "${size}x$size" -strip -define png:exclude-chunks=date,time \
        "PNG32:$icons/$size.png"
done
# The window's icon, which the build compiles into the game: the same pixels
# at three of the sizes, unpacked as red, green, blue and alpha bytes, rows from
# the top, so that the build needs no image decoder.
for size in 16 32 64; do
    convert "$icons/$size.png" -depth 8 "RGBA:$icons/$size.rgba"
done
