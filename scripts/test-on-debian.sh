#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the README's test command and the package build on another Debian release, in a chroot
# made by debootstrap:
#
#     sudo bash scripts/test-on-debian.sh 13          # Debian 13 (trixie, Qt 6.8)
#     sudo bash scripts/test-on-debian.sh 13 --fresh  # the same from a new chroot
#
# The chroot is kept in /var/tmp/quirvel-debian-<release> (QUIRVEL_CHROOT overrides), so a second
# run skips debootstrap and the packages installed the first time. The checkout, as it is now
# (uncommitted changes included, build folders not), is copied in anew for every run. Packages come
# from the mirror the machine's own apt sources use. Root only; takes about 25 minutes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
release=${1:-13}
fresh=${2:-}
case "$release" in
12) suite=bookworm ;;
13) suite=trixie ;;
*) echo "test-on-debian.sh: release 12 or 13, not '$release'" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "test-on-debian.sh: run as root" >&2; exit 2; }
chroot_dir=${QUIRVEL_CHROOT:-/var/tmp/quirvel-debian-$release}

# The first Debian archive the machine's apt sources name, deb822 or one-line style.
mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '/^URIs:/ && $2 !~ /security/ {print $2; exit}')
if [ -z "$mirror" ]; then
    mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        awk '$1 == "deb" && $0 !~ /security/ {for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) {print $i; exit}}')
fi
[ -n "$mirror" ] || { echo "test-on-debian.sh: no Debian mirror in apt's sources" >&2; exit 1; }

# One run at a time: another one's ending would take the mounts away from under this one.
exec 9>"$chroot_dir.lock"
flock -n 9 || { echo "test-on-debian.sh: another run is using $chroot_dir" >&2; exit 1; }

# Whatever still runs inside (a stopped run's tests), then every mount under the chroot, deepest
# first: the ones made here and the network namespaces the tests add under /run/netns.
unmount_all() {
    local targets pid
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$chroot_dir" ] && kill -9 "$pid" 2>/dev/null
    done
    targets=$(findmnt -R -n -l -o TARGET "$chroot_dir" 2>/dev/null | grep -v -x "$chroot_dir" |
        sort -r) || true
    for target in $targets; do umount -l "$target" 2>/dev/null || true; done
    for target in $(findmnt -n -l -o TARGET | grep "^$chroot_dir/" | sort -r); do
        umount -l "$target" 2>/dev/null || true
    done
}
trap unmount_all EXIT INT TERM

if [ "$fresh" = "--fresh" ]; then
    unmount_all
    rm -rf --one-file-system "$chroot_dir"
fi
if [ ! -e "$chroot_dir/.quirvel-ready" ]; then
    bash "$root/scripts/install-missing.sh" debootstrap
    rm -rf --one-file-system "$chroot_dir"
    mkdir -p "$chroot_dir"
    debootstrap --variant=minbase --include=ca-certificates,git,sudo "$suite" "$chroot_dir" "$mirror"
    touch "$chroot_dir/.quirvel-ready"
fi

# The host's certificates (npm and apt go through them) and name resolution.
# The chroot's own links would resolve to the host's files, so its folder is replaced whole.
rm -rf "$chroot_dir/etc/ssl/certs"
cp -rL /etc/ssl/certs "$chroot_dir/etc/ssl/certs"
[ -d /usr/local/share/ca-certificates ] &&
    cp -r /usr/local/share/ca-certificates/. "$chroot_dir/usr/local/share/ca-certificates/"
cp -L /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
for rc in /etc/npmrc; do [ -f "$rc" ] && cp "$rc" "$chroot_dir$rc"; done

mount -t proc proc "$chroot_dir/proc"
mount --rbind /sys "$chroot_dir/sys"
mount --make-rslave "$chroot_dir/sys"
mount --rbind /dev "$chroot_dir/dev"
mount --make-rslave "$chroot_dir/dev"
mkdir -p "$chroot_dir/dev/shm" "$chroot_dir/run"
mount -t tmpfs -o mode=1777 shm "$chroot_dir/dev/shm"
mount -t tmpfs -o mode=755 run "$chroot_dir/run"

# The checkout as git sees it, without build trees or installed node modules.
work="$chroot_dir/root/quirvel"
rm -rf "$work"
mkdir -p "$work"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
    xargs -0 -r tar -cf - --no-recursion) | tar -xf - -C "$work"

ca_env=()
for name in NODE_EXTRA_CA_CERTS SSL_CERT_FILE SSL_CERT_DIR CI; do
    [ -n "${!name:-}" ] && ca_env+=("$name=${!name}")
done
status=0
# In the background and waited for, so that a signal reaches the trap at once.
chroot "$chroot_dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb "${ca_env[@]}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/quirvel && bash scripts/test.sh && bash scripts/package.sh' &
wait $! || status=$?
echo
if [ "$status" -eq 0 ]; then
    echo "test-on-debian.sh: Debian $release ($suite) passed: every test and a lintian-clean package."
else
    echo "test-on-debian.sh: Debian $release ($suite) FAILED (status $status)." >&2
fi
exit "$status"
