#!/usr/bin/env bash
# A private CUPS daemon for the print-queue tests, never the machine's own:
#
#   cups-server.sh start <folder>   starts cupsd on <folder>/cups.sock with its configuration,
#                                   spool, cache, logs and PDF output inside <folder>, and adds two
#                                   cups-pdf queues: "quillmate-custom" (the driver as Debian ships
#                                   it, which takes any page size) and "quillmate-a4" (the same
#                                   driver cut down to A4 alone);
#   cups-server.sh stop <folder>    stops it and removes <folder>.
#
# The cups-pdf backend reads its settings from a fixed file under /etc/cups; the daemon runs in a
# mount namespace of its own in which that one file is replaced by ours, so that the PDF files land
# in <folder>/pdf. That needs root; anyone else gets no server and the queue tests skip.
set -euo pipefail
action=${1:?start or stop}
dir=${2:?folder}

# Only a folder this user made is ours to stop and remove: the path under /tmp is predictable, so
# a folder or link someone else put there is refused rather than trusted.
ours() {
    [[ ! -e "$dir" && ! -L "$dir" ]] || [[ -d "$dir" && ! -L "$dir" && -O "$dir" ]]
}

stop() {
    ours || { echo "cups-server: $dir is not this user's folder, left alone" >&2; exit 1; }
    if [[ -f "$dir/cupsd.pid" ]]; then
        pid=$(cat "$dir/cupsd.pid")
        # Only the daemon started on this folder's configuration (or the unshare that runs it).
        if [[ "$pid" =~ ^[0-9]+$ ]] && tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -qF "$dir"; then
            kill "$pid" 2>/dev/null || true
            for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
            kill -9 "$pid" 2>/dev/null || true
        fi
    fi
    rm -rf "$dir"
}

if [[ "$action" == stop ]]; then
    stop
    exit 0
fi

stop
if [[ $(id -u) -ne 0 ]]; then
    echo "cups-server: not root, no private print queues (the queue tests will skip)"
    exit 0
fi
for tool in cupsd lpadmin lpstat unshare; do
    command -v "$tool" >/dev/null || { echo "cups-server: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done
driver=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
[[ -f "$driver" && -x /usr/lib/cups/backend/cups-pdf && -f /etc/cups/cups-pdf.conf ]] ||
    { echo "cups-server: the cups-pdf backend is missing (printer-driver-cups-pdf)" >&2; exit 1; }

mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,state,log,pdf}
chmod 0755 "$dir" "$dir"/{etc,cache,state,log}
chmod 0777 "$dir/pdf"

cat > "$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
SystemGroup root
FileDevice No
Printcap $dir/printcap
CONF
cat > "$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
LogLevel info
MaxLogSize 0
PreserveJobFiles No
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat > "$dir/cups-pdf.conf" <<CONF
Out $dir/pdf
AnonDirName $dir/pdf
Label 2
Grp root
CONF

# The A4-only driver: the same driver without custom sizes and with A4 as its only paper.
awk '
    /^\*(VariablePaperSize|MaxMediaWidth|MaxMediaHeight|ParamCustomPageSize|NonUIOrderDependency)/ { next }
    /^\*CustomPageSize/ { skip = 1 }
    skip { if ($0 ~ /^\*End/) skip = 0; next }
    /^\*(PageSize|PageRegion|ImageableArea|PaperDimension) / {
        split($2, option, "/"); if (option[1] != "A4") next
    }
    /^\*NickName:/ { print "*NickName: \"Generic CUPS-PDF Printer (A4 only)\""; next }
    { print }
' "$driver" > "$dir/etc/a4-only.ppd"

# The daemon in its own mount namespace, where /etc/cups/cups-pdf.conf is our file.
unshare --mount --propagation private -- sh -c \
    'mount --bind "$1/cups-pdf.conf" /etc/cups/cups-pdf.conf && exec cupsd -f -c "$1/etc/cupsd.conf" -s "$1/etc/cups-files.conf"' \
    sh "$dir" > "$dir/log/cupsd.out" 2>&1 &
echo $! > "$dir/cupsd.pid"

export CUPS_SERVER="$dir/cups.sock"
for _ in $(seq 100); do
    [[ -S "$CUPS_SERVER" ]] && lpstat -r >/dev/null 2>&1 && break
    kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || { cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true; exit 1; }
    sleep 0.1
done
lpstat -r >/dev/null || { echo "cups-server: cupsd did not come up" >&2; exit 1; }
lpadmin -p quillmate-custom -E -v cups-pdf:/ -P "$driver"
lpadmin -p quillmate-a4 -E -v cups-pdf:/ -P "$dir/etc/a4-only.ppd"
lpadmin -d quillmate-custom
lpstat -p -d
