#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# zentrofastctl under LANG=de_DE.UTF-8: what it says to people comes out German, what scripts read
# (fields, values, JSON) stays as in English, and without a German locale it speaks English.
# Arguments: the built zentrofastctl. Skipped (status 77) where de_DE.UTF-8 is not generated.
set -uo pipefail
ctl=$1
locale -a | grep -qi '^de_DE\.utf-\?8$' || { echo "skipped: no de_DE.UTF-8 locale"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A program folder of its own: a build keeps its backups beside the programs, which the other
# tests running at the same time use.
mkdir -p "$work/program"
export HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config ZENTROFAST_REGISTRY=$work/registry.sqlite3 \
  ZENTROFAST_HOME=$work/program
unset LC_ALL LC_MESSAGES ZENTROFAST_OS_VERSION

failures=0
# expect LANG STATUS STREAM TEXT -- ARGUMENTS...: run with LANG (LANGUAGE=de beside a German one)
# and expect the exit STATUS and the fixed TEXT, a line or part of one, on STREAM (out or err).
expect() {
  local lang=$1 status=$2 stream=$3 text=$4
  shift 5
  local language=
  [[ $lang == de_* ]] && language=de
  LANG=$lang LANGUAGE=$language "$ctl" "$@" >"$work/out" 2>"$work/err"
  local got=$?
  if [ "$got" -ne "$status" ] || ! grep -qF -- "$text" "$work/$stream"; then
    echo "FAIL: LANG=$lang zentrofastctl $* (exit $got, wanted $status): no \"$text\" on std$stream"
    sed 's/^/  out: /' "$work/out"
    sed 's/^/  err: /' "$work/err"
    failures=$((failures + 1))
  fi
}

key='HKCU\Software\Zentrofast Test'
de=de_DE.UTF-8
# An error and the usage hint.
expect $de 2 err "zentrofastctl: unbekannte Option --frobnicate" -- --frobnicate
expect $de 2 err "„zentrofastctl --help“ zeigt den Aufruf." -- --frobnicate
expect C.UTF-8 2 err "zentrofastctl: unknown option --frobnicate" -- --frobnicate
# An error that names the argument it refuses.
expect $de 2 err "unbekannte Struktur „HKXX“ in „HKXX\\Foo“" -- reg query 'HKXX\Foo'
# Help: the description, CLI11's headings and an option's text; the command words stay.
expect $de 0 out "Den Registry-Speicher lesen und schreiben, wie reg.exe" -- reg --help
expect $de 0 out "Aufruf: zentrofastctl reg [OPTIONEN] [BEFEHL]" -- reg --help
expect $de 0 out "  query                       Die Werte und Unterschlüssel eines Schlüssels zeigen" -- reg --help
expect $de 0 out "  --json                      Die Werte und Unterschlüssel des Schlüssels als ein JSON-Objekt" \
  -- reg query --help
# A confirmation, then the value it wrote as scripts read it.
expect $de 0 out "Der Vorgang wurde erfolgreich beendet." -- reg add "$key" --value Name --data Wert
expect $de 0 out "    Name    REG_SZ    Wert" -- reg query "$key"
expect $de 0 out '"type": "REG_SZ"' -- reg query "$key" --json
expect $de 1 err "zentrofastctl: der Wert „Fehlt“ von HKEY_CURRENT_USER\\Software\\Zentrofast Test ist nicht gesetzt" \
  -- reg query "$key" --value Fehlt
# A message of the code below, looked up whole.
expect $de 1 err "HKEY_CURRENT_USER\\Software\\Fehlt lässt sich nicht öffnen: nicht gefunden" -- reg query 'HKCU\Software\Fehlt'
# The connection test's failures are German sentences whole, a phrase inside one too; what it prints
# for programs stays English. Nothing listens on loopback's discard port.
expect $de 1 err "zentrofastctl: die Messung ist fehlgeschlagen: an 127.0.0.1 Port 9 lauscht nichts (Verbindung abgelehnt)" \
  -- measure iperf3://127.0.0.1:9 --seconds 1
expect $de 1 out '"message": "nothing listens at 127.0.0.1 port 9 (connection refused)"' \
  -- measure iperf3://127.0.0.1:9 --seconds 1 --failure-json
expect C.UTF-8 1 err "zentrofastctl: the measurement failed: nothing listens at 127.0.0.1 port 9 (connection refused)" \
  -- measure iperf3://127.0.0.1:9 --seconds 1
expect $de 2 err "zentrofastctl: „iperf3:// x“ enthält Leerzeichen; ein Ziel ist iperf3://HOST[:PORT] oder die" \
  -- measure 'iperf3:// x'
# The backup store's refusals, also where they name the file.
expect $de 1 err "gibt es keine Sicherung 005.BCK." -- backup delete 005.BCK
expect $de 2 err "ist kein Sicherungsname (drei Ziffern und .BCK, etwa 001.BCK)." -- backup delete 5.BCK
expect C.UTF-8 2 err "is not a backup name (three digits and .BCK, like 001.BCK)." -- backup delete 5.BCK
# A report of figures keeps its English field names.
expect $de 0 out "Memory load:" -- mem
[ "$failures" -eq 0 ]
