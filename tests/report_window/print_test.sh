#!/usr/bin/env bash
# A real print: a CUPS daemon with a PDF printer as the default queue, the
# report's print command pressed once on a report of the demo recording, and
# exactly one A4 page arriving whose text holds the title and the filled
# fields. The sheet itself, rasterised at 300 dpi, is then measured against
# the 96-dpi page of the same form: lines one page pixel wide, the grid as
# dots, the texts in their places. Needs root (cupsd) and the packages cups,
# printer-driver-cups-pdf and poppler-utils.
set -euo pipefail
probe=$1
checker=$2
queue=VantrelPDF
out=/root/PDF
work=$(mktemp -d)

if [ "$(id -u)" -ne 0 ] || [ ! -x /usr/sbin/cupsd ] || [ ! -e /usr/lib/cups/backend/cups-pdf ]; then
  echo "SKIP: needs root, cupsd and cups-pdf"
  exit 77
fi

started=""
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  mkdir -p /run/cups
  /usr/sbin/cupsd -f &
  started=$!
  for _ in $(seq 100); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.05; done
fi
# The default printer before this test, given back at the end.
previous=$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
cleanup() {
  rm -rf "$work"
  lpadmin -x "$queue" >/dev/null 2>&1 || true
  if [ -n "$previous" ]; then lpadmin -d "$previous" >/dev/null 2>&1 || true; fi
  if [ -n "$started" ]; then kill -TERM "$started" 2>/dev/null || true; wait "$started" 2>/dev/null || true; fi
}
trap cleanup EXIT

# cups-pdf takes PostScript: with pdftocairo making it from Qt's PDF job the
# fonts keep their Unicode mapping, so the printed text can be checked.
lpadmin -p "$queue" -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -o PageSize=A4 \
  -o pdftops-renderer-default=pdftocairo 2>/dev/null
lpadmin -d "$queue"
mkdir -p "$out"
rm -f "$out"/*.pdf

QT_QPA_PLATFORM=offscreen "$probe" "$work/page96.png"

pdf=""
for _ in $(seq 300); do
  if [ -z "$(lpstat -o "$queue" 2>/dev/null)" ]; then
    pdf=$(ls "$out"/*.pdf 2>/dev/null | head -n 1 || true)
    [ -n "$pdf" ] && [ -s "$pdf" ] && break
  fi
  sleep 0.1
done
[ -n "$pdf" ] || { echo "FAIL: no PDF arrived in $out"; exit 1; }
count=$(ls "$out"/*.pdf | wc -l)
[ "$count" -eq 1 ] || { echo "FAIL: $count PDFs arrived"; exit 1; }

info=$(pdfinfo "$pdf")
echo "$info" | grep -q '^Pages: *1$' || { echo "FAIL: not one page"; echo "$info"; exit 1; }
echo "$info" | grep -Eq '^Page size: *59[45](\.[0-9]+)? x 84[12](\.[0-9]+)? pts' || { echo "FAIL: not A4"; echo "$info"; exit 1; }
text=$(pdftotext -layout "$pdf" -)
for want in "数字式超声波探伤仪探伤报告" "32.5+4.0+4.0dB" "8x9mm" "100.0 mm(s)" "37.5" "Probe Lab 7" "检测单位"; do
  echo "$text" | grep -qF -- "$want" || { echo "FAIL: '$want' not in the printed page"; echo "$text"; exit 1; }
done
pdftoppm -r 300 -png -singlefile "$pdf" "$work/print"
"$checker" "$work/page96.png" "$work/print.png" 300 || { echo "FAIL: the printed sheet differs from the page"; exit 1; }
echo "PASS: one A4 page printed to $pdf"
