#!/usr/bin/env bash
# ./test.sh on a machine as a new user meets it, before a change lands: a minimal Debian 12
# root made with debootstrap from this machine's configured archive (nothing in it but git and
# sudo), a clean clone of a branch in it, ./test.sh run there as an ordinary user with sudo and
# then as root, the Debian package installed with apt, and savorel-setup run by two accounts
# one after the other. Prints each last line and its time; unmounts and removes all it made.
#   scripts/fresh-machine.sh [REPOSITORY [BRANCH]]      (default: this clone, main)
# Run as root (or it asks sudo). About 15-20 minutes of both cores; not part of ./test.sh.
# Logs stay in $FRESH_LOGS (default: a fresh folder under /var/tmp, named at the end).
set -euo pipefail
repo=${1:-$(cd "$(dirname "$0")/.." && pwd)}
branch=${2:-main}
if [ "$(id -u)" -ne 0 ]; then
    exec sudo -- "$0" "$repo" "$branch"
fi
for tool in debootstrap git chroot findmnt; do
    command -v "$tool" >/dev/null || { echo "fresh-machine: needs $tool (apt-get install $tool)"; exit 2; }
done

# The archive this machine installs from: the first Debian entry for its release.
suite=bookworm
mirror=$(
    {
        cat /etc/apt/sources.list 2>/dev/null | sed -nE "s/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([a-z]+:[^[:space:]]+)[[:space:]]+$suite[[:space:]].*/\2/p"
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            awk -v suite="$suite" '
                /^[[:space:]]*$/ { if (uri != "" && ok) print uri; uri = ""; ok = 0; next }
                /^URIs:/ { uri = $2 }
                /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite) ok = 1 }
                END { if (uri != "" && ok) print uri }' "$f"
        done
    } | head -1
)
[ -n "$mirror" ] || { echo "fresh-machine: no $suite archive in /etc/apt/sources.list*"; exit 2; }

top=$(mktemp -d /var/tmp/savorel-fresh.XXXXXX)
fs=$top/root
logs=${FRESH_LOGS:-$(mktemp -d /var/tmp/savorel-fresh-logs.XXXXXX)}
mkdir -p "$logs"

mounts_under() { findmnt -rn -o TARGET | awk -v p="$fs" 'index($0, p "/") == 1 || $0 == p' | sort -r; }
cleanup() {
    set +e
    # Whatever still runs in the root (an installer, a cook) is stopped before the unmounts.
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$fs" ] && kill -9 "${p#/proc/}" 2>/dev/null
    done
    sleep 1
    local m
    for m in $(mounts_under); do umount "$m" 2>/dev/null || umount -l "$m"; done
    if [ -n "$(mounts_under)" ]; then
        echo "fresh-machine: still mounted, $top left in place:"
        mounts_under
        return
    fi
    rm -rf --one-file-system -- "$top"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start=$(date +%s)
echo "debootstrap $suite from $mirror"
debootstrap --variant=minbase --include=git,sudo,ca-certificates "$suite" "$fs" "$mirror" \
    >"$logs/debootstrap.log" 2>&1 || { tail -20 "$logs/debootstrap.log"; exit 1; }
# The archive as this machine has it (updates, security), and names it can resolve.
rm -f -- "$fs/etc/apt/sources.list"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && cp -- "$f" "$fs$f"
done
cp -- /etc/resolv.conf "$fs/etc/resolv.conf"
printf '127.0.0.1 localhost %s\n' "$(hostname)" >"$fs/etc/hosts"
mount -t proc proc "$fs/proc"
mount -t sysfs sysfs "$fs/sys"
mount --bind /dev "$fs/dev"
mount --bind /dev/pts "$fs/dev/pts"
mount -t tmpfs -o mode=1777 tmpfs "$fs/tmp"

inroot() { chroot "$fs" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
inroot useradd -m -s /bin/bash ana
inroot useradd -m -s /bin/bash ion
inroot usermod -aG sudo ana
echo 'ana ALL=(ALL) NOPASSWD:ALL' >"$fs/etc/sudoers.d/ana"
chmod 0440 "$fs/etc/sudoers.d/ana"
git clone -q --branch "$branch" --single-branch -- "$repo" "$fs/home/ana/savorel"
git clone -q --branch "$branch" --single-branch -- "$repo" "$fs/root/savorel"
inroot chown -R ana:ana /home/ana/savorel
echo "set up in $(($(date +%s) - start)) s; commit $(git -C "$fs/root/savorel" rev-parse --short HEAD)"

results=()
# run_test LABEL USER: ./test.sh in that account's clone, as the README says to run it.
run_test() {
    local label=$1 user=$2 dir t0 rc
    if [ "$user" = root ]; then dir=/root/savorel; else dir=/home/$user/savorel; fi
    t0=$(date +%s)
    /usr/bin/time -f "%U %S" -o "$logs/$label.cpu" \
        chroot "$fs" /usr/sbin/runuser -l "$user" -c "export LANG=C.UTF-8; cd $dir && ./test.sh" \
        </dev/null >"$logs/$label.log" 2>&1
    rc=$?
    local cpu
    cpu=$(awk '{ printf "%.0f", $1 + $2 }' "$logs/$label.cpu" 2>/dev/null)
    results+=("$label: $(tail -1 "$logs/$label.log") (exit $rc, $(($(date +%s) - t0)) s, ${cpu:-?} s CPU)")
    echo "${results[-1]}"
}
set +e
# The ordinary user first: the packages are then installed through sudo.
run_test "as a user with sudo" ana
run_test "as root" root

# The Debian package, installed with apt as a new user would, and its command.
# deb_package_test leaves the package it inspected in build/deb-package.
deb=$(ls "$fs"/root/savorel/build/deb-package/savorel_*.deb "$fs"/root/savorel/build/savorel_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
    inroot sh -c 'cd /root/savorel/build && cpack -G DEB' >"$logs/cpack.log" 2>&1
    deb=$(ls "$fs"/root/savorel/build/savorel_*.deb 2>/dev/null | head -1)
fi
if [ -n "$deb" ] && inroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${deb#"$fs"}" \
    >"$logs/deb.log" 2>&1 && inroot runuser -l ion -c 'savorel-cookbook --data /usr/share/savorel/book check' \
    >>"$logs/deb.log" 2>&1; then
    results+=("the .deb: installs, savorel-cookbook checks its book")
else
    results+=("the .deb: FAILED (see $logs/deb.log)")
fi
echo "${results[-1]}"

# savorel-setup for two accounts, one after the other, with no TEMP or TMP set.
setup_for() {
    local user=$1
    cp -- "$fs/root/savorel/build/savorel-setup" "$fs/tmp/savorel-setup-$user" || return 1
    chmod 0755 "$fs/tmp/savorel-setup-$user"
    inroot runuser -l "$user" -c "unset TEMP TMP TMPDIR; export QT_QPA_PLATFORM=offscreen SAVOREL_NO_DIALOG=1; timeout 120 /tmp/savorel-setup-$user" \
        >>"$logs/setup.log" 2>&1 || return 1
    local home i
    home=$(inroot runuser -l "$user" -c 'echo $HOME')
    for i in $(seq 60); do
        [ -x "$fs$home/.local/lib/savorel/cook" ] && [ -f "$fs$home/.local/share/savorel/virt-dir.txt" ] && return 0
        sleep 1
    done
    return 1
}
if setup_for ana && setup_for ion; then
    results+=("savorel-setup: installed for ana, then for ion")
else
    results+=("savorel-setup: FAILED for a second account (see $logs/setup.log)")
fi
echo "${results[-1]}"

echo "--- fresh Debian 12 root, $(($(date +%s) - start)) s in all; logs in $logs"
printf '%s\n' "${results[@]}"
