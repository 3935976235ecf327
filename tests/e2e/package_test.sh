#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, installs it into an empty root with dpkg and runs the installed
# programs from there: data from share/zentrofast, backups in the user's data folder, and no
# capability where a user's own code could reach it.
# Usage: package_test.sh BUILD_DIR AF_PACKET_PROBE_PLUGIN
set -euo pipefail
build=$(cd "$1" && pwd)
probe_plugin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The installed programs also run as nobody, who must be able to reach them.
chmod 755 "$work"

fail() { echo "package test: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/zentrofast_*.deb)
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
chmod -R a+rX "$root"

host_range=$(cat /proc/sys/net/ipv4/ping_group_range)
# Installs (again) in a network namespace of its own whose ping_group_range is range: the install
# script reads the range, and the machine's own setting stays as it is.
install_with_range() {
  unshare --net sh -c 'echo "$1" > /proc/sys/net/ipv4/ping_group_range && shift && exec "$@"' sh "$1" \
    dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null -i "$deb" >/dev/null \
    2>"$work/dpkg.log" || { cat "$work/dpkg.log" >&2; fail "dpkg could not install the package"; }
}

install_with_range "1 0"
for file in usr/bin/zentrofast usr/bin/zentrofastctl usr/libexec/zentrofast/zentrofast-ping \
            "usr/share/zentrofast/speed up.swf" \
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

# Debian's hardening in every program the package installs: the helper pkexec runs as root and
# the programs that may be capable above all. Debian 12's flags have no control-flow protection, so
# it is not asked for. The ping program's and the sound module's few libc calls all have sizes the
# compiler settles, so they hold no fortified call for hardening-check to find (they are built with
# _FORTIFY_SOURCE like the rest). A build configured without hardening is not checked.
if grep -q '^ZENTROFAST_HARDEN:BOOL=OFF' "$build/CMakeCache.txt"; then
  echo "package test: hardening not checked (configured with ZENTROFAST_HARDEN=OFF)"
else
  command -v hardening-check >/dev/null || fail "hardening-check (Debian's devscripts) is not installed"
  programs=$(find "$root/usr" -type f -exec sh -c 'readelf -h "$1" >/dev/null 2>&1' sh {} \; -print | sort)
  [ "$(wc -l <<<"$programs")" -ge 5 ] || fail "found only these programs to check: $programs"
  for program in $programs; do
    flags=(--nocfprotection)
    [[ "$program" == */zentrofast-ping || "$program" == */libzentrofast-sound.so ]] && flags+=(--nofortify)
    hardening-check "${flags[@]}" "$program" >"$work/hardening.log" 2>&1 ||
      { cat "$work/hardening.log" >&2; fail "${program#"$root"/} lacks Debian's hardening"; }
  done
fi

# Where datagram ICMP is refused, the ping program alone carries cap_net_raw, and it links nothing
# that could read the environment before its main(): only the C and C++ runtime.
ping_program=usr/libexec/zentrofast/zentrofast-ping
capable=$(getcap -r "$root" | sed "s|^$root/||")
[ "$capable" = "$ping_program cap_net_raw=ep" ] || fail "capable files: ${capable:-none} (only $ping_program may be)"
needed=$(readelf -d "$root/$ping_program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
[ -n "$needed" ] || fail "readelf shows no library the ping program needs"
for library in $needed; do
  case "$library" in
    libc.so.* | libm.so.* | libstdc++.so.* | libgcc_s.so.* | ld-linux*.so.*) ;;
    *) fail "the capable ping program links $library" ;;
  esac
done

# A user's own Qt plugin, run by the installed desktop program, gets no raw packet socket.
mkdir -p "$work/plugins/generic" "$work/nobody"
cp "$probe_plugin" "$work/plugins/generic/"
chmod -R a+rX "$work/plugins"
chown nobody "$work/nobody"
as_nobody() {
  setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all \
    env -i HOME="$work/nobody" XDG_DATA_HOME="$work/nobody/data" XDG_RUNTIME_DIR="$work/nobody" "$@"
}
probe=$(as_nobody QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$work/plugins" QT_QPA_GENERIC_PLUGINS=afpacketprobe \
  "$root/usr/bin/zentrofast" 2>"$work/gui.log") || true
case "$probe" in
  "afpacket: refused"*) ;;
  "") cat "$work/gui.log" >&2; fail "the desktop program did not load the probe plugin" ;;
  *) fail "a user's plugin inside the installed desktop program: $probe" ;;
esac

# The tool pings as nobody through the ping program, and neither holds a capability while it waits
# for the reply (echo replies are off in this namespace, so it waits its whole time-out).
unshare --net sh -c '
  ip link set lo up && echo 1 > /proc/sys/net/ipv4/icmp_echo_ignore_all || exit 1
  "$@" ping 127.0.0.1 --timeout 1500 >/dev/null 2>&1 &
  sleep 0.5
  for pid in $! $(cat /proc/$!/task/*/children); do grep -E "^Cap(Eff|Prm):" /proc/$pid/status; done
  wait' sh setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all "$root/usr/bin/zentrofastctl" \
  >"$work/ctl-status" || fail "could not watch the tool"
[ "$(grep -c ':[[:space:]]*0000000000000000$' "$work/ctl-status")" = 4 ] ||
  fail "the tool or its ping program keeps capabilities while it pings: $(tr '\n' ' ' < "$work/ctl-status")"
unshare --net sh -c 'ip link set lo up && exec "$@" ping 127.0.0.1 >/dev/null' sh \
  setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all "$root/usr/bin/zentrofastctl" ||
  fail "the installed tool cannot ping as an ordinary user"

# Where every group may open ICMP datagram sockets, no program keeps a capability.
install_with_range "0 2147483647"
capable=$(getcap -r "$root")
[ -z "$capable" ] || fail "capabilities kept though no one needs them: $capable"
[ "$(cat /proc/sys/net/ipv4/ping_group_range)" = "$host_range" ] || fail "the machine's ping_group_range changed"

export HOME="$work/home" XDG_DATA_HOME="$work/home/data"
unset ZENTROFAST_HOME ZENTROFAST_REGISTRY ZENTROFAST_OS_VERSION
ctl="$root/usr/bin/zentrofastctl"
"$ctl" profiles | grep -q '"Automatic-A"\|Automatic-A' || fail "profiles printed no profile"
"$ctl" apply --profile 0 >/dev/null || fail "apply failed"
[ -f "$XDG_DATA_HOME/zentrofast/Backups/001.BCK" ] || fail "the backup is not in the user's data folder"
[ -f "$XDG_DATA_HOME/zentrofast/registry.sqlite3" ] || fail "the store is not in the user's data folder"
[ ! -e "$root/usr/share/zentrofast/Backups" ] || fail "the installed program folder was written"
"$ctl" kernel plan | grep -q 'net.ipv4.ip_default_ttl' || fail "kernel plan shows no TTL"
# Removing the package puts a kept tuning back (its prerm runs the helper's revert); purging also
# forgets the ledger and the journal. In namespaces of the test's own, with tmpfs over the helper's
# folders, the build's tool keeping the tuning first.
unshare --mount --net bash -s "$build" "$root" "$work" >"$work/remove.log" 2>&1 <<'REMOVE' ||
set -euo pipefail
build=$1 root=$2 work=$3
mount --make-rprivate /
for folder in /etc/sysctl.d /etc/systemd/network /var/lib/zentrofast /run/zentrofast; do
  point=$folder
  while [ ! -d "$point" ]; do point=$(dirname "$point"); done
  mount -t tmpfs -o mode=0755 tmpfs "$point" && mkdir -p "$folder"
done
ip link set lo up
intvl=/proc/sys/net/ipv4/tcp_keepalive_intvl
original=$(cat $intvl)
dpkg_root() { dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null "$@"; }
ctl() { HOME="$work/remover" XDG_DATA_HOME="$work/remover/data" "$build/bin/zentrofastctl" "$@" >/dev/null; }
ctl apply --profile 4 && ctl kernel apply --yes
[ "$(cat $intvl)" = 1 ] && [ -f /etc/sysctl.d/80-zentrofast.conf ] || { echo "the tuning was not kept"; exit 1; }
dpkg_root -r zentrofast
[ "$(cat $intvl)" = "$original" ] || { echo "remove left tcp_keepalive_intvl at $(cat $intvl)"; exit 1; }
[ ! -e /etc/sysctl.d/80-zentrofast.conf ] || { echo "remove left the sysctl.d file"; exit 1; }
grep -q '^history' /var/lib/zentrofast/ledger && ! grep -q '^managed' /var/lib/zentrofast/ledger ||
  { echo "after remove the ledger should keep its history and manage nothing"; exit 1; }
dpkg_root --purge zentrofast
[ ! -e /var/lib/zentrofast ] && [ ! -e /run/zentrofast ] || { echo "purge left the ledger or the journal"; exit 1; }
[ -z "$(ls "$root/usr/libexec/zentrofast" 2>/dev/null)" ] || { echo "purge left the programs"; exit 1; }
REMOVE
  { cat "$work/remove.log" >&2; fail "remove and purge did not clean up"; }

echo "probe: $probe; tool: $(tr "\n" " " < "$work/ctl-status")"
echo "package test: installed $(basename "$deb") into an empty root; no capability reaches a user's plugin;" \
     "only the ping program is capable; the tool pings as nobody through it, both holding none; profiles, apply and backup work from it;" \
     "remove reverts a kept tuning and purge forgets the ledger"
