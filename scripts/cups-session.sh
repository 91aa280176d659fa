#!/usr/bin/env bash
# Runs a command beside a private CUPS scheduler with two PDF printers, so that printing can be
# tested on real queues without touching the machine's own CUPS set-up.
#
#   scripts/cups-session.sh -- command...
#
# The scheduler listens only on a Unix socket of its own (no network port), keeps its
# configuration, spool and logs in a temporary folder, and is stopped by its PID at the end.
# Exported to the command:
#   CUPS_SERVER                      the scheduler's socket (Wine lists exactly its queues)
#   KAVLOR_PRINTER1, KAVLOR_PRINTER2 the two queue names, in the order CUPS lists them
#   KAVLOR_PRINTER1_OUT, ..._OUT     the folders where each queue's PDF files land
set -euo pipefail
while [ $# -gt 0 ]; do
    case "$1" in
        --) shift; break ;;
        *) break ;;
    esac
done

if ! command -v cupsd >/dev/null || [ ! -x /usr/lib/cups/backend/cups-pdf ]; then
    echo "cups-session: cupsd or the cups-pdf back end is missing (scripts/install-deps.sh installs them)" >&2
    exit 1
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/kavlor-cups.XXXXXX")
chmod 755 "$dir"
# cups-pdf reads each queue's settings from a fixed place, named after the queue's instance.
tag="kavlor$$"
instances=("${tag}a" "${tag}b")
cupsd_pid=""
cleanup() {
    status=$?
    if [ -n "$cupsd_pid" ]; then
        kill "$cupsd_pid" 2>/dev/null || true
        wait "$cupsd_pid" 2>/dev/null || true
    fi
    for instance in "${instances[@]}"; do
        rm -f "/etc/cups/cups-pdf-$instance.conf"
    done
    rm -rf "$dir"
    exit $status
}
trap cleanup EXIT INT TERM

mkdir -p "$dir"/{ppd,cache,state,spool,tmp,log,out1,out2}
chmod 1777 "$dir"/{spool,tmp,out1,out2}
socket="$dir/cups.sock"
cat >"$dir/cupsd.conf" <<EOF
Listen $socket
LogLevel error
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir
CacheDir $dir/cache
StateDir $dir/state
RequestRoot $dir/spool
TempDir $dir/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
User lp
Group lp
SystemGroup root lpadmin
Sandboxing Relaxed
EOF
for n in 1 2; do
    cat >"/etc/cups/cups-pdf-${instances[$((n - 1))]}.conf" <<EOF
Out $dir/out$n
AnonDirName $dir/out$n
UserUMask 0000
Grp root
Label 1
EOF
done

cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER="$socket"
for _ in $(seq 1 100); do
    [ -S "$socket" ] && lpstat -r >/dev/null 2>&1 && break
    kill -0 "$cupsd_pid" 2>/dev/null || { cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null; exit 1; }
    sleep 0.1
done

names=("KavlorPDF1" "KavlorPDF2")
for n in 1 2; do
    name=${names[$((n - 1))]}
    lpadmin -p "$name" -v "cups-pdf:/${instances[$((n - 1))]}" -E -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
    export "KAVLOR_PRINTER$n=$name" "KAVLOR_PRINTER${n}_OUT=$dir/out$n"
done
lpadmin -d "${names[0]}"
export KAVLOR_CUPS_LOG="$dir/log/error_log"

"$@"
