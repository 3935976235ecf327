#!/usr/bin/env bash
# Builds the Debian package, installs it into an empty root with dpkg and runs the installed
# command-line tool from there: data from share/zentrofast, backups in the user's data folder.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/zentrofast_*.deb)
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null -i "$deb" >/dev/null 2>"$work/dpkg.log" ||
  { cat "$work/dpkg.log" >&2; exit 1; }

fail() { echo "package test: $*" >&2; exit 1; }
for file in usr/bin/zentrofast usr/bin/zentrofastctl "usr/share/zentrofast/speed up.swf" \
            usr/share/zentrofast/QorvMask.skn usr/share/applications/org.zentrofast.Zentrofast.desktop \
            usr/share/metainfo/org.zentrofast.Zentrofast.metainfo.xml usr/share/man/man1/zentrofastctl.1.gz usr/share/man/man1/zentrofast.1.gz \
            usr/share/doc/zentrofast/copyright usr/share/doc/zentrofast/changelog.Debian.gz \
            usr/share/bash-completion/completions/zentrofastctl \
            usr/share/icons/hicolor/32x32/apps/zentrofast.png usr/share/icons/hicolor/scalable/apps/zentrofast.svg \
            usr/libexec/zentrofast/zentrofast-kernel-helper usr/share/polkit-1/actions/org.zentrofast.kernel.policy; do
  [ -e "$root/$file" ] || fail "$file is missing"
done
[ -z "$(find "$root" -perm -4000 -o -perm -2000)" ] || fail "something is installed setuid or setgid"
# pkexec runs exactly the installed helper, and the package pulls in what starts it.
grep -q '<annotate key="org.freedesktop.policykit.exec.path">/usr/libexec/zentrofast/zentrofast-kernel-helper</annotate>' \
  "$root/usr/share/polkit-1/actions/org.zentrofast.kernel.policy" || fail "the polkit action does not name the helper"
depends=$(dpkg-deb -f "$deb" Depends)
for package in pkexec polkitd; do
  [[ ", $depends," == *", $package,"* || ", $depends," == *", $package "* ]] || fail "the package does not depend on $package"
done
# Echo requests without root: either every group may open ICMP datagram sockets, or the
# programs carry cap_net_raw.
read -r low high < /proc/sys/net/ipv4/ping_group_range
if [ "$low" -gt 100 ] || [ "$high" -lt 65534 ]; then
  for program in zentrofast zentrofastctl; do
    getcap "$root/usr/bin/$program" | grep -q cap_net_raw || fail "$program cannot send echo requests without root"
  done
fi

export HOME="$work/home" XDG_DATA_HOME="$work/home/data"
unset ZENTROFAST_HOME ZENTROFAST_REGISTRY ZENTROFAST_OS_VERSION
ctl="$root/usr/bin/zentrofastctl"
"$ctl" profiles | grep -q '"Automatic-A"\|Automatic-A' || fail "profiles printed no profile"
"$ctl" apply --profile 0 >/dev/null || fail "apply failed"
[ -f "$XDG_DATA_HOME/zentrofast/Backups/001.BCK" ] || fail "the backup is not in the user's data folder"
[ -f "$XDG_DATA_HOME/zentrofast/registry.sqlite3" ] || fail "the store is not in the user's data folder"
[ ! -e "$root/usr/share/zentrofast/Backups" ] || fail "the installed program folder was written"
"$ctl" kernel plan | grep -q 'net.ipv4.ip_default_ttl' || fail "kernel plan shows no TTL"
echo "package test: installed $(basename "$deb") into an empty root; profiles, apply and backup work from it"
