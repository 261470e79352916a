#!/bin/sh
# Builds a private set of real fonts from Debian font packages, for measuring Typovise where
# people who print catalogues live: among hundreds or thousands of families. Nothing is
# installed: the packages are downloaded (apt-get download) and unpacked (dpkg -x) into a cache
# folder, and one fontconfig file per scale names their font folders and a cache directory of
# its own. A program sees a scale's fonts, and only those beside the machine's configuration
# rules (aliases such as Arial -> Liberation Sans), when FONTCONFIG_FILE names its file.
#
#   bench/fontfarm.sh [small|middle|large|huge]...   the scales to build (the first three by
#                                                     default)
#
# Prints one line per scale on standard output: scale, number of families (as
# `fc-list : family | sort -u` counts them) and the fontconfig file, separated by tabs; the
# progress goes to standard error. The packages stay in the cache, so a second run downloads
# and unpacks nothing. TYPOVISE_FONTFARM chooses another cache folder.
#
#   small    about 40 families: the layout's Liberation and Carlito, DejaVu, the URW base 35
#   middle   about 500 families: the small set, Noto's core families and common desktop fonts
#   large    every fonts-* package of the distribution (about 1.3 GB of packages)
#   huge     about 16,000 families: the large set and three copies of each of its TrueType and
#            OpenType files up to 4 MB, renamed with fontTools (bench/renamefonts.py) into
#            families of their own ("Lato Copie 2", "Lato Copie 3", "Lato Copie 4"); the copies
#            take about 8 GB and are written once
set -eu

farm=${TYPOVISE_FONTFARM:-${XDG_CACHE_HOME:-$HOME/.cache}/typovise-fontfarm}
debs="$farm/debs"
unpacked="$farm/unpacked"
mkdir -p "$debs" "$unpacked"

SMALL="fonts-liberation fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea
fonts-dejavu-core fonts-dejavu-extra fonts-urw-base35 fonts-freefont-otf fonts-noto-mono
fonts-droid-fallback fonts-opensymbol fonts-font-awesome fonts-inconsolata fonts-cantarell"

MIDDLE="$SMALL fonts-noto-core fonts-noto-ui-core fonts-linuxlibertine fonts-lato
fonts-open-sans fonts-roboto-unhinted fonts-hack fonts-firacode
fonts-croscore fonts-sil-gentiumplus fonts-sil-charis fonts-sil-andika fonts-sil-doulos
fonts-ebgaramond fonts-cabin fonts-comfortaa fonts-oflb-asana-math fonts-stix
fonts-texgyre fonts-lmodern fonts-junicode fonts-jetbrains-mono
fonts-quicksand fonts-mononoki fonts-recommended fonts-paratype fonts-adf-accanthis
fonts-adf-gillius fonts-adf-universalis fonts-adf-baskervald fonts-adf-berenis
fonts-adf-ikarius fonts-adf-libris fonts-adf-oldania fonts-adf-romande fonts-adf-switzera
fonts-adf-tribun fonts-adf-verana fonts-beteckna fonts-breip
fonts-cmu fonts-dustin fonts-f500 fonts-femkeklaver fonts-fanwood fonts-goudybookletter
fonts-isabella fonts-jura fonts-kristi fonts-league-spartan fonts-leckerli-one
fonts-levien-museum fonts-levien-typoscript fonts-linex fonts-lindenhill fonts-manchufont
fonts-oflb-euterpe fonts-prociono fonts-radisnoir fonts-rufscript fonts-sambhota-tsugring
fonts-sambhota-yigchung fonts-sixtyfour fonts-staypuft fonts-summersby fonts-tomsontalks
fonts-uralic fonts-vollkorn fonts-wine fonts-yanone-kaffeesatz"

# Bitmaps of a character set for other programs, not fonts.
LARGE_EXCLUDED="fonts-cns11643-pixmaps"

large_packages() {
    apt-cache search --names-only '^fonts-' | cut -d' ' -f1 | sort |
        grep -vx "$(echo "$LARGE_EXCLUDED" | tr ' ' '\n')"
}

packages_of() {
    case $1 in
    small) echo "$SMALL" ;;
    middle) echo "$MIDDLE" ;;
    large | huge) large_packages ;;
    esac
}

has_deb() {
    for deb in "$debs/$1"_*.deb; do
        [ -e "$deb" ] && return 0
    done
    return 1
}

# Downloads what is missing in one apt-get call; a package the archive no longer offers is
# reported and left out rather than stopping the whole farm.
fetch() {
    missing=""
    for package in "$@"; do
        has_deb "$package" || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "downloading$(echo "$missing" | wc -w | sed 's/^/ /') packages into $debs" >&2
    # shellcheck disable=SC2086
    if ! (cd "$debs" && apt-get download -q $missing >/dev/null 2>"$farm/apt.err"); then
        for package in $missing; do
            (cd "$debs" && apt-get download -q "$package" >/dev/null 2>&1) ||
                echo "  $package: not downloadable, left out" >&2
        done
    fi
}

# Each package in a folder of its own, so that a scale names exactly its packages. Links to
# absolute paths would reach into the machine's own fonts and are removed.
unpack() {
    for package in "$@"; do
        target="$unpacked/$package"
        [ -e "$target/.unpacked" ] && continue
        has_deb "$package" || continue
        rm -rf "$target"
        mkdir -p "$target"
        for deb in "$debs/$package"_*.deb; do
            dpkg -x "$deb" "$target"
        done
        find "$target" -type l -lname '/*' -delete
        touch "$target/.unpacked"
    done
}

# The huge scale's copies, written on two processes: fontTools reads and writes each file.
make_copies() {
    copies="$farm/huge/copies"
    [ -e "$copies/.made" ] && return 0
    echo "renaming copies of the large scale's fonts into $copies" >&2
    mkdir -p "$copies"
    find "$unpacked" -path "$unpacked/*/usr/share/fonts/*" -type f -size -4M \
        \( -iname '*.ttf' -o -iname '*.otf' \) -print0 |
        xargs -0 -n 200 -P 2 /usr/bin/python3 "$(dirname "$0")/renamefonts.py" "$copies" 3
    touch "$copies/.made"
}

write_config() {
    scale=$1
    shift
    dir="$farm/$scale"
    mkdir -p "$dir/fc-cache"
    {
        echo '<?xml version="1.0"?>'
        echo '<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">'
        echo "<!-- Written by bench/fontfarm.sh: the $scale scale of the font farm. -->"
        echo '<fontconfig>'
        for package in "$@"; do
            [ -d "$unpacked/$package/usr/share/fonts" ] &&
                echo "  <dir>$unpacked/$package/usr/share/fonts</dir>"
        done
        if [ "$scale" = huge ]; then echo "  <dir>$farm/huge/copies</dir>"; fi
        echo "  <cachedir>$dir/fc-cache</cachedir>"
        # The machine's rules (aliases, substitutions, hinting) without its font folders.
        echo '  <include ignore_missing="yes">/etc/fonts/conf.d</include>'
        echo '</fontconfig>'
    } >"$dir/fonts.conf.new"
    mv "$dir/fonts.conf.new" "$dir/fonts.conf"
}

scales=${*:-small middle large}
for scale in $scales; do
    case $scale in
    small | middle | large | huge) ;;
    *)
        echo "unknown scale '$scale': small, middle, large or huge" >&2
        exit 2
        ;;
    esac
done
for scale in $scales; do
    # shellcheck disable=SC2046
    set -- $(packages_of "$scale")
    fetch "$@"
    unpack "$@"
    if [ "$scale" = huge ]; then make_copies; fi
    write_config "$scale" "$@"
    conf="$farm/$scale/fonts.conf"
    echo "fc-cache, $scale scale" >&2
    FONTCONFIG_FILE="$conf" fc-cache >/dev/null 2>&1 || true
    families=$(FONTCONFIG_FILE="$conf" fc-list : family | sort -u | wc -l)
    printf '%s\t%s\t%s\n' "$scale" "$families" "$conf"
done
