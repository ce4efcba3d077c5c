#!/bin/sh
# cook answers --help and --version on a machine without a display (a terminal over ssh, a
# packaging script): no window system is asked for before they are answered.
cook="$1"
for option in --help --version; do
    if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$cook" "$option" 2>&1); then
        echo "cook $option failed: $out"
        exit 1
    fi
    case "$option" in
    --help) expected="--data" ;;
    --version) expected="1.2" ;;
    esac
    case "$out" in
    *"$expected"*) ;;
    *)
        echo "cook $option printed: $out"
        exit 1
        ;;
    esac
done
echo "cook --help and --version answer without a display"
