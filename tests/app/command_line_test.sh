#!/bin/sh
# cook answers --help and --version on a machine without a display (a terminal over ssh, a
# packaging script): no window system is asked for before they are answered; --pdf prints a
# recipe page into a PDF file there too, its text selectable.
cook="$1"
data="$2"
version="$3" # the project() line's version: cook reports that one
for option in --help --version; do
    if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$cook" "$option" 2>&1); then
        echo "cook $option failed: $out"
        exit 1
    fi
    case "$option" in
    --help) expected="[--pdf RECIPE OUT.pdf]" ;;
    --version) expected="cook $version" ;;
    esac
    case "$out" in
    *"$expected"*) ;;
    *)
        echo "cook $option printed: $out"
        exit 1
        ;;
    esac
    if [ "$option" = --help ]; then
        case "$out" in
        *--data*) ;;
        *)
            echo "cook --help names no --data: $out"
            exit 1
            ;;
        esac
    fi
done

out_dir=$(mktemp -d)
trap 'rm -rf "$out_dir"' EXIT
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 "$@"; }
if ! nodisplay "$cook" --data "$data" --pdf RET001.TXT "$out_dir/a.pdf" --portii 7; then
    echo "cook --pdf failed"
    exit 1
fi
text=$(pdftotext -enc UTF-8 "$out_dir/a.pdf" -) || exit 1
case "$text" in
*"7 por"*) ;;
*)
    echo "the PDF holds no selectable \"7 portii\": $text"
    exit 1
    ;;
esac
if nodisplay "$cook" --data "$data" --pdf NOSUCH.TXT "$out_dir/b.pdf" 2>/dev/null ||
    [ -e "$out_dir/b.pdf" ]; then
    echo "cook --pdf of a missing recipe succeeded"
    exit 1
fi
# OUT is written by the rule of every output file: a folder or a full device is refused, a link
# stays and the file it leads to gets the PDF.
mkdir "$out_dir/folder.pdf"
if nodisplay "$cook" --data "$data" --pdf RET001.TXT "$out_dir/folder.pdf" 2>"$out_dir/err" ||
    ! grep -q "is a folder" "$out_dir/err" || [ -n "$(ls -A "$out_dir/folder.pdf")" ]; then
    echo "cook --pdf into a folder did not fail cleanly: $(cat "$out_dir/err")"
    exit 1
fi
ln -s /dev/full "$out_dir/full.pdf"
if nodisplay "$cook" --data "$data" --pdf RET001.TXT "$out_dir/full.pdf" 2>"$out_dir/err" ||
    ! grep -q "no space left" "$out_dir/err" || [ "$(readlink "$out_dir/full.pdf")" != /dev/full ]; then
    echo "cook --pdf onto a full device did not fail cleanly: $(cat "$out_dir/err")"
    exit 1
fi
echo old >"$out_dir/real.pdf"
ln -s real.pdf "$out_dir/link.pdf"
if ! nodisplay "$cook" --data "$data" --pdf RET001.TXT "$out_dir/link.pdf" ||
    [ ! -L "$out_dir/link.pdf" ] || [ "$(head -c 5 "$out_dir/real.pdf")" != "%PDF-" ]; then
    echo "cook --pdf through a link did not write the file it leads to"
    exit 1
fi
echo "cook --help and --version answer and --pdf prints without a display"
